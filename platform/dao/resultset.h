// Dynaset and snapshot recordsets: the rows of a query. Internal to the library.
//
// Both step through their query as they are moved, not at open: a query over a large
// table that is read once from the front holds one row at a time. What they keep of
// the rows read so far, to move back, depends on the query:
// - a plain SELECT of one table whose every column is one of the table's keeps the row
//   ids alone, and reads a row again by its id when it becomes current;
// - any other query keeps the rows themselves.
// The record count reads to the end (row ids only, for the first kind), so it is exact
// at once, as callers rely on it.
//
// A dynaset of a plain SELECT of one table shows a row as it stands in the table
// whenever it becomes current again, and Edit and Update change the table's row. A
// dynaset of any other query is read-only, as a snapshot. A snapshot shows the rows as
// they stood at open (or at Requery): before anything changes the file, it reads the
// rest of its query and keeps every row whose id it holds.
#pragma once

#include "querydefimpl.h"
#include "recordsetimpl.h"

namespace qeldao {

class ResultSet final : public RecordsetImpl, private ChangeWatcher {
public:
    ResultSet(std::shared_ptr<QueryDefImpl> query, bool dynaset, bool readOnly);
    ~ResultSet() override;

    void AddNew() override;
    void Edit() override;
    void Update() override;

    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;
    LONG RecordCount() override;

    void GetBookmark(VARIANT *out) override;
    void SetBookmark(const VARIANT &bookmark) override;
    void GetLastModified(VARIANT *out) override;
    void Requery() override;

private:
    const JetRow &CurrentRow() override;
    bool IsUpdatable(int column) const override;
    void DropStatements() override;
    void BeforeChange() override;

    size_t ReadCount() const { return m_keyed ? m_rowIds.size() : m_rows.size(); }
    void Load();
    // Steps the query until the row at `position` has been read; false when the query
    // ends before it.
    bool Reach(size_t position);
    void ReadRest();
    // The values of the row of that id as they stand in the table; false when it is gone.
    bool ReadById(int64_t rowId, JetRow &row);
    void MoveTo(size_t position);
    void Watch();

    std::shared_ptr<QueryDefImpl> m_query;
    bool m_dynaset;
    bool m_keyed = false;      // the row id of each row is read and kept
    bool m_rowsNeeded = true;  // some column cannot be read again by row id
    bool m_keepRows = true;    // the rows read are kept, not just their ids
    std::shared_ptr<const TableSchema> m_base;
    std::vector<int> m_baseField; // per column: the field of the base table it shows, or -1
    Statement m_statement;        // the query's, stepped as the recordset moves
    bool m_stepping = false;      // the statement has rows left to read
    std::vector<int64_t> m_rowIds;
    std::vector<JetRow> m_rows;
    JetRow m_current;                // the current row, when the rows are not kept
    JetRow m_stepped;                // the row read last, when the rows are not kept
    size_t m_steppedAt = SIZE_MAX;   // its position, while its values are those of now
    bool m_currentDeleted = false;
    size_t m_position = 0;
    Statement m_refresh;
    Statement m_update;
    std::vector<std::pair<int, int>> m_updated; // (column, base field) that Update writes
    size_t m_lastModified = 0;
    bool m_hasLastModified = false;
};

} // namespace qeldao
