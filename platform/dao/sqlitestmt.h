// An SQLite prepared statement that finalizes itself. Internal to the library.
#pragma once

#include <sqlite3.h>

#include <utility>

namespace qeldao {

class Statement {
public:
    Statement() = default;
    explicit Statement(sqlite3_stmt *statement) : m_statement(statement) {}
    Statement(Statement &&other) noexcept : m_statement(std::exchange(other.m_statement, nullptr)) {}
    Statement &operator=(Statement &&other) noexcept
    {
        if (this != &other) {
            sqlite3_finalize(m_statement);
            m_statement = std::exchange(other.m_statement, nullptr);
        }
        return *this;
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement() { sqlite3_finalize(m_statement); }

    sqlite3_stmt *get() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace qeldao
