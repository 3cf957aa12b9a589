// Dynaset and snapshot recordsets: the rows of a query. Internal to the library.
//
// Both run their query when opened (and at Requery) and keep its rows, so the record
// count is exact at once. A snapshot is read-only. A dynaset of a plain SELECT of one
// table keeps each row's row id beside it: it shows the row as it stands in the table
// whenever it becomes current again, and Edit and Update change the table's row. A
// dynaset of any other query is read-only, as a snapshot.
#pragma once

#include "querydefimpl.h"
#include "recordsetimpl.h"

namespace qeldao {

class ResultSet final : public RecordsetImpl {
public:
    ResultSet(std::shared_ptr<QueryDefImpl> query, bool dynaset, bool readOnly);

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

    void Load();
    // The current row again from its table (keyed dynasets).
    void Refresh();
    void MoveTo(size_t position);

    std::shared_ptr<QueryDefImpl> m_query;
    bool m_keyed = false;
    std::shared_ptr<const TableSchema> m_base;
    std::vector<int> m_baseField; // per column: the field of the base table it shows, or -1
    std::vector<JetRow> m_rows;
    std::vector<int64_t> m_rowIds;
    std::vector<bool> m_deleted;
    size_t m_position = 0;
    Statement m_refresh;
    Statement m_update;
    std::vector<std::pair<int, int>> m_updated; // (column, base field) that Update writes
    size_t m_lastModified = 0;
    bool m_hasLastModified = false;
};

} // namespace qeldao
