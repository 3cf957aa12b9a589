#include "resultset.h"

#include "daoconst.h"
#include "jeterror.h"
#include "jetnames.h"

#include <cstring>

namespace qeldao {

namespace {

struct ResetOnExit {
    sqlite3_stmt *statement;
    ~ResetOnExit() { sqlite3_reset(statement); }
};

short TypeOfDeclaration(const char *declared)
{
    if (!declared)
        return 0;
    std::string_view text(declared);
    if (SameName(text, "INTEGER"))
        return dbLong;
    if (text.size() >= 4 && SameName(text.substr(0, 4), "TEXT"))
        return dbText;
    if (SameName(text, "DATETIME"))
        return dbDate;
    if (SameName(text, "BOOLEAN"))
        return dbBoolean;
    return 0;
}

} // namespace

ResultSet::ResultSet(std::shared_ptr<QueryDefImpl> query, bool dynaset, bool readOnly)
    : RecordsetImpl(query->Database(), readOnly || !dynaset), m_query(std::move(query)), m_dynaset(dynaset)
{
    const TranslatedQuery &translation = m_query->Translation(SRC_RECORDSET);
    if (!translation.keyedSql.empty())
        m_base = m_db->FindTable(translation.baseTable);
    m_keyed = m_base != nullptr;
    if (!m_keyed)
        m_readOnly = true;
    m_statement = m_query->Take(m_keyed, SRC_RECORDSET);
    sqlite3_stmt *statement = m_statement.get();
    if (!sqlite3_stmt_readonly(statement))
        ThrowJet(SRC_RECORDSET, JET_INVALID_OPERATION);

    int first = m_keyed ? 1 : 0;
    int count = sqlite3_column_count(statement);
    m_rowsNeeded = !m_keyed;
    for (int c = first; c < count; ++c) {
        ColumnInfo info;
        const char *name = sqlite3_column_name(statement, c);
        info.name = name ? name : "";
        info.type = TypeOfDeclaration(sqlite3_column_decltype(statement, c));
        int baseField = -1;
        const char *table = sqlite3_column_table_name(statement, c);
        const char *column = sqlite3_column_origin_name(statement, c);
        if (table && column) {
            if (std::shared_ptr<const TableSchema> origin = m_db->FindTable(table)) {
                int field = origin->FindField(column);
                if (field >= 0) {
                    info.size = origin->fields[field].size;
                    info.attributes = origin->fields[field].attributes;
                    if (m_keyed && origin == m_base)
                        baseField = field;
                }
            }
        }
        m_rowsNeeded = m_rowsNeeded || baseField < 0;
        m_columns.push_back(info);
        m_baseField.push_back(baseField);
    }
    Load();
}

ResultSet::~ResultSet()
{
    m_db->Unwatch(this);
    m_query->GiveBack(m_keyed, std::move(m_statement));
}

void ResultSet::Load()
{
    m_mode = NoEdit;
    m_db->Unwatch(this);
    m_rows.clear();
    m_rowIds.clear();
    m_keepRows = m_rowsNeeded;
    m_steppedAt = SIZE_MAX;
    m_currentDeleted = false;
    m_position = 0;
    m_eof = m_bof = true;
    m_query->Bind(m_statement.get(), SRC_RECORDSET);
    m_stepping = true;
    Watch();
    try {
        if (Reach(0))
            MoveTo(0);
    } catch (...) {
        m_stepping = false;
        m_db->Unwatch(this);
        throw;
    }
}

void ResultSet::Watch()
{
    // A snapshot that keeps row ids only reads its rows from the table as they stand: it
    // has to keep them before the table changes, even when its query has ended.
    if (m_stepping || (!m_dynaset && !m_keepRows))
        m_db->Watch(this);
}

bool ResultSet::Reach(size_t position)
{
    sqlite3_stmt *statement = m_statement.get();
    const int first = m_keyed ? 1 : 0;
    while (ReadCount() <= position) {
        if (!m_stepping)
            return false;
        int rc = sqlite3_step(statement);
        if (rc != SQLITE_ROW) {
            m_stepping = false;
            if (m_dynaset || m_keepRows)
                m_db->Unwatch(this);
            ResetOnExit reset{statement};
            if (rc != SQLITE_DONE)
                m_db->Fail(rc, SRC_RECORDSET);
            return false;
        }
        JetRow row(m_columns.size());
        for (size_t c = 0; c < row.size(); ++c)
            row[c] = ReadColumn(statement, static_cast<int>(first + c));
        if (m_keyed)
            m_rowIds.push_back(sqlite3_column_int64(statement, 0));
        if (m_keepRows)
            m_rows.push_back(std::move(row));
        else
            m_stepped = std::move(row);
        m_steppedAt = ReadCount() - 1;
    }
    return true;
}

void ResultSet::ReadRest()
{
    while (Reach(ReadCount())) {
    }
}

bool ResultSet::ReadById(int64_t rowId, JetRow &row)
{
    if (!m_refresh)
        m_refresh = m_db->Prepare("SELECT " + m_base->ColumnList() + " FROM " + QuoteName(m_base->name) +
                                      " WHERE rowid = ?1",
                                  SRC_RECORDSET);
    sqlite3_stmt *statement = m_refresh.get();
    sqlite3_bind_int64(statement, 1, rowId);
    ResetOnExit reset{statement};
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        m_db->Fail(rc, SRC_RECORDSET);
    row.resize(m_columns.size());
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_baseField[c] >= 0)
            row[c] = ReadColumn(statement, m_baseField[c]);
    return true;
}

void ResultSet::MoveTo(size_t position)
{
    // The row read last is as it stands now: nothing has changed since it was read.
    const bool fresh = position == m_steppedAt;
    m_position = position;
    m_eof = m_bof = false;
    m_currentDeleted = false;
    if (m_keepRows) {
        if (m_dynaset && m_keyed && !fresh)
            m_currentDeleted = !ReadById(m_rowIds[position], m_rows[position]);
        return;
    }
    if (fresh) {
        m_current = std::move(m_stepped);
        m_steppedAt = SIZE_MAX;
        return;
    }
    m_currentDeleted = !ReadById(m_rowIds[position], m_current);
}

void ResultSet::BeforeChange()
{
    try {
        ReadRest();
        m_steppedAt = SIZE_MAX; // its values may change now
        if (!m_dynaset && !m_keepRows) {
            std::vector<JetRow> rows(m_rowIds.size());
            for (size_t k = 0; k < rows.size(); ++k)
                if (!ReadById(m_rowIds[k], rows[k]))
                    ThrowJet(SRC_RECORDSET, JET_RECORD_DELETED);
            m_rows = std::move(rows);
            m_keepRows = true;
        }
    } catch (...) {
        // Its rows could not be kept as they stand: it shows none rather than others.
        Close();
        throw;
    }
}

void ResultSet::MoveFirst()
{
    CheckOpen();
    m_mode = NoEdit;
    if (!Reach(0))
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MoveTo(0);
}

void ResultSet::MoveLast()
{
    CheckOpen();
    m_mode = NoEdit;
    ReadRest();
    if (ReadCount() == 0)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MoveTo(ReadCount() - 1);
}

void ResultSet::MoveNext()
{
    CheckOpen();
    m_mode = NoEdit;
    if (m_eof)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    size_t next = m_bof ? 0 : m_position + 1;
    if (!Reach(next)) {
        m_eof = true;
        m_bof = false;
        m_position = ReadCount();
        return;
    }
    MoveTo(next);
}

void ResultSet::MovePrevious()
{
    CheckOpen();
    m_mode = NoEdit;
    if (m_bof)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    if (m_eof ? ReadCount() == 0 : m_position == 0) {
        m_bof = true;
        m_eof = false;
        return;
    }
    MoveTo(m_eof ? ReadCount() - 1 : m_position - 1);
}

LONG ResultSet::RecordCount()
{
    CheckOpen();
    ReadRest();
    return static_cast<LONG>(ReadCount() > 0x7FFFFFFF ? 0x7FFFFFFF : ReadCount());
}

const JetRow &ResultSet::CurrentRow()
{
    if (!HasCurrent())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    if (m_currentDeleted)
        ThrowJet(SRC_RECORDSET, JET_RECORD_DELETED);
    return m_keepRows ? m_rows[m_position] : m_current;
}

bool ResultSet::IsUpdatable(int column) const
{
    return m_baseField[column] >= 0;
}

void ResultSet::AddNew()
{
    CheckWritable();
    // The system adds records through table-type recordsets only.
    ThrowJet(SRC_RECORDSET, JET_NOT_SUPPORTED);
}

void ResultSet::Edit()
{
    CheckWritable();
    m_mode = NoEdit;
    m_buffer = CurrentRow();
    m_mode = Editing;
}

void ResultSet::Update()
{
    CheckOpen();
    if (m_mode == NoEdit)
        ThrowJet(SRC_RECORDSET, JET_UPDATE_WITHOUT_EDIT);
    if (!m_update) {
        std::string sql = "UPDATE " + QuoteName(m_base->name) + " SET ";
        m_updated.clear();
        for (size_t c = 0; c < m_columns.size(); ++c) {
            int field = m_baseField[c];
            if (field < 0 || m_base->fields[field].IsAuto())
                continue;
            bool seen = false;
            for (const auto &[column, baseField] : m_updated)
                seen = seen || baseField == field;
            if (seen)
                continue;
            sql += (m_updated.empty() ? "" : ", ") + QuoteName(m_base->fields[field].name) + " = ?" +
                   std::to_string(m_updated.size() + 1);
            m_updated.emplace_back(static_cast<int>(c), field);
        }
        if (m_updated.empty()) {
            m_mode = NoEdit;
            return;
        }
        m_update = m_db->Prepare(sql + " WHERE rowid = ?" + std::to_string(m_updated.size() + 1), SRC_RECORDSET);
    }
    sqlite3_stmt *update = m_update.get();
    for (size_t k = 0; k < m_updated.size(); ++k)
        BindValue(update, static_cast<int>(k + 1), m_buffer[m_updated[k].first]);
    sqlite3_bind_int64(update, static_cast<int>(m_updated.size() + 1), m_rowIds[m_position]);
    m_db->BeforeChange();
    {
        ResetOnExit reset{update};
        int rc = sqlite3_step(update);
        if (rc != SQLITE_DONE)
            m_db->Fail(rc, SRC_RECORDSET);
        if (sqlite3_changes(m_db->Handle(SRC_RECORDSET)) == 0)
            ThrowJet(SRC_RECORDSET, JET_RECORD_DELETED);
    }
    m_mode = NoEdit;
    m_lastModified = m_position;
    m_hasLastModified = true;
    MoveTo(m_position);
}

void ResultSet::GetBookmark(VARIANT *out)
{
    CheckOpen();
    if (!HasCurrent())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MakeBookmark(static_cast<int64_t>(m_position) + 1, out);
}

void ResultSet::SetBookmark(const VARIANT &bookmark)
{
    CheckOpen();
    m_mode = NoEdit;
    int64_t id = ReadBookmark(bookmark, SRC_RECORDSET);
    if (id < 1 || !Reach(static_cast<size_t>(id - 1)))
        ThrowJet(SRC_RECORDSET, JET_BAD_BOOKMARK);
    MoveTo(static_cast<size_t>(id - 1));
}

void ResultSet::GetLastModified(VARIANT *out)
{
    CheckOpen();
    if (!m_hasLastModified)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MakeBookmark(static_cast<int64_t>(m_lastModified) + 1, out);
}

void ResultSet::Requery()
{
    CheckOpen();
    m_hasLastModified = false;
    Load();
}

void ResultSet::DropStatements()
{
    m_db->Unwatch(this);
    m_stepping = false;
    m_refresh = Statement();
    m_update = Statement();
    m_query->GiveBack(m_keyed, std::move(m_statement));
}

} // namespace qeldao
