// A table-type recordset: the rows of one table, live, in row order or in the order of
// the current index, with Seek on that index. Internal to the library.
//
// The cursor keeps no rows but the current one. Each move asks SQLite for the next row
// after the current one in the order, by the index keys and the row id, so rows that
// others add or change in between are seen, as in Jet. Every statement is prepared
// once per recordset and order, when first needed.
#pragma once

#include "recordsetimpl.h"

#include <map>

namespace qeldao {

class TableCursor final : public RecordsetImpl {
public:
    TableCursor(std::shared_ptr<DatabaseImpl> db, std::shared_ptr<const TableSchema> table, bool readOnly);

    void AddNew() override;
    void Edit() override;
    void Update() override;

    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;
    LONG RecordCount() override;

    void SetIndex(std::string_view name) override;
    void Seek(const char *comparison, int keyCount, const VARIANT *const *keys) override;
    bool NoMatch() const override;

    void GetBookmark(VARIANT *out) override;
    void SetBookmark(const VARIANT &bookmark) override;
    void GetLastModified(VARIANT *out) override;

private:
    enum { kSeekEqual, kSeekAtLeast, kSeekAbove, kSeekAtMost, kSeekBelow, kSeekKinds };
    // The statements of one order: the table's row order (-1) or an index.
    struct Order {
        Statement first, last, next, previous, byRowId;
        Statement seek[kSeekKinds][3];
    };

    const JetRow &CurrentRow() override;
    void DropStatements() override;

    const IndexSchema *CurrentIndex() const;
    std::string Select() const;
    std::string OrderBy(bool descending) const;
    std::string RowValue(size_t keyCount, bool withRowId) const;
    // The statement, prepared from makeSql() the first time.
    template <class MakeSql>
    sqlite3_stmt *Prepared(Statement &statement, MakeSql makeSql);
    Order &CurrentOrder();
    // Steps `statement`; on a row it becomes the current record.
    bool Fetch(sqlite3_stmt *statement);
    bool FetchFirst(bool last);
    bool FetchByRowId(int64_t rowId);

    std::shared_ptr<const TableSchema> m_table;
    std::shared_ptr<TableCounters> m_counters;
    int m_index = -1;
    std::map<int, Order> m_orders;
    Statement m_insert;
    Statement m_update;

    int64_t m_rowId = 0;
    JetRow m_keys; // the current record's index keys
    JetRow m_row;
    bool m_noMatch = false;
    int64_t m_lastModified = 0;
    bool m_hasLastModified = false;
};

} // namespace qeldao
