// What the query handlers share: the stored queries of the program's database opened by
// name, and the walk that turns a recordset's rows into the request's result array.
#pragma once

#include "symbolengine.h"

#include <qelquerydef.h>
#include <qelrecordset.h>

#include <memory>

// A stored query of the program's database, opened by the string id of its name.
// Parameters are set by name straight from the caller's values: a text keeps its
// wildcards for the queries that compare with LIKE.
class CStoredQuery {
public:
    CStoredQuery(CSymbolEngine &engine, UINT nameId) : m_query(engine.StoredQuery(nameId)) {}
    void Set(LPCTSTR parameter, const VARIANT &value);
    void Set(LPCTSTR parameter, LONG value);
    // The address parameters that most queries take.
    template <class Mode, class Value>
    void SetAddress(const Mode &mode, const Value &value)
    {
        Set("_AddressMode", mode);
        Set("_AddressValue", value);
    }
    operator CQelQueryDef &() { return m_query; }

private:
    CQelQueryDef &m_query;
};

// The database of the loaded program; raises the database exception when none is open,
// since only the section handlers run without one.
CdbDatabase *ProgramDatabase(CSymbolEngine &engine);

// A request's parameter as a number (0 when it is none) and as a text ("" when it is
// none).
LONG NumberParameter(const VARIANT &value);
CString TextParameter(const VARIANT &value);

// The result array of `request`, made and handed to it (the request owns it from here).
template <class Record>
CArray<Record, Record &> &NewResult(CSymbolRequest &request)
{
    auto result = std::make_unique<CArray<Record, Record &>>();
    CArray<Record, Record &> &records = *result;
    request.m_pResult = result.release();
    return records;
}

// Every row of `rs` from its first, in its order, converted by `convert(record, rs)` and
// appended to `records` when `keep(record)` says so. The array starts with room for 100
// rows, grows by 1000 at a time and is cut to what was kept. The rows are not counted
// first: a recordset of one table keeps only the ids of the rows it has stepped past, so
// that a count read to the end and then every row read again by its id as it became
// current, twice the work of one pass for the long lists (every global of a program).
template <class Record, class Recordset, class Convert, class Keep>
void CollectRows(Recordset &rs, CArray<Record, Record &> &records, Convert convert, Keep keep)
{
    if (rs.IsEOF() && rs.IsBOF())
        return;
    rs.MoveFirst();
    const int first = records.GetSize();
    records.SetSize(first + 100, 1000);
    int kept = first;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        if (kept == records.GetSize())
            records.SetSize(kept + 1);
        records[kept] = Record();
        convert(records[kept], rs);
        if (keep(records[kept]))
            ++kept;
    }
    records.SetSize(kept);
}

template <class Record, class Recordset, class Convert>
void CollectRows(Recordset &rs, CArray<Record, Record &> &records, Convert convert)
{
    CollectRows(rs, records, convert, [](const Record &) { return true; });
}
