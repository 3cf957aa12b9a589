#include "databaseimpl.h"

#include "companions.h"
#include "daoerror.h"
#include "filedigest.h"
#include "jeterror.h"
#include "jetlike.h"
#include "jetnames.h"
#include "passwordcheck.h"
#include "sqlitefail.h"

#include <algorithm>
#include <unistd.h>

namespace qeldao {

namespace {

// The mark of a database of this engine, in MSysDaoInfo.
const char kFormat[] = "Qelvane DAO 1";

const char kCatalogSql[] =
    "CREATE TABLE MSysDaoInfo(Name TEXT PRIMARY KEY, Value TEXT NOT NULL);"
    "CREATE TABLE MSysDaoFields(TableName TEXT NOT NULL, Position INTEGER NOT NULL, Name TEXT NOT NULL,"
    " Type INTEGER NOT NULL, Size INTEGER NOT NULL, Attributes INTEGER NOT NULL, Required INTEGER NOT NULL,"
    " AllowZeroLength INTEGER NOT NULL, DefaultValue TEXT NOT NULL, PRIMARY KEY(TableName, Position));"
    "CREATE TABLE MSysDaoIndexes(TableName TEXT NOT NULL, IndexName TEXT NOT NULL, Position INTEGER NOT NULL,"
    " FieldName TEXT NOT NULL, IsPrimary INTEGER NOT NULL, IsUnique INTEGER NOT NULL,"
    " IgnoreNulls INTEGER NOT NULL, Required INTEGER NOT NULL, PRIMARY KEY(TableName, IndexName, Position));"
    "CREATE TABLE MSysDaoQueries(Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL);";

const int kMaxTransactions = 5; // Jet's limit of nested transactions

bool IsReservedTable(const char *name)
{
    if (!name)
        return false;
    std::string_view text(name);
    auto starts = [&](std::string_view prefix) {
        return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
    };
    return starts("MSysDao") || starts("sqlite_");
}

std::string Text(sqlite3_stmt *statement, int column)
{
    JetValue value = ReadColumn(statement, column);
    return value.kind == JetValue::Text ? value.text : std::string();
}

[[noreturn]] void ThrowClaimFailure(FileClaim::Failure failure, const std::string &path, const char *source)
{
    switch (failure) {
    case FileClaim::NotFound:
        ThrowJet(source, JET_FILE_NOT_FOUND, path);
    case FileClaim::Exists:
        ThrowJet(source, JET_DATABASE_EXISTS);
    case FileClaim::BadPath:
        ThrowJet(source, JET_BAD_PATH, path);
    case FileClaim::InUse:
        ThrowJet(source, JET_FILE_IN_USE, path);
    case FileClaim::NoAccess:
        ThrowJet(source, JET_NO_PERMISSION, path);
    default:
        ThrowJet(source, JET_DISK_ERROR);
    }
}

} // namespace

// Runs the engine's own statements outside the authorizer.
class InternalScope {
public:
    explicit InternalScope(bool &flag) : m_flag(flag), m_was(flag) { flag = true; }
    ~InternalScope() { m_flag = m_was; }

private:
    bool &m_flag;
    bool m_was;
};

DatabaseImpl::DatabaseImpl(std::string path, bool readOnly, std::unique_ptr<FileClaim> claim)
    : m_path(std::move(path)), m_readOnly(readOnly), m_claim(std::move(claim))
{
    m_catalog.findQuery = [this](std::string_view name, std::string *storedName, std::string *sql) {
        return FindQuery(name, storedName, sql);
    };
    m_catalog.isTable = [this](std::string_view name) { return FindTable(name) != nullptr; };
}

DatabaseImpl::~DatabaseImpl()
{
    Close();
}

std::shared_ptr<DatabaseImpl> DatabaseImpl::Open(const std::string &path, bool exclusive, bool readOnly,
                                                 const std::string &password)
{
    const char *source = SRC_WORKSPACE;
    FileClaim::Failure failure;
    std::unique_ptr<FileClaim> claim = FileClaim::Take(path, false, exclusive, readOnly, &failure);
    if (!claim)
        ThrowClaimFailure(failure, path, source);
    std::shared_ptr<DatabaseImpl> db(new DatabaseImpl(path, readOnly, std::move(claim)));
    db->CheckCompanions(source);
    db->Connect(exclusive, source);
    db->CheckFormat(password, source);
    db->Tune(source);
    db->CheckPages(source);
    db->LoadDefinitions(source);
    db->m_sound = true;
    return db;
}

std::shared_ptr<DatabaseImpl> DatabaseImpl::Create(const std::string &path, const std::string &password)
{
    const char *source = SRC_WORKSPACE;
    FileClaim::Failure failure;
    std::unique_ptr<FileClaim> claim = FileClaim::Take(path, true, true, false, &failure);
    if (!claim)
        ThrowClaimFailure(failure, path, source);
    std::shared_ptr<DatabaseImpl> db(new DatabaseImpl(path, false, std::move(claim)));
    try {
        db->Connect(true, source);
        db->Tune(source);
        db->CreateCatalog(password, source);
        db->m_sound = true;
    } catch (...) {
        // Leave no half-made file behind: the file is ours, made a moment ago. It goes
        // while the claim still holds it, so that nobody opens it in between.
        unlink(path.c_str());
        unlink((path + "-journal").c_str());
        db->Close();
        throw;
    }
    return db;
}

void DatabaseImpl::Connect(bool exclusive, const char *source)
{
    // SQLite counts every allocation under a process-wide lock, for statistics that
    // nothing here reads; a program file's load makes millions of them. This must come
    // before SQLite starts, so the first connection of the process sets it.
    static const int noMemoryStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)noMemoryStatistics;
    int flags = (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                SQLITE_OPEN_EXRESCODE;
    int rc = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (!m_db)
            throw std::bad_alloc();
        Fail(rc, source);
    }
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    rc = RegisterJetLike(m_db);
    if (rc != SQLITE_OK)
        Fail(rc, source);
    sqlite3_set_authorizer(m_db, Authorize, this);
    // Exclusive locking keeps the file locked from the first read on, which saves the
    // lock calls of every transaction; the FileClaim has shut others out already.
    if (exclusive)
        ExecInternal("PRAGMA locking_mode=EXCLUSIVE", source);
}

void DatabaseImpl::Tune(const char *source)
{
    // Some of these read the schema, and so the file: they wait until the file has been
    // found to be of this engine, so that its damage is judged by the check alone.
    // Reading through a memory map saves the copy of every page read; the queries of a
    // symbol database read far more than they write.
    ExecInternal("PRAGMA synchronous=OFF; PRAGMA secure_delete=OFF; PRAGMA trusted_schema=OFF;"
                 " PRAGMA cache_size=-16384; PRAGMA temp_store=MEMORY; PRAGMA mmap_size=268435456",
                 source);
}

void DatabaseImpl::CreateCatalog(const std::string &password, const char *source)
{
    InternalScope internal(m_internal);
    ExecInternal("BEGIN", source);
    ExecInternal(kCatalogSql, source);
    Statement insert;
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "INSERT INTO MSysDaoInfo(Name, Value) VALUES(?1, ?2)", -1, &statement, nullptr);
    insert = Statement(statement);
    if (rc != SQLITE_OK)
        Fail(rc, source);
    std::vector<std::pair<std::string, std::string>> rows = {{"Format", kFormat}};
    if (!password.empty()) {
        std::string salt = NewPasswordSalt();
        rows.emplace_back("PasswordSalt", salt);
        rows.emplace_back("PasswordCheck", PasswordCheckValue(salt, password));
    }
    for (const auto &[name, value] : rows) {
        BindValue(statement, 1, JetValue::OfText(name));
        BindValue(statement, 2, JetValue::OfText(value));
        rc = sqlite3_step(statement);
        sqlite3_reset(statement);
        if (rc != SQLITE_DONE)
            Fail(rc, source);
    }
    ExecInternal("COMMIT", source);
}

// The rows of MSysDaoInfo, as far as they can be read.
struct DatabaseImpl::FormatRows {
    int rc = SQLITE_OK; // how the reading ended: SQLITE_DONE when it was read whole
    bool prepared = false;
    std::string format, salt, check;
};

DatabaseImpl::FormatRows DatabaseImpl::ReadFormatRows(sqlite3 *db)
{
    FormatRows rows;
    sqlite3_stmt *raw = nullptr;
    rows.rc = sqlite3_prepare_v2(db, "SELECT Name, Value FROM MSysDaoInfo", -1, &raw, nullptr);
    Statement statement(raw);
    rows.prepared = raw != nullptr;
    while (rows.rc == SQLITE_OK || rows.rc == SQLITE_ROW) {
        rows.rc = sqlite3_step(raw);
        if (rows.rc != SQLITE_ROW)
            break;
        std::string name = Text(raw, 0);
        if (name == "Format")
            rows.format = Text(raw, 1);
        else if (name == "PasswordSalt")
            rows.salt = Text(raw, 1);
        else if (name == "PasswordCheck")
            rows.check = Text(raw, 1);
    }
    return rows;
}

void DatabaseImpl::CheckCompanions(const char *source)
{
    switch (FindCompanions(m_path)) {
    case Companions::None:
        return;
    case Companions::WriteAheadLog:
        ThrowJet(source, JET_UNRECOGNIZED_FORMAT, m_path);
    case Companions::HotJournal:
        break;
    }
    // The mark is read from the file as it lies, the journal unheeded. A transaction of
    // ours that died changed table pages, never the mark's: a file of ours shows it
    // still, and its journal is rolled back by the connection that opens it next.
    sqlite3 *probe = nullptr;
    int rc = sqlite3_open_v2(ImmutableUri(m_path).c_str(), &probe,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (!probe)
        throw std::bad_alloc();
    const FormatRows rows = rc == SQLITE_OK ? ReadFormatRows(probe) : FormatRows();
    sqlite3_close_v2(probe);
    if (rows.format != kFormat)
        ThrowJet(source, JET_UNRECOGNIZED_FORMAT, m_path);
}

void DatabaseImpl::CheckFormat(const std::string &password, const char *source)
{
    // Damage is told from a foreign file only once the mark has been read: damage that
    // hides the mark (a first page that no longer leads to MSysDaoInfo, say) leaves a
    // file that nothing proves to be of this engine, and a caller that rebuilds damaged
    // databases must not take another program's damaged file for one of its own.
    InternalScope internal(m_internal);
    FormatRows rows = ReadFormatRows(m_db);
    bool damaged = false;
    if (rows.format != kFormat && (rows.rc & 0xFF) == SQLITE_CORRUPT) {
        // SQLite refuses the whole file when it is shorter than its header says, or
        // when one entry of its schema cannot be read, before it reads any table. Read
        // once more as SQLite reads a file to salvage it (pages as far as the file
        // goes, schema entries that cannot be read left out): the mark is as much a
        // proof there as anywhere. The connection is not used for anything else.
        damaged = true;
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
        if (sqlite3_exec(m_db, "PRAGMA writable_schema=ON", nullptr, nullptr, nullptr) == SQLITE_OK)
            rows = ReadFormatRows(m_db);
    }
    int primary = rows.rc & 0xFF;
    if (rows.format != kFormat) {
        if (damaged || rows.rc == SQLITE_DONE || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ||
            (primary == SQLITE_ERROR && !rows.prepared))
            ThrowJet(source, JET_UNRECOGNIZED_FORMAT, m_path);
        Fail(rows.rc, source);
    }
    // The password first, so that a damaged file still tells whether it has one.
    if (!rows.check.empty() && PasswordCheckValue(rows.salt, password) != rows.check)
        ThrowJet(source, JET_BAD_PASSWORD);
    if (damaged || primary == SQLITE_CORRUPT)
        ThrowJet(source, JET_DAMAGED, m_path);
    if (rows.rc != SQLITE_DONE)
        Fail(rows.rc, source);
}

void DatabaseImpl::CheckPages(const char *source)
{
    // A file that is still as this engine left it needs no check: reading it whole
    // costs a small part of checking its pages.
    FileDigest digest;
    if (ReadFileDigest(m_claim->Descriptor(), &digest) && digest.stored == digest.computed)
        return;
    // The first query would find the damage otherwise, long after the file was taken
    // as sound. quick_check reads every page of every b-tree, but does not compare the
    // indexes with their tables' rows.
    InternalScope internal(m_internal);
    sqlite3_stmt *raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check(1)", -1, &raw, nullptr);
    Statement statement(raw);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(raw);
    if (rc == SQLITE_ROW && Text(raw, 0) == "ok")
        return;
    if (rc == SQLITE_ROW || (rc & 0xFF) == SQLITE_CORRUPT)
        ThrowJet(source, JET_DAMAGED, m_path);
    Fail(rc, source);
}

void DatabaseImpl::LoadDefinitions(const char *source)
{
    InternalScope internal(m_internal);
    m_tables.clear();
    m_queries.clear();
    auto foreign = [&]() { ThrowJet(source, JET_UNRECOGNIZED_FORMAT, m_path); };
    auto prepare = [&](const char *sql) {
        sqlite3_stmt *raw = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &raw, nullptr);
        Statement statement(raw);
        // A catalog table or column that is missing: the mark alone makes no database
        // of this engine.
        if ((rc & 0xFF) == SQLITE_ERROR)
            foreign();
        if (rc != SQLITE_OK)
            Fail(rc, source);
        return statement;
    };
    auto step = [&](const Statement &statement) {
        int rc = sqlite3_step(statement.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            Fail(rc, source);
        return rc == SQLITE_ROW;
    };

    // Triggers and views would run or hold SQL that no Jet definition describes.
    Statement objects = prepare("SELECT count(*) FROM sqlite_master WHERE type IN ('trigger', 'view')");
    if (!step(objects) || sqlite3_column_int64(objects.get(), 0) != 0)
        foreign();

    std::map<std::string, TableSchema> tables;
    Statement fields = prepare("SELECT TableName, Name, Type, Size, Attributes, Required, AllowZeroLength, "
                               "DefaultValue FROM MSysDaoFields ORDER BY TableName, Position");
    while (step(fields)) {
        sqlite3_stmt *row = fields.get();
        TableSchema &table = tables[FoldName(Text(row, 0))];
        table.name = Text(row, 0);
        FieldSchema field;
        field.name = Text(row, 1);
        field.type = static_cast<short>(sqlite3_column_int(row, 2));
        field.size = sqlite3_column_int(row, 3);
        field.attributes = sqlite3_column_int(row, 4);
        field.required = sqlite3_column_int(row, 5) != 0;
        field.allowZeroLength = sqlite3_column_int(row, 6) != 0;
        field.defaultValue = Text(row, 7);
        table.fields.push_back(field);
    }
    Statement indexes = prepare("SELECT TableName, IndexName, FieldName, IsPrimary, IsUnique, IgnoreNulls, "
                                "Required FROM MSysDaoIndexes ORDER BY rowid");
    std::string lastKey;
    while (step(indexes)) {
        sqlite3_stmt *row = indexes.get();
        auto found = tables.find(FoldName(Text(row, 0)));
        if (found == tables.end())
            foreign();
        TableSchema &table = found->second;
        std::string indexName = Text(row, 1);
        std::string key = FoldName(table.name) + "." + FoldName(indexName);
        if (key != lastKey) {
            if (table.FindIndex(indexName) >= 0)
                foreign();
            IndexSchema index;
            index.name = indexName;
            index.primary = sqlite3_column_int(row, 3) != 0;
            index.unique = sqlite3_column_int(row, 4) != 0;
            index.ignoreNulls = sqlite3_column_int(row, 5) != 0;
            index.required = sqlite3_column_int(row, 6) != 0;
            table.indexes.push_back(index);
            lastKey = key;
        }
        int field = table.FindField(Text(row, 2));
        if (field < 0)
            foreign();
        table.indexes.back().fields.push_back(field);
    }

    for (auto &[folded, table] : tables) {
        try {
            table.Derive(source);
        } catch (const CdbException &) {
            foreign();
        }
        // The SQLite table must have the columns of the definition, in order, and the
        // indexes that the definition makes.
        Statement columns = prepare(("PRAGMA table_info(" + QuoteName(table.name) + ")").c_str());
        size_t count = 0;
        while (step(columns)) {
            if (count >= table.fields.size() || Text(columns.get(), 1) != table.fields[count].name)
                foreign();
            ++count;
        }
        if (count != table.fields.size())
            foreign();
        Statement index = prepare("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = ?1 "
                                  "AND tbl_name = ?2");
        for (const std::string &name : table.SqliteIndexNames()) {
            BindValue(index.get(), 1, JetValue::OfText(name));
            BindValue(index.get(), 2, JetValue::OfText(table.name));
            if (!step(index) || sqlite3_column_int(index.get(), 0) != 1)
                foreign();
            sqlite3_reset(index.get());
        }
        m_tables.emplace(folded, std::make_shared<const TableSchema>(table));
    }

    Statement queries = prepare("SELECT Name, SQL FROM MSysDaoQueries");
    while (step(queries)) {
        std::string name = Text(queries.get(), 0);
        std::string folded = FoldName(name);
        if (!IsValidObjectName(name) || m_tables.count(folded) || m_queries.count(folded))
            foreign();
        m_queries.emplace(folded, std::make_pair(name, Text(queries.get(), 1)));
    }
}

void DatabaseImpl::Close()
{
    if (!m_db)
        return;
    for (const std::weak_ptr<DatabaseChild> &weak : m_children)
        if (std::shared_ptr<DatabaseChild> child = weak.lock())
            child->Detach();
    m_children.clear();
    m_watchers.clear();
    m_statements->Close();
    if (!m_readOnly && !sqlite3_get_autocommit(m_db)) {
        // What closing rolls back keeps its auto numbers taken.
        InternalScope internal(m_internal);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        ForgetCounts();
        KeepAutoNumbersTaken();
    }
    LeaveDigest();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_depth = 0;
    m_claim.reset();
}

void DatabaseImpl::LeaveDigest()
{
    // Only a connection that holds the file alone knows that nobody changes it while it
    // reads it. Whatever fails here leaves a digest that does not match: the next open
    // checks the pages, as it would without one.
    if (m_readOnly || !m_sound || !m_changed || !m_claim || !m_claim->IsExclusive())
        return;
    InternalScope internal(m_internal);
    // What closing would roll back goes first, so that the digest is of the file that
    // the close leaves.
    if (!sqlite3_get_autocommit(m_db) && sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
        return;
    FileDigest digest;
    if (!ReadFileDigest(m_claim->Descriptor(), &digest) || digest.stored == digest.computed)
        return;
    std::string sql = "BEGIN; PRAGMA user_version = " + std::to_string(DigestHigh(digest.computed)) +
                      "; PRAGMA application_id = " + std::to_string(DigestLow(digest.computed)) + "; COMMIT";
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

sqlite3 *DatabaseImpl::Handle(const char *source) const
{
    if (!m_db)
        ThrowJet(source, JET_OBJECT_CLOSED);
    return m_db;
}

void DatabaseImpl::Fail(int rc, const char *source) const
{
    if ((rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB)
        m_sound = false;
    ThrowSqlite(m_db, rc, source);
}

void DatabaseImpl::ExecInternal(const std::string &sql, const char *source)
{
    InternalScope internal(m_internal);
    int rc = sqlite3_exec(Handle(source), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Fail(rc, source);
}

Statement DatabaseImpl::Prepare(const std::string &sql, const char *source)
{
    sqlite3 *db = Handle(source);
    if (sqlite3_stmt *kept = m_statements->Take(sql))
        return Statement(kept, m_statements, m_statements->Home(sql));
    sqlite3_stmt *raw = nullptr;
    const char *tail = nullptr;
    int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw, &tail);
    Statement statement(raw);
    if (rc != SQLITE_OK)
        Fail(rc, source);
    if (!raw)
        ThrowJet(source, JET_SYNTAX, sql);
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n')
            ThrowJet(source, JET_TEXT_AFTER_END);
    return Statement(statement.Disown(), m_statements, m_statements->Home(sql));
}

int DatabaseImpl::Authorize(void *self, int action, const char *a, const char *, const char *, const char *)
{
    if (static_cast<DatabaseImpl *>(self)->m_internal)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_READ:
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        return IsReservedTable(a) ? SQLITE_DENY : SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

std::shared_ptr<const TableSchema> DatabaseImpl::FindTable(std::string_view name) const
{
    auto found = m_tables.find(FoldName(name));
    return found == m_tables.end() ? nullptr : found->second;
}

bool DatabaseImpl::FindQuery(std::string_view name, std::string *storedName, std::string *sql) const
{
    auto found = m_queries.find(FoldName(name));
    if (found == m_queries.end())
        return false;
    *storedName = found->second.first;
    *sql = found->second.second;
    return true;
}

void DatabaseImpl::AppendTable(TableSchema schema, const char *source)
{
    Handle(source);
    if (m_readOnly)
        ThrowJet(source, JET_READ_ONLY);
    schema.Derive(source);
    std::string storedName, sql;
    if (FindTable(schema.name) || FindQuery(schema.name, &storedName, &sql))
        ThrowJet(source, JET_TABLE_EXISTS, schema.name);

    BeforeChange();
    InternalScope internal(m_internal);
    ExecInternal("SAVEPOINT qel_define", source);
    try {
        ExecInternal(schema.CreateTableSql(), source);
        for (const std::string &statement : schema.CreateIndexSql())
            ExecInternal(statement, source);
        sqlite3_stmt *raw = nullptr;
        int rc = sqlite3_prepare_v2(m_db, "INSERT INTO MSysDaoFields VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)", -1,
                                    &raw, nullptr);
        Statement field(raw);
        if (rc != SQLITE_OK)
            Fail(rc, source);
        for (size_t i = 0; i < schema.fields.size(); ++i) {
            const FieldSchema &f = schema.fields[i];
            const JetValue values[] = {JetValue::OfText(schema.name),     JetValue::OfInteger(int64_t(i)),
                                       JetValue::OfText(f.name),          JetValue::OfInteger(f.type),
                                       JetValue::OfInteger(f.size),       JetValue::OfInteger(f.attributes),
                                       JetValue::OfInteger(f.required),   JetValue::OfInteger(f.allowZeroLength),
                                       JetValue::OfText(f.defaultValue)};
            for (int k = 0; k < 9; ++k)
                BindValue(raw, k + 1, values[k]);
            rc = sqlite3_step(raw);
            sqlite3_reset(raw);
            if (rc != SQLITE_DONE)
                Fail(rc, source);
        }
        rc = sqlite3_prepare_v2(m_db, "INSERT INTO MSysDaoIndexes VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)", -1, &raw,
                                nullptr);
        Statement index(raw);
        if (rc != SQLITE_OK)
            Fail(rc, source);
        for (const IndexSchema &x : schema.indexes) {
            for (size_t k = 0; k < x.fields.size(); ++k) {
                const JetValue values[] = {JetValue::OfText(schema.name),
                                           JetValue::OfText(x.name),
                                           JetValue::OfInteger(int64_t(k)),
                                           JetValue::OfText(schema.fields[x.fields[k]].name),
                                           JetValue::OfInteger(x.primary),
                                           JetValue::OfInteger(x.unique),
                                           JetValue::OfInteger(x.ignoreNulls),
                                           JetValue::OfInteger(x.required)};
                for (int v = 0; v < 8; ++v)
                    BindValue(raw, v + 1, values[v]);
                rc = sqlite3_step(raw);
                sqlite3_reset(raw);
                if (rc != SQLITE_DONE)
                    Fail(rc, source);
            }
        }
        ExecInternal("RELEASE qel_define", source);
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK TO qel_define; RELEASE qel_define", nullptr, nullptr, nullptr);
        throw;
    }
    std::string folded = FoldName(schema.name);
    m_tables[folded] = std::make_shared<const TableSchema>(std::move(schema));
}

void DatabaseImpl::AppendIndex(const std::string &tableName, IndexSchema index,
                               const std::vector<std::string> &fieldNames, const char *source)
{
    Handle(source);
    if (m_readOnly)
        ThrowJet(source, JET_READ_ONLY);
    std::shared_ptr<const TableSchema> table = FindTable(tableName);
    if (!table)
        ThrowJet(source, JET_ITEM_NOT_FOUND);
    if (index.primary || index.required)
        ThrowJet(source, JET_NOT_SUPPORTED);
    TableSchema schema = *table;
    index.fields.clear();
    for (const std::string &name : fieldNames) {
        int field = schema.FindField(name);
        if (field < 0)
            ThrowDao(source, JET_ITEM_NOT_FOUND,
                     "The index '" + index.name + "' names the field '" + name + "', which the table does not have.");
        index.fields.push_back(field);
    }
    schema.indexes.push_back(std::move(index));
    schema.Derive(source);
    const IndexSchema &made = schema.indexes.back();

    BeforeChange();
    InternalScope internal(m_internal);
    ExecInternal("SAVEPOINT qel_define", source);
    // The index is made from the table's keys, sorted: with temporary storage in memory
    // SQLite's sorter allocates every key apart, with a file it packs them into one
    // buffer, which it writes out only when they outgrow the page cache. Should the
    // setting not change (it cannot while a temporary table is open), the index is
    // made all the same, only slower.
    sqlite3_exec(m_db, "PRAGMA temp_store=FILE", nullptr, nullptr, nullptr);
    struct MemoryAgain {
        sqlite3 *db;
        ~MemoryAgain() { sqlite3_exec(db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr); }
    } memoryAgain{m_db};
    try {
        for (const std::string &statement : schema.CreateIndexSql(schema.indexes.size() - 1))
            ExecInternal(statement, source);
        sqlite3_stmt *raw = nullptr;
        int rc = sqlite3_prepare_v2(m_db, "INSERT INTO MSysDaoIndexes VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)", -1, &raw,
                                    nullptr);
        Statement insert(raw);
        if (rc != SQLITE_OK)
            Fail(rc, source);
        for (size_t k = 0; k < made.fields.size(); ++k) {
            const JetValue values[] = {JetValue::OfText(schema.name),
                                       JetValue::OfText(made.name),
                                       JetValue::OfInteger(int64_t(k)),
                                       JetValue::OfText(schema.fields[made.fields[k]].name),
                                       JetValue::OfInteger(made.primary),
                                       JetValue::OfInteger(made.unique),
                                       JetValue::OfInteger(made.ignoreNulls),
                                       JetValue::OfInteger(made.required)};
            for (int v = 0; v < 8; ++v)
                BindValue(raw, v + 1, values[v]);
            rc = sqlite3_step(raw);
            sqlite3_reset(raw);
            if (rc != SQLITE_DONE)
                Fail(rc, source);
        }
        ExecInternal("RELEASE qel_define", source);
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK TO qel_define; RELEASE qel_define", nullptr, nullptr, nullptr);
        throw;
    }
    // Recordsets open on the table keep the definition they were opened with.
    std::string folded = FoldName(schema.name);
    m_tables[folded] = std::make_shared<const TableSchema>(std::move(schema));
}

void DatabaseImpl::StoreQuery(const std::string &name, const std::string &sql, const char *source)
{
    Handle(source);
    if (!IsValidObjectName(name))
        ThrowJet(source, JET_BAD_NAME, name);
    std::string storedName, storedSql;
    if (FindTable(name) || FindQuery(name, &storedName, &storedSql))
        ThrowJet(source, JET_OBJECT_EXISTS, name);
    if (m_readOnly)
        ThrowJet(source, JET_READ_ONLY);
    BeforeChange();
    InternalScope internal(m_internal);
    sqlite3_stmt *raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "INSERT INTO MSysDaoQueries(Name, SQL) VALUES(?1, ?2)", -1, &raw, nullptr);
    Statement insert(raw);
    if (rc != SQLITE_OK)
        Fail(rc, source);
    BindValue(raw, 1, JetValue::OfText(name));
    BindValue(raw, 2, JetValue::OfText(sql));
    rc = sqlite3_step(raw);
    if (rc != SQLITE_DONE)
        Fail(rc, source);
    m_queries[FoldName(name)] = std::make_pair(name, sql);
}

std::shared_ptr<TableCounters> DatabaseImpl::Counters(const TableSchema &table)
{
    std::shared_ptr<TableCounters> &counters = m_counters[FoldName(table.name)];
    if (!counters) {
        counters = std::make_shared<TableCounters>();
        counters->table = table.name;
    }
    return counters;
}

int64_t DatabaseImpl::RowCount(const TableSchema &table, const char *source)
{
    std::shared_ptr<TableCounters> counters = Counters(table);
    if (counters->rowCount < 0) {
        Statement count = Prepare("SELECT count(*) FROM " + QuoteName(table.name), source);
        int rc = sqlite3_step(count.get());
        if (rc != SQLITE_ROW)
            Fail(rc, source);
        counters->rowCount = sqlite3_column_int64(count.get(), 0);
    }
    return counters->rowCount;
}

namespace {

std::string AutoNumberMark(const std::string &table)
{
    return "NextAutoNumber " + table;
}

} // namespace

Statement DatabaseImpl::PrepareInternal(const std::string &sql, const char *source)
{
    // Never from the cache of the system's statements, which the authorizer passed.
    sqlite3_stmt *raw = nullptr;
    int rc = sqlite3_prepare_v2(Handle(source), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    Statement statement(raw);
    if (rc != SQLITE_OK)
        Fail(rc, source);
    return statement;
}

int64_t DatabaseImpl::TakeAutoNumber(const TableSchema &table, TableCounters &counters, const char *source)
{
    if (!counters.autoNumberKnown) {
        // The next number by the file's mark, past the highest row (one that a foreign
        // hand put in) and past SQLite's sequence of a file made before the mark was
        // kept. A number once handed out in this session is not handed out again
        // either, even when its record was never stored.
        InternalScope internal(m_internal);
        Statement sequence =
            PrepareInternal("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'", source);
        if (sqlite3_step(sequence.get()) != SQLITE_ROW)
            Fail(sqlite3_errcode(m_db), source);
        const bool hasSequence = sqlite3_column_int(sequence.get(), 0) != 0;
        std::string sql = "SELECT max(IFNULL((SELECT max(rowid) FROM " + QuoteName(table.name) +
                          "), 0) + 1, IFNULL((SELECT CAST(Value AS INTEGER) FROM MSysDaoInfo WHERE Name = ?2), 1)";
        if (hasSequence)
            sql += ", IFNULL((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0) + 1";
        Statement highest = PrepareInternal(sql + ")", source);
        BindValue(highest.get(), 1, JetValue::OfText(table.name));
        BindValue(highest.get(), 2, JetValue::OfText(AutoNumberMark(table.name)));
        int rc = sqlite3_step(highest.get());
        if (rc != SQLITE_ROW)
            Fail(rc, source);
        counters.nextAutoNumber = std::max<int64_t>(counters.nextAutoNumber, sqlite3_column_int64(highest.get(), 0));
        counters.autoNumberKnown = true;
    }
    if (counters.nextAutoNumber > 2147483647)
        ThrowJet(source, JET_NUMERIC_OVERFLOW); // auto numbers are Long
    int64_t number = counters.nextAutoNumber++;
    // Outside a transaction the record is stored by its own statement: the mark goes
    // first, so that no later session takes the number again.
    if (m_depth == 0)
        MarkAutoNumbers(source);
    return number;
}

void DatabaseImpl::MarkAutoNumbers(const char *source)
{
    InternalScope internal(m_internal);
    for (auto &[folded, counters] : m_counters) {
        if (counters->nextAutoNumber <= counters->markedAutoNumber || counters->nextAutoNumber == 0)
            continue;
        Statement mark = PrepareInternal("INSERT OR REPLACE INTO MSysDaoInfo(Name, Value) VALUES(?1, ?2)", source);
        BindValue(mark.get(), 1, JetValue::OfText(AutoNumberMark(counters->table)));
        BindValue(mark.get(), 2, JetValue::OfText(std::to_string(counters->nextAutoNumber)));
        int rc = sqlite3_step(mark.get());
        sqlite3_reset(mark.get());
        m_changed = true;
        if (rc != SQLITE_DONE)
            Fail(rc, source);
        counters->markedAutoNumber = counters->nextAutoNumber;
    }
}

void DatabaseImpl::ForgetCounts()
{
    for (auto &[name, counters] : m_counters) {
        counters->rowCount = -1;
        counters->autoNumberKnown = false;
        // A mark written inside a transaction that is gone went with it.
        counters->markedAutoNumber = 0;
    }
}

void DatabaseImpl::BeginTrans(const char *source)
{
    Handle(source);
    if (m_depth >= kMaxTransactions)
        ThrowJet(source, JET_TOO_MANY_TRANSACTIONS);
    ExecInternal(m_depth == 0 ? std::string("BEGIN") : "SAVEPOINT qel_" + std::to_string(m_depth), source);
    ++m_depth;
}

void DatabaseImpl::CommitTrans(const char *source)
{
    Handle(source);
    if (m_depth == 0)
        ThrowJet(source, JET_NO_TRANSACTION);
    if (sqlite3_get_autocommit(m_db)) {
        // SQLite rolled the transaction back after an error (a full disk, say): what
        // it held is gone, and committing must not look like success.
        m_depth = 0;
        ForgetCounts();
        LoadDefinitions(source);
        KeepAutoNumbersTaken();
        ThrowDao(source, JET_NO_TRANSACTION,
                 "The transaction was rolled back after an earlier error; nothing was committed.");
    }
    try {
        if (m_depth == 1)
            MarkAutoNumbers(source);
        ExecInternal(m_depth == 1 ? std::string("COMMIT") : "RELEASE qel_" + std::to_string(m_depth - 1), source);
    } catch (...) {
        if (sqlite3_get_autocommit(m_db))
            m_depth = 0;
        throw;
    }
    --m_depth;
}

void DatabaseImpl::Rollback(const char *source)
{
    Handle(source);
    if (m_depth == 0)
        ThrowJet(source, JET_NO_TRANSACTION);
    BeforeChange();
    if (sqlite3_get_autocommit(m_db)) {
        m_depth = 0;
    } else {
        std::string savepoint = "qel_" + std::to_string(m_depth - 1);
        ExecInternal(m_depth == 1 ? std::string("ROLLBACK")
                                  : "ROLLBACK TO " + savepoint + "; RELEASE " + savepoint,
                     source);
        --m_depth;
    }
    // Tables defined and rows counted inside the transaction may be gone.
    ForgetCounts();
    LoadDefinitions(source);
    if (m_depth == 0)
        MarkAutoNumbers(source);
}

void DatabaseImpl::KeepAutoNumbersTaken()
{
    // Already failing: what the caller reports is the failure it is in. A mark that
    // cannot be written leaves the numbers of the lost records to be taken again in a
    // later session, as SQLite's own sequence would.
    try {
        MarkAutoNumbers(SRC_DATABASE);
    } catch (const CdbException &) {
    }
}

void DatabaseImpl::Adopt(const std::shared_ptr<DatabaseChild> &child)
{
    if (m_children.size() >= 64 && m_children.size() == m_children.capacity()) {
        std::vector<std::weak_ptr<DatabaseChild>> live;
        for (const std::weak_ptr<DatabaseChild> &weak : m_children)
            if (!weak.expired())
                live.push_back(weak);
        m_children.swap(live);
    }
    m_children.push_back(child);
}

void DatabaseImpl::Watch(ChangeWatcher *watcher)
{
    if (std::find(m_watchers.begin(), m_watchers.end(), watcher) == m_watchers.end())
        m_watchers.push_back(watcher);
}

void DatabaseImpl::Unwatch(ChangeWatcher *watcher)
{
    m_watchers.erase(std::remove(m_watchers.begin(), m_watchers.end(), watcher), m_watchers.end());
}

void DatabaseImpl::BeforeChange()
{
    m_changed = true;
    // A watcher is told once; one that fails to make sure of its rows fails the change.
    while (!m_watchers.empty()) {
        ChangeWatcher *watcher = m_watchers.back();
        m_watchers.pop_back();
        watcher->BeforeChange();
    }
}

} // namespace qeldao
