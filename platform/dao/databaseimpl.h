// One open database: the SQLite connection and what the engine keeps beside it.
// Internal to the library.
//
// The file is an SQLite database with four tables of the engine's own: MSysDaoInfo
// (the format mark, the password check value and the next auto number of each table
// that has one), MSysDaoFields and MSysDaoIndexes
// (the Jet definition of every table) and MSysDaoQueries (the stored queries, by name,
// in their Jet SQL). A file without them is no database of this engine (3343), and
// neither is one with a write-ahead log or one whose hot journal lies beside a file
// without the mark: those are refused before SQLite may write to them. A file
// is damaged (3049) only when its mark has been read: whatever hides the mark makes it
// a file of no known kind (3343). Every page is checked at open, so that a damaged
// file is refused then and not at some later query, unless the file is still as a
// connection of this engine left it (filedigest.h).
//
// Statements that the system's SQL or the engine's recordsets run may touch the tables
// of the Jet definitions only: an authorizer refuses SQLite's and the engine's own
// tables and every statement that changes the schema, the connection or the
// transactions. The engine's own statements run outside it ("internal").
//
// The connection runs without sync: a symbol database is a cache that can always be
// built again. The rollback journal stays, so a process that dies while writing leaves
// the last committed state.
#pragma once

#include "fileclaim.h"
#include "jetsql.h"
#include "sqlitestmt.h"
#include "tableschema.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qeldao {

// What is closed with its database: recordsets and query definitions.
class DatabaseChild {
public:
    virtual ~DatabaseChild() = default;
    // Drops every statement; the object answers 3420 from then on.
    virtual void Detach() = 0;
};

// What reads the file as it goes and must make sure of its rows before the file changes:
// a statement that is still stepping may or may not see a change, and a rollback ends it.
class ChangeWatcher {
public:
    virtual void BeforeChange() = 0;

protected:
    ~ChangeWatcher() = default;
};

// What a recordset of a table shares with the others of the same table.
struct TableCounters {
    std::string table;          // the table's name as defined
    int64_t rowCount = -1;     // -1: not known
    int64_t nextAutoNumber = 0; // 0: to be read from the file
    bool autoNumberKnown = false;
    int64_t markedAutoNumber = 0; // the next number as the file's mark holds it; 0: not known
};

class DatabaseImpl {
public:
    static std::shared_ptr<DatabaseImpl> Open(const std::string &path, bool exclusive, bool readOnly,
                                              const std::string &password);
    static std::shared_ptr<DatabaseImpl> Create(const std::string &path, const std::string &password);
    ~DatabaseImpl();
    DatabaseImpl(const DatabaseImpl &) = delete;
    DatabaseImpl &operator=(const DatabaseImpl &) = delete;

    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    // The connection; raises 3420 from `source` when the database is closed.
    sqlite3 *Handle(const char *source) const;
    bool IsReadOnly() const { return m_readOnly; }
    const std::string &Path() const { return m_path; }

    // A statement of the system's SQL or of a recordset (under the authorizer). One that
    // ran that text before and was let go is taken again rather than prepared anew.
    Statement Prepare(const std::string &sql, const char *source);
    [[noreturn]] void Fail(int rc, const char *source) const;

    // Definitions.
    std::shared_ptr<const TableSchema> FindTable(std::string_view name) const;
    bool FindQuery(std::string_view name, std::string *storedName, std::string *sql) const;
    const QueryCatalog &Catalog() const { return m_catalog; }
    void AppendTable(TableSchema schema, const char *source);
    // Adds `index` (its fields by name) to the table of that name, which holds rows
    // already; neither primary nor required, since those would change what the table's
    // columns take.
    void AppendIndex(const std::string &tableName, IndexSchema index, const std::vector<std::string> &fieldNames,
                     const char *source);
    void StoreQuery(const std::string &name, const std::string &sql, const char *source);

    // Row counts and auto numbers, kept in memory between calls.
    std::shared_ptr<TableCounters> Counters(const TableSchema &table);
    int64_t RowCount(const TableSchema &table, const char *source);
    // The next auto number of the table. SQLite's row id would take the highest row's
    // number again once that row is deleted or rolled back, so the engine hands the
    // numbers out itself and keeps the next one in MSysDaoInfo ("NextAutoNumber T"),
    // written at the commit of the outermost transaction, after a rollback, and at
    // once outside transactions: no number is handed out twice for a file, even to a
    // record that was never stored.
    int64_t TakeAutoNumber(const TableSchema &table, TableCounters &counters, const char *source);
    // After statements that may have changed any table in ways the counters missed.
    void ForgetCounts();

    // Transactions, nested as savepoints.
    int TransactionDepth() const { return m_depth; }
    void BeginTrans(const char *source);
    void CommitTrans(const char *source);
    void Rollback(const char *source);

    void Adopt(const std::shared_ptr<DatabaseChild> &child);

    // Every change of the file is announced first, to the watchers of that moment.
    void Watch(ChangeWatcher *watcher);
    void Unwatch(ChangeWatcher *watcher);
    void BeforeChange();

private:
    DatabaseImpl(std::string path, bool readOnly, std::unique_ptr<FileClaim> claim);

    void Connect(bool exclusive, const char *source);
    void Tune(const char *source);
    void ExecInternal(const std::string &sql, const char *source);
    // One of the engine's own statements, prepared anew; run it inside InternalScope.
    Statement PrepareInternal(const std::string &sql, const char *source);
    void CreateCatalog(const std::string &password, const char *source);
    struct FormatRows;
    static FormatRows ReadFormatRows(sqlite3 *db);
    // Refuses a file that SQLite would change as it opens it unless the file is ours.
    void CheckCompanions(const char *source);
    void CheckFormat(const std::string &password, const char *source);
    void CheckPages(const char *source);
    // Writes the mark of every table whose next auto number has passed it.
    void MarkAutoNumbers(const char *source);
    // The same after a rollback that the caller did not ask for, without raising.
    void KeepAutoNumbersTaken();
    // Leaves the digest of the file as it now is in its header, when this connection
    // holds the file alone, changed it and has seen no damage in it.
    void LeaveDigest();
    void LoadDefinitions(const char *source);
    static int Authorize(void *self, int action, const char *a, const char *b, const char *db, const char *view);

    std::string m_path;
    bool m_readOnly;
    std::unique_ptr<FileClaim> m_claim;
    sqlite3 *m_db = nullptr;
    bool m_internal = false;
    int m_depth = 0;
    // Whether the file was found or made sound and has shown no damage since, and
    // whether this connection changed it: only then is its digest left at the close, so
    // that a file that was only read is left as it was.
    mutable bool m_sound = false;
    bool m_changed = false;
    std::map<std::string, std::shared_ptr<const TableSchema>> m_tables;      // by folded name
    std::map<std::string, std::pair<std::string, std::string>> m_queries;  // folded -> (name, SQL)
    std::map<std::string, std::shared_ptr<TableCounters>> m_counters;
    std::vector<std::weak_ptr<DatabaseChild>> m_children;
    std::vector<ChangeWatcher *> m_watchers;
    QueryCatalog m_catalog;
    std::shared_ptr<StatementCache> m_statements = std::make_shared<StatementCache>();
};

} // namespace qeldao
