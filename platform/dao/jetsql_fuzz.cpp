// Fuzz target of the Jet SQL translation: stored query texts come from database files.
//
// The input is split at zero bytes: the first part is the query to translate, the
// others are stored queries named Q1, Q2, ... that it may name, in turn naming others.
// fuzz-seeds: testdata/jetsql/*.sql
#include "daoerror.h"
#include "jetlike.h"
#include "jetnames.h"
#include "jetsql.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    qeldao::QueryCatalog catalog;
    catalog.findQuery = [&](std::string_view name, std::string *storedName, std::string *sql) {
        for (size_t i = 1; i < parts.size(); ++i) {
            std::string queryName = "Q" + std::to_string(i);
            if (qeldao::SameName(name, queryName)) {
                *storedName = queryName;
                *sql = parts[i];
                return true;
            }
        }
        return false;
    };
    catalog.isTable = [](std::string_view name) { return qeldao::SameName(name, "T"); };
    try {
        qeldao::TranslateJetSql(parts[0], std::string_view(), catalog, "DAO.QueryDef");
    } catch (const CdbException &) {
    }
    if (parts.size() > 1)
        qeldao::JetPattern(parts[0]).Matches(parts[1]);
    return 0;
}
