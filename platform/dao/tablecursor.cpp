#include "tablecursor.h"

#include "daoconst.h"
#include "jeterror.h"
#include "jetnames.h"

#include <cstring>

namespace qeldao {

namespace {

// Resets a statement when it goes out of scope, also after an error was raised from it.
struct ResetOnExit {
    sqlite3_stmt *statement;
    ~ResetOnExit() { sqlite3_reset(statement); }
};

std::string Placeholders(size_t count)
{
    std::string text;
    for (size_t i = 1; i <= count; ++i)
        text += (i > 1 ? ", ?" : "?") + std::to_string(i);
    return text;
}

} // namespace

TableCursor::TableCursor(std::shared_ptr<DatabaseImpl> db, std::shared_ptr<const TableSchema> table, bool readOnly)
    : RecordsetImpl(std::move(db), readOnly), m_table(std::move(table))
{
    for (const FieldSchema &field : m_table->fields)
        m_columns.push_back(ColumnInfo{field.name, field.type, field.size, field.attributes});
    m_counters = m_db->Counters(*m_table);
    bool found = FetchFirst(false);
    m_eof = m_bof = !found;
}

const IndexSchema *TableCursor::CurrentIndex() const
{
    return m_index < 0 ? nullptr : &m_table->indexes[m_index];
}

std::string TableCursor::Select() const
{
    std::string sql = "SELECT rowid";
    if (const IndexSchema *index = CurrentIndex())
        for (const std::string &key : index->keys)
            sql += ", " + key;
    return sql + ", " + m_table->ColumnList() + " FROM " + QuoteName(m_table->name);
}

std::string TableCursor::OrderBy(bool descending) const
{
    const char *direction = descending ? " DESC" : "";
    std::string sql = " ORDER BY ";
    if (const IndexSchema *index = CurrentIndex())
        for (const std::string &key : index->keys)
            sql += key + direction + ", ";
    return sql + "rowid" + direction + " LIMIT 1";
}

std::string TableCursor::RowValue(size_t keyCount, bool withRowId) const
{
    std::string sql = "(";
    const IndexSchema *index = CurrentIndex();
    for (size_t k = 0; k < keyCount; ++k)
        sql += (k ? ", " : "") + index->keys[k];
    if (withRowId)
        sql += keyCount ? ", rowid" : "rowid";
    return sql + ")";
}

template <class MakeSql>
sqlite3_stmt *TableCursor::Prepared(Statement &statement, MakeSql makeSql)
{
    if (!statement)
        statement = m_db->Prepare(makeSql(), SRC_RECORDSET);
    return statement.get();
}

TableCursor::Order &TableCursor::CurrentOrder()
{
    return m_orders[m_index];
}

bool TableCursor::Fetch(sqlite3_stmt *statement)
{
    ResetOnExit reset{statement};
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        m_db->Fail(rc, SRC_RECORDSET);
    const IndexSchema *index = CurrentIndex();
    size_t keyCount = index ? index->keys.size() : 0;
    m_rowId = sqlite3_column_int64(statement, 0);
    m_keys.resize(keyCount);
    for (size_t k = 0; k < keyCount; ++k)
        ReadColumnInto(statement, static_cast<int>(1 + k), &m_keys[k]);
    m_row.resize(m_columns.size());
    for (size_t c = 0; c < m_columns.size(); ++c)
        ReadColumnInto(statement, static_cast<int>(1 + keyCount + c), &m_row[c]);
    return true;
}

bool TableCursor::FetchFirst(bool last)
{
    const IndexSchema *index = CurrentIndex();
    Order &order = CurrentOrder();
    return Fetch(Prepared(last ? order.last : order.first, [&] {
        std::string where = index && !index->filter.empty() ? " WHERE " + index->filter : std::string();
        return Select() + where + OrderBy(last);
    }));
}

bool TableCursor::FetchByRowId(int64_t rowId)
{
    sqlite3_stmt *statement = Prepared(CurrentOrder().byRowId, [&] { return Select() + " WHERE rowid = ?1"; });
    sqlite3_bind_int64(statement, 1, rowId);
    return Fetch(statement);
}

void TableCursor::MoveFirst()
{
    CheckOpen();
    m_mode = NoEdit;
    bool found = FetchFirst(false);
    m_eof = m_bof = !found;
    if (!found)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
}

void TableCursor::MoveLast()
{
    CheckOpen();
    m_mode = NoEdit;
    bool found = FetchFirst(true);
    m_eof = m_bof = !found;
    if (!found)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
}

void TableCursor::MoveNext()
{
    CheckOpen();
    m_mode = NoEdit;
    if (m_eof)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    bool found;
    if (m_bof) {
        found = FetchFirst(false);
        m_bof = false;
    } else {
        const IndexSchema *index = CurrentIndex();
        size_t keyCount = m_keys.size();
        sqlite3_stmt *next = Prepared(CurrentOrder().next, [&] {
            std::string where = " WHERE ";
            if (index && !index->filter.empty())
                where += index->filter + " AND ";
            where += RowValue(keyCount, true) + " > (" + Placeholders(keyCount + 1) + ")";
            return Select() + where + OrderBy(false);
        });
        for (size_t k = 0; k < keyCount; ++k)
            BindValue(next, static_cast<int>(k + 1), m_keys[k]);
        sqlite3_bind_int64(next, static_cast<int>(keyCount + 1), m_rowId);
        found = Fetch(next);
    }
    m_eof = !found;
}

void TableCursor::MovePrevious()
{
    CheckOpen();
    m_mode = NoEdit;
    if (m_bof)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    bool found;
    if (m_eof) {
        found = FetchFirst(true);
        m_eof = false;
    } else {
        const IndexSchema *index = CurrentIndex();
        size_t keyCount = m_keys.size();
        sqlite3_stmt *previous = Prepared(CurrentOrder().previous, [&] {
            std::string where = " WHERE ";
            if (index && !index->filter.empty())
                where += index->filter + " AND ";
            where += RowValue(keyCount, true) + " < (" + Placeholders(keyCount + 1) + ")";
            return Select() + where + OrderBy(true);
        });
        for (size_t k = 0; k < keyCount; ++k)
            BindValue(previous, static_cast<int>(k + 1), m_keys[k]);
        sqlite3_bind_int64(previous, static_cast<int>(keyCount + 1), m_rowId);
        found = Fetch(previous);
    }
    m_bof = !found;
}

LONG TableCursor::RecordCount()
{
    CheckOpen();
    int64_t count = m_db->RowCount(*m_table, SRC_RECORDSET);
    return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(count);
}

void TableCursor::SetIndex(std::string_view name)
{
    CheckOpen();
    m_mode = NoEdit;
    int index = -1;
    if (!StripBrackets(name).empty()) {
        index = m_table->FindIndex(StripBrackets(name));
        if (index < 0)
            ThrowJet(SRC_RECORDSET, JET_NOT_AN_INDEX, std::string(name));
    }
    m_index = index;
    bool found = FetchFirst(false);
    m_eof = m_bof = !found;
}

void TableCursor::Seek(const char *comparison, int keyCount, const VARIANT *const *keys)
{
    CheckOpen();
    m_mode = NoEdit;
    const IndexSchema *index = CurrentIndex();
    if (!index)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_INDEX);
    static const char *const kComparisons[kSeekKinds] = {"=", ">=", ">", "<=", "<"};
    int kind = -1;
    for (int k = 0; k < kSeekKinds; ++k)
        if (comparison && std::strcmp(comparison, kComparisons[k]) == 0)
            kind = k;
    if (kind < 0 || keyCount < 1 || keyCount > 3 || static_cast<size_t>(keyCount) > index->fields.size())
        ThrowJet(SRC_RECORDSET, JET_INVALID_ARGUMENT);
    for (int k = 0; k < keyCount; ++k)
        if (!keys[k])
            ThrowJet(SRC_RECORDSET, JET_INVALID_ARGUMENT);

    // A partial key compares the leading fields of the index; "<" and "<=" find the
    // last record that holds, the others the first.
    bool backwards = kind == kSeekAtMost || kind == kSeekBelow;
    size_t components = index->firstKey[keyCount];
    sqlite3_stmt *seek = Prepared(CurrentOrder().seek[kind][keyCount - 1], [&] {
        std::string where = " WHERE ";
        if (!index->filter.empty())
            where += index->filter + " AND ";
        where += RowValue(components, false) + " " + kComparisons[kind] + " (" + Placeholders(components) + ")";
        return Select() + where + OrderBy(backwards);
    });
    int parameter = 1;
    for (int k = 0; k < keyCount; ++k) {
        const FieldSchema &field = m_table->fields[index->fields[k]];
        JetValue key = ValueFromVariant(*keys[k], field.type, SRC_RECORDSET);
        if (index->firstKey[k + 1] - index->firstKey[k] == 2) {
            // The Null flag and the key with Null as 0 or '', as the index orders them.
            bool isNull = key.kind == JetValue::Null;
            BindValue(seek, parameter++, JetValue::OfInteger(isNull ? 0 : 1));
            if (isNull)
                key = field.type == dbText ? JetValue::OfText(std::string()) : JetValue::OfInteger(0);
        }
        BindValue(seek, parameter++, key);
    }
    bool found = Fetch(seek);
    m_noMatch = !found;
    // After a failed Seek there is no current record.
    m_eof = !found;
    m_bof = false;
}

bool TableCursor::NoMatch() const
{
    CheckOpen();
    return m_noMatch;
}

void TableCursor::AddNew()
{
    CheckWritable();
    m_mode = NoEdit;
    m_buffer.resize(m_columns.size());
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_buffer[c] = m_table->fields[c].newValue;
    // Jet gives the auto number at AddNew, so that the new record shows it at once.
    if (m_table->autoField >= 0)
        m_buffer[m_table->autoField] =
            JetValue::OfInteger(m_db->TakeAutoNumber(*m_table, *m_counters, SRC_RECORDSET));
    m_mode = Adding;
}

void TableCursor::Edit()
{
    CheckWritable();
    m_mode = NoEdit;
    if (!HasCurrent())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    m_buffer = m_row;
    m_mode = Editing;
}

void TableCursor::Update()
{
    CheckOpen();
    if (m_mode == NoEdit)
        ThrowJet(SRC_RECORDSET, JET_UPDATE_WITHOUT_EDIT);
    const size_t count = m_columns.size();
    if (m_mode == Adding) {
        sqlite3_stmt *insert = Prepared(m_insert, [&] {
            return "INSERT INTO " + QuoteName(m_table->name) + "(" + m_table->ColumnList() + ") VALUES(" +
                   Placeholders(count) + ")";
        });
        m_db->BeforeChange();
        // The buffer stays untouched until the insert has been reset.
        ResetOnExit reset{insert};
        for (size_t c = 0; c < count; ++c)
            BindHeldValue(insert, static_cast<int>(c + 1), m_buffer[c]);
        int rc = sqlite3_step(insert);
        if (rc != SQLITE_DONE)
            m_db->Fail(rc, SRC_RECORDSET);
        m_lastModified = m_table->autoField >= 0 ? m_buffer[m_table->autoField].integer
                                                 : sqlite3_last_insert_rowid(m_db->Handle(SRC_RECORDSET));
        m_hasLastModified = true;
        if (m_counters->rowCount >= 0)
            ++m_counters->rowCount;
        m_mode = NoEdit;
        return;
    }
    if (!m_update) {
        std::string sql = "UPDATE " + QuoteName(m_table->name) + " SET ";
        bool firstColumn = true;
        for (size_t c = 0; c < count; ++c) {
            if (m_table->fields[c].IsAuto())
                continue;
            sql += (firstColumn ? "" : ", ") + QuoteName(m_table->fields[c].name) + " = ?" + std::to_string(c + 1);
            firstColumn = false;
        }
        if (firstColumn) { // nothing but the auto number: nothing to write
            m_mode = NoEdit;
            return;
        }
        m_update = m_db->Prepare(sql + " WHERE rowid = ?" + std::to_string(count + 1), SRC_RECORDSET);
    }
    sqlite3_stmt *update = m_update.get();
    m_db->BeforeChange();
    {
        ResetOnExit reset{update};
        for (size_t c = 0; c < count; ++c)
            if (!m_table->fields[c].IsAuto())
                BindHeldValue(update, static_cast<int>(c + 1), m_buffer[c]);
        sqlite3_bind_int64(update, static_cast<int>(count + 1), m_rowId);
        int rc = sqlite3_step(update);
        if (rc != SQLITE_DONE)
            m_db->Fail(rc, SRC_RECORDSET);
        if (sqlite3_changes(m_db->Handle(SRC_RECORDSET)) == 0)
            ThrowJet(SRC_RECORDSET, JET_RECORD_DELETED);
    }
    m_lastModified = m_rowId;
    m_hasLastModified = true;
    m_mode = NoEdit;
    // The keys of the index order may have changed with the record.
    if (!FetchByRowId(m_rowId))
        m_eof = true;
}

const JetRow &TableCursor::CurrentRow()
{
    if (!HasCurrent())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    return m_row;
}

void TableCursor::GetBookmark(VARIANT *out)
{
    CheckOpen();
    if (!HasCurrent())
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MakeBookmark(m_rowId, out);
}

void TableCursor::SetBookmark(const VARIANT &bookmark)
{
    CheckOpen();
    m_mode = NoEdit;
    int64_t rowId = ReadBookmark(bookmark, SRC_RECORDSET);
    if (!FetchByRowId(rowId))
        ThrowJet(SRC_RECORDSET, JET_BAD_BOOKMARK);
    m_eof = m_bof = false;
}

void TableCursor::GetLastModified(VARIANT *out)
{
    CheckOpen();
    if (!m_hasLastModified)
        ThrowJet(SRC_RECORDSET, JET_NO_CURRENT_RECORD);
    MakeBookmark(m_lastModified, out);
}

void TableCursor::DropStatements()
{
    m_orders.clear();
    m_insert = Statement();
    m_update = Statement();
}

} // namespace qeldao
