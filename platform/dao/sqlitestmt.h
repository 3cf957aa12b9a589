// An SQLite prepared statement that finalizes itself, or goes back to the cache of its
// connection to be run again. Internal to the library.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qeldao {

// Statements of one connection that nobody uses now, by their SQL, reset and without
// bindings. Preparing the same text again is most of what a short query costs (parsing,
// planning), and the system asks the same few texts all the time. Closed with its
// connection: a statement given back after that is finalized.
class StatementCache {
public:
    using Entry = std::pair<const std::string, std::vector<sqlite3_stmt *>>;
    ~StatementCache() { Close(); }
    // A kept statement of that SQL, or nullptr.
    sqlite3_stmt *Take(const std::string &sql);
    // Where a statement of that SQL is to go back to; nullptr when the cache holds too
    // many texts to take a new one.
    Entry *Home(const std::string &sql);
    // Keeps the statement, or finalizes it when the cache is closed or holds enough.
    void GiveBack(Entry *home, sqlite3_stmt *statement);
    void Close();

private:
    bool m_open = true;
    std::unordered_map<std::string, std::vector<sqlite3_stmt *>> m_free;
};

class Statement {
public:
    Statement() = default;
    explicit Statement(sqlite3_stmt *statement) : m_statement(statement) {}
    // A statement that goes back to `cache` under the SQL at `home` when it is let go.
    Statement(sqlite3_stmt *statement, std::shared_ptr<StatementCache> cache, StatementCache::Entry *home)
        : m_statement(statement), m_cache(home ? std::move(cache) : nullptr), m_home(home)
    {
    }
    Statement(Statement &&other) noexcept
        : m_statement(std::exchange(other.m_statement, nullptr)), m_cache(std::move(other.m_cache)),
          m_home(std::exchange(other.m_home, nullptr))
    {
    }
    Statement &operator=(Statement &&other) noexcept
    {
        if (this != &other) {
            Release();
            m_statement = std::exchange(other.m_statement, nullptr);
            m_cache = std::move(other.m_cache);
            m_home = std::exchange(other.m_home, nullptr);
        }
        return *this;
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement() { Release(); }

    sqlite3_stmt *get() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }
    // The statement, which the caller owns from now on.
    sqlite3_stmt *Disown()
    {
        m_cache.reset();
        m_home = nullptr;
        return std::exchange(m_statement, nullptr);
    }

private:
    void Release()
    {
        if (m_cache)
            m_cache->GiveBack(m_home, m_statement);
        else
            sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_cache.reset();
        m_home = nullptr;
    }

    sqlite3_stmt *m_statement = nullptr;
    std::shared_ptr<StatementCache> m_cache;
    StatementCache::Entry *m_home = nullptr;
};

} // namespace qeldao
