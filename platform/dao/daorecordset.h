// Recordsets: table-type (a table, in row order or the order of its current index,
// with Seek), dynaset (the rows of a query by row id; editable when the query is a
// plain SELECT of one table) and snapshot (the rows of a query, read-only).
#pragma once

#include "daoconst.h"
#include "daofield.h"

class CdbRecordset {
public:
    CdbRecordset() = default;

    VOID Close();

    VOID AddNew();
    VOID Edit();
    VOID Update(LONG lType = dbUpdateRegular, BOOL bForce = FALSE);
    VOID CancelUpdate(LONG lType = dbUpdateRegular);

    VOID MoveFirst();
    VOID MoveLast();
    VOID MoveNext();
    VOID MovePrevious();
    BOOL IsEOF();
    BOOL IsBOF();
    LONG GetRecordCount();

    // Table-type recordsets: the index that orders the records and that Seek uses.
    VOID SetIndex(LPCTSTR pstrIndex);
    // Finds the first record whose leading index fields are "=", ">=" or ">" the keys,
    // or the last that is "<=" or "<"; NoMatch tells whether one was found.
    VOID Seek(LPCTSTR pstrComparison, LONG lNumFields, const VARIANT *pKey1, const VARIANT *pKey2 = NULL,
              const VARIANT *pKey3 = NULL);
    BOOL GetNoMatch();

    CdbBookmark GetBookmark();
    VOID SetBookmark(const VARIANT &bookmark);
    // The record that the last Update added or changed.
    CdbBookmark GetLastModified();

    // Runs the query of a dynaset or snapshot again, with the parameters as they are.
    VOID Requery();

    CdbVariant GetField(LPCTSTR pstrName);
    VOID SetField(LPCTSTR pstrName, const VARIANT *pValue);

    CdbFields Fields;

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::RecordsetImpl> m_pRecordset;
};
