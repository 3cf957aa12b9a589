// The bounds that the translation adds to the containment tests of the stored queries
// (so that an index seeks their rows), the equalities that it writes for "In" a
// subquery of one aggregate row and the IN lists that it writes for equalities joined
// by OR change no answer: on every firmware program, with
// every module read and rows added that hold Nulls or lie at the top of the address
// space, each stored query that gets a bound answers with the same rows, in the same
// order, as its text without the bounds, at the edges of every function, block and
// section.
#include "queryoracletesting.h"

#include <jetlike.h>
#include <jetnames.h>
#include <jetsql.h>
#include <qeldbexception.h>

#include <sqlite3.h>

#include <climits>
#include <optional>
#include <regex>

namespace {

using namespace queryoracle;

// The two forms of a bound: " AND (A) > (E) - (SELECT MAX(...) ...)" and, for a
// parameter E, " AND (A) > MIN((E) - K, COALESCE(M - 1, (E) - K))"; A and E hold no
// parentheses.
const char kBoundMarker[] = ") - (SELECT MAX(\"qel.bound\".";
const char kIntervalMarker[] = ") > MIN((";

// The index of the parenthesis that closes the one at `open`.
size_t Closing(const std::string &sql, size_t open)
{
    size_t end = open;
    for (int depth = 0; end < sql.size(); ++end) {
        depth += sql[end] == '(' ? 1 : sql[end] == ')' ? -1 : 0;
        if (depth == 0)
            break;
    }
    return end;
}

// The statement with each bound cut out.
std::string WithoutBounds(std::string sql)
{
    for (size_t at; (at = sql.find(kBoundMarker)) != std::string::npos;) {
        const size_t begin = sql.rfind(" AND (", at);
        sql.erase(begin, Closing(sql, at + 4) + 1 - begin); // from the '(' of "(SELECT"
    }
    for (size_t at; (at = sql.find(kIntervalMarker)) != std::string::npos;) {
        const size_t begin = sql.rfind(" AND (", at);
        sql.erase(begin, Closing(sql, at + 7) + 1 - begin); // from the '(' of "MIN("
    }
    return sql;
}

// The statement with each "= (SELECT MAX(" written back as the stored text's "In"; no
// stored text compares with "=" to such a subquery itself.
std::string WithoutSingleRowEqualities(const std::string &sql)
{
    static const std::regex equality("=(\\s*)\\(SELECT (MIN|MAX|COUNT|SUM|AVG)\\(");
    return std::regex_replace(sql, equality, "IN$1(SELECT $2(");
}

// The statement with each "(C IN (1, 2))" that the translation wrote (its lists have a
// blank after each comma, the stored texts' none) written back as "(C = 1 OR C = 2)".
std::string WithoutInLists(const std::string &sql)
{
    static const std::regex list("\\(([^()\\s]+) IN \\((\\d+(?:, \\d+)+)\\)\\)");
    std::string out;
    auto begin = std::sregex_iterator(sql.begin(), sql.end(), list);
    size_t done = 0;
    for (auto match = begin; match != std::sregex_iterator(); ++match) {
        out += sql.substr(done, match->position() - done);
        std::string numbers = (*match)[2], text = "(";
        for (size_t at = 0, comma; at != std::string::npos; at = comma == std::string::npos ? comma : comma + 2) {
            comma = numbers.find(", ", at);
            text += (at ? " OR " : "") + (*match)[1].str() + " = " + numbers.substr(at, comma - at);
        }
        out += text + ")";
        done = match->position() + match->length();
    }
    return out + sql.substr(done);
}

struct RawDatabase {
    explicit RawDatabase(const std::string &path)
    {
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(qeldao::RegisterJetLike(db), SQLITE_OK);
    }
    ~RawDatabase() { sqlite3_close(db); }

    void Exec(const std::string &sql) { EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

    // The first column of every row.
    std::vector<LONG> Numbers(const std::string &sql)
    {
        std::vector<LONG> numbers;
        sqlite3_stmt *statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
        while (sqlite3_step(statement) == SQLITE_ROW)
            numbers.push_back(static_cast<LONG>(sqlite3_column_int64(statement, 0)));
        sqlite3_finalize(statement);
        return numbers;
    }

    // Every row as text, Null as "Null"; `values` bound in order, nullopt as Null.
    std::vector<std::string> Rows(const std::string &sql, const std::vector<std::optional<LONG>> &values,
                                  const std::vector<short> &types)
    {
        std::vector<std::string> rows;
        sqlite3_stmt *statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
        for (size_t i = 0; i < values.size(); ++i) {
            if (types[i] == dbText)
                sqlite3_bind_text(statement, static_cast<int>(i + 1), "*", -1, SQLITE_STATIC);
            else if (values[i])
                sqlite3_bind_int64(statement, static_cast<int>(i + 1), *values[i]);
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const unsigned char *text = sqlite3_column_text(statement, c);
                row += (text ? reinterpret_cast<const char *>(text) : "Null") + std::string("|");
            }
            rows.push_back(row);
        }
        sqlite3_finalize(statement);
        return rows;
    }

    sqlite3 *db = nullptr;
};

class QuerySeekTest : public QueryOracleTest {};

TEST_F(QuerySeekTest, SeekingFormsAnswerAsTheStoredTextsDo)
{
    for (const std::string &program : Programs()) {
        SCOPED_TRACE(program);
        ASSERT_TRUE(Load(program, false));
        const std::vector<ModulRow> moduls = Moduls();
        OnWorker([&](CSymbolEngine &engine) {
            for (const ModulRow &modul : moduls)
                engine.EnsureModulByIndex(modul.index);
        });
        const fs::path copy = m_folder / (program + "-copy.mdb");
        fs::copy_file(m_folder / (program + ".mdb"), copy, fs::copy_options::overwrite_existing);
        RawDatabase raw(copy.string());

        // Rows with Nulls, and rows at the top of the address space (0xFFFFFFF0 is -16).
        raw.Exec("INSERT INTO Sections VALUES(90001, 'nulls', 1, 1, 16, NULL), (90002, 'nostart', 1, 1, NULL, 64),"
                 " (90003, 'top', 1, 1, 2147483632, 256), (90004, 'wrap', 1, 1, -16, 32)");
        raw.Exec("INSERT INTO Functions VALUES(90001, 'topmost', 'topmost', 1, -16, 32, 90004, NULL, NULL, NULL)");
        raw.Exec("INSERT INTO Symbols(ModulIndex, SymbolID, ScopeIndex, Name, NameString, Data_1, Data_2, Data_3,"
                 " Data_4) VALUES(1, 8, 1, '', '', 0, 1, 16, NULL), (1, 8, 2, '', '', 0, 1, NULL, 64),"
                 " (1, 8, 3, '', '', 0, 1, -16, 32)");
        // Long rows over the program's first code, each holding many others: a lookup inside
        // them finds both, the long one by its least start.
        raw.Exec("INSERT INTO Sections SELECT 90005, 'span', 1, 1, MIN(AddressValue), 65536 FROM Functions"
                 " WHERE AddressMode = 1");
        raw.Exec("INSERT INTO Functions SELECT 90002, 'span', 'span', 1, MIN(AddressValue) + 2, 65536, 90005, NULL,"
                 " NULL, NULL FROM Functions WHERE AddressMode = 1");
        raw.Exec("INSERT INTO Symbols(ModulIndex, SymbolID, ScopeIndex, Name, NameString, Data_1, Data_2, Data_3,"
                 " Data_4) SELECT 1, 8, 4, '', '', 0, 1, MIN(AddressValue) + 2, 65536 FROM Functions"
                 " WHERE AddressMode = 1");

        std::vector<std::optional<LONG>> addresses = {std::nullopt, 0, -1, -16, LONG_MAX, LONG_MIN, 2147483632};
        const std::vector<LONG> edges = raw.Numbers(
            "SELECT AddressValue FROM Functions UNION SELECT AddressValue + Length - 1 FROM Functions"
            " UNION SELECT AddressValue + Length FROM Functions UNION SELECT AddressValue FROM Sections"
            " UNION SELECT AddressValue + Length FROM Sections UNION SELECT Data_3 FROM Symbols WHERE SymbolID = 8"
            " UNION SELECT Data_3 + Data_4 - 1 FROM Symbols WHERE SymbolID = 8");
        for (size_t i = 0; i < edges.size(); i += 1 + edges.size() / 50)
            addresses.push_back(edges[i]);
        const std::vector<LONG> blocks =
            raw.Numbers("SELECT ScopeIndex FROM Symbols WHERE SymbolID = 8 ORDER BY SymbolIndex LIMIT 12");
        const std::vector<LONG> functions = raw.Numbers("SELECT FunctionIndex FROM Functions LIMIT 12");
        const std::vector<LONG> modes = {1, 0};
        std::vector<LONG> modulIndexes;
        for (size_t i = 0; i < moduls.size() && i < 12; ++i)
            modulIndexes.push_back(moduls[i].index);

        std::map<std::string, std::pair<std::string, std::string>> queries;
        sqlite3_stmt *list = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(raw.db, "SELECT Name, SQL FROM MSysDaoQueries", -1, &list, nullptr), SQLITE_OK);
        while (sqlite3_step(list) == SQLITE_ROW)
            queries[qeldao::FoldName(reinterpret_cast<const char *>(sqlite3_column_text(list, 0)))] = {
                reinterpret_cast<const char *>(sqlite3_column_text(list, 0)),
                reinterpret_cast<const char *>(sqlite3_column_text(list, 1))};
        sqlite3_finalize(list);
        qeldao::QueryCatalog catalog;
        catalog.findQuery = [&](std::string_view name, std::string *storedName, std::string *sql) {
            auto found = queries.find(qeldao::FoldName(name));
            if (found == queries.end())
                return false;
            *storedName = found->second.first;
            *sql = found->second.second;
            return true;
        };
        catalog.isTable = [](std::string_view name) {
            for (const char *table : {"Sections", "Functions", "Symbols", "SourceLines", "Moduls", "Types",
                                      "SourceFiles", "ModulSectionRelation", "ModulSourceFileRelation",
                                      "SectionSourceFileRelation", "Program", "Version", "RegisterMap"})
                if (qeldao::SameName(name, table))
                    return true;
            return false;
        };

        int bounded = 0, singleRow = 0, intervals = 0, inLists = 0;
        for (const auto &[folded, query] : queries) {
            const qeldao::TranslatedQuery translated = qeldao::TranslateJetSql(query.second, query.first, catalog, "test");
            const std::string plain = WithoutInLists(WithoutSingleRowEqualities(WithoutBounds(translated.sql)));
            inLists += plain != WithoutSingleRowEqualities(WithoutBounds(translated.sql)) ? 1 : 0;
            const bool hasBound = translated.sql.find(kBoundMarker) != std::string::npos ||
                                  translated.sql.find(kIntervalMarker) != std::string::npos;
            intervals += translated.sql.find(kIntervalMarker) != std::string::npos ? 1 : 0;
            if (!hasBound && plain == translated.sql)
                continue;
            bounded += hasBound ? 1 : 0;
            singleRow += WithoutSingleRowEqualities(WithoutBounds(translated.sql)) != WithoutBounds(translated.sql) ? 1 : 0;
            std::vector<short> types;
            std::vector<const std::vector<LONG> *> lists;
            for (const qeldao::JetParameter &parameter : translated.parameters) {
                types.push_back(parameter.type);
                const std::string name = qeldao::FoldName(parameter.name);
                lists.push_back(name == qeldao::FoldName("_ModulIndex")   ? &modulIndexes
                                : name == qeldao::FoldName("_BlockIndex") ? &blocks
                                : name == qeldao::FoldName("_ScopeIndex") ? &blocks
                                                                           : &functions);
            }
            for (size_t c = 0; c < addresses.size() * modes.size(); ++c) {
                std::vector<std::optional<LONG>> values;
                for (size_t p = 0; p < translated.parameters.size(); ++p) {
                    const std::string name = qeldao::FoldName(translated.parameters[p].name);
                    if (name == qeldao::FoldName("_AddressMode"))
                        values.push_back(modes[c % modes.size()]);
                    else if (name.find(qeldao::FoldName("_AddressValue")) == 0)
                        values.push_back(addresses[(c / modes.size() + p) % addresses.size()]);
                    else
                        values.push_back((*lists[p])[(c / modes.size()) % std::max<size_t>(lists[p]->size(), 1)]);
                }
                ASSERT_EQ(raw.Rows(translated.sql, values, types), raw.Rows(plain, values, types))
                    << query.first << " case " << c;
            }
        }
        EXPECT_GE(bounded, 10) << "the stored queries that test containment";
        EXPECT_GE(singleRow, 4) << "the stored queries that ask In a minimum or maximum";
        EXPECT_GE(intervals, 6) << "the stored queries that test containment of a parameter";
        EXPECT_GE(inLists, 2) << "the stored queries whose names in scope are of one of some kinds";
        m_client.reset();
    }
}

} // namespace

namespace {

// A request that reads a module and then fails is rolled back whole: the next request
// finds the module unread and reads it again, however often the failed one found it
// read after its own reading.
TEST_F(QuerySeekTest, AModulReadByARequestThatFailsIsReadAgain)
{
    ASSERT_TRUE(Load("handwritten-O0", false));
    const std::vector<ModulRow> moduls = Moduls();
    ASSERT_FALSE(moduls.empty());
    const LONG modul = moduls.front().index;
    ASSERT_FALSE(moduls.front().analyzed);

    BOOL readFirst = TRUE, readThen = FALSE;
    m_engine->SetHandler(kProbe, [&](CSymbolRequest &) {
        readFirst = m_engine->EnsureModulByIndex(modul);
        readThen = m_engine->EnsureModulByIndex(modul) && m_engine->EnsureModulByIndex(modul);
        ThrowQeldbException(3000, "test", "the request fails after reading the module");
    });
    CSymbolRequest request(RequesterSynchronous);
    request.m_nCode = kProbe;
    std::unique_ptr<CSymbolRequest> failed(m_engine->TakeRequest(m_engine->Submit(request), 500));
    ASSERT_NE(failed, nullptr);
    EXPECT_NE(failed->m_nStatus, 0);
    EXPECT_FALSE(readFirst);
    EXPECT_TRUE(readThen);
    m_engine->SetHandler(kProbe, nullptr);

    EXPECT_FALSE(Moduls().front().analyzed);
    BOOL readAgain = TRUE;
    OnWorker([&](CSymbolEngine &engine) { readAgain = engine.EnsureModulByIndex(modul); });
    EXPECT_FALSE(readAgain) << "the module is read again";
    EXPECT_TRUE(Moduls().front().analyzed);
}

} // namespace
