#include "sqlitestmt.h"

namespace qeldao {

namespace {

// Texts come from the system's string table and the recordsets' few forms, so a
// cache this large holds them all; a caller that makes texts without end (values
// written into the SQL) finds it full and prepares each anew.
const size_t kMostTexts = 512;
// Statements of one text open at once: a query read while another of the same runs.
const size_t kMostPerText = 4;

} // namespace

sqlite3_stmt *StatementCache::Take(const std::string &sql)
{
    auto found = m_free.find(sql);
    if (found == m_free.end() || found->second.empty())
        return nullptr;
    sqlite3_stmt *statement = found->second.back();
    found->second.pop_back();
    return statement;
}

StatementCache::Entry *StatementCache::Home(const std::string &sql)
{
    if (!m_open)
        return nullptr;
    auto found = m_free.find(sql);
    if (found == m_free.end()) {
        if (m_free.size() >= kMostTexts)
            return nullptr;
        found = m_free.emplace(sql, std::vector<sqlite3_stmt *>()).first;
    }
    return &*found;
}

void StatementCache::GiveBack(Entry *home, sqlite3_stmt *statement)
{
    if (!statement)
        return;
    if (!m_open) {
        sqlite3_finalize(statement);
        return;
    }
    std::vector<sqlite3_stmt *> &free = home->second;
    if (free.size() >= kMostPerText) {
        sqlite3_finalize(statement);
        return;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    free.push_back(statement);
}

void StatementCache::Close()
{
    for (auto &[sql, free] : m_free)
        for (sqlite3_stmt *statement : free)
            sqlite3_finalize(statement);
    m_free.clear();
    m_open = false;
}

} // namespace qeldao
