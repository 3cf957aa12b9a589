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
    : RecordsetImpl(query->Database(), readOnly || !dynaset), m_query(std::move(query))
{
    sqlite3_stmt *statement = dynaset ? m_query->Bound(true, SRC_RECORDSET) : nullptr;
    m_keyed = statement != nullptr;
    if (!statement)
        statement = m_query->Bound(false, SRC_RECORDSET);
    if (!sqlite3_stmt_readonly(statement))
        ThrowJet(SRC_RECORDSET, JET_INVALID_OPERATION);
    if (m_keyed)
        m_base = m_db->FindTable(m_query->Translation(SRC_RECORDSET).baseTable);
    if (!m_base) {
        m_keyed = false;
        m_readOnly = true;
        statement = m_query->Bound(false, SRC_RECORDSET);
    }

    int first = m_keyed ? 1 : 0;
    int count = sqlite3_column_count(statement);
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
        m_columns.push_back(info);
        m_baseField.push_back(baseField);
    }
    Load();
}

void ResultSet::Load()
{
    m_mode = NoEdit;
    m_rows.clear();
    m_rowIds.clear();
    sqlite3_stmt *statement = m_query->Bound(m_keyed, SRC_RECORDSET);
    ResetOnExit reset{statement};
    const int first = m_keyed ? 1 : 0;
    const size_t columns = m_columns.size();
    for (;;) {
        int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            m_db->Fail(rc, SRC_RECORDSET);
        if (m_keyed)
            m_rowIds.push_back(sqlite3_column_int64(statement, 0));
        JetRow row(columns);
        for (size_t c = 0; c < columns; ++c)
            row[c] = ReadColumn(statement, static_cast<int>(first + c));
        m_rows.push_back(std::move(row));
    }
    m_deleted.assign(m_rows.size(), false);
    m_position = 0;
    m_eof = m_bof = m_rows.empty();
}

void ResultSet::Refresh()
{
    if (!m_keyed)
        return;
    if (!m_refresh)
        m_refresh = m_db->Prepare("SELECT " + m_base->ColumnList() + " FROM " + QuoteName(m_base->name) +
                                      " WHERE rowid = ?1",
                                  SRC_RECORDSET);
    sqlite3_stmt *statement = m_refresh.get();
    sqlite3_bind_int64(statement, 1, m_rowIds[m_position]);
    ResetOnExit reset{statement};
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE) {
        m_deleted[m_position] = true;
        return;
    }
    if (rc != SQLITE_ROW)
        m_db->Fail(rc, SRC_RECORDSET);
    JetRow &row = m_rows[m_position];
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_baseField[c] >= 0)
            row[c] = ReadColumn(statement, m_baseField[c]);
}

void ResultSet::MoveTo(size_t position)
{
    m_position = position;
    m_eof = m_bof = false;
    Refresh();
}

void ResultSet::MoveFirst()
{
    CheckOpen();
    m_mode = NoEdit;
    if (m_rows.empty())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MoveTo(0);
}

void ResultSet::MoveLast()
{
    CheckOpen();
    m_mode = NoEdit;
    if (m_rows.empty())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MoveTo(m_rows.size() - 1);
}

void ResultSet::MoveNext()
{
    CheckOpen();
    m_mode = NoEdit;
    if (m_eof)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    size_t next = m_bof ? 0 : m_position + 1;
    if (next >= m_rows.size()) {
        m_eof = true;
        m_bof = false;
        m_position = m_rows.size();
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
    if (m_eof ? m_rows.empty() : m_position == 0) {
        m_bof = true;
        m_eof = false;
        return;
    }
    MoveTo(m_eof ? m_rows.size() - 1 : m_position - 1);
}

LONG ResultSet::RecordCount()
{
    CheckOpen();
    return static_cast<LONG>(m_rows.size() > 0x7FFFFFFF ? 0x7FFFFFFF : m_rows.size());
}

const JetRow &ResultSet::CurrentRow()
{
    if (!HasCurrent())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    if (m_deleted[m_position])
        ThrowJet(SRC_RECORDSET, JET_RECORD_DELETED);
    return m_rows[m_position];
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
    Refresh();
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
    if (id < 1 || static_cast<uint64_t>(id) > m_rows.size())
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
    m_refresh = Statement();
    m_update = Statement();
}

} // namespace qeldao
