// Query definitions: stored queries in Jet SQL, and temporary ones.
#pragma once

#include "daorecordset.h"

namespace qeldao {
class QueryDefImpl;
}

class CdbQueryDef {
public:
    CdbQueryDef() = default;

    CString GetName();
    CString GetSQL();

    // By the parameter's name, blind to case; the value takes the declared type (a
    // Long takes the bits of an unsigned 32-bit value).
    VOID SetParamValue(LPCTSTR pstrName, const VARIANT &value);

    // A dynaset (the default) or a snapshot of the query. The lock mode means nothing
    // to a database that one connection holds alone.
    CdbRecordset OpenRecordset(LONG lType = -1, LONG lOptions = -1, LONG lLockEdit = -1);
    // Runs an action query (DELETE, UPDATE, INSERT). Options: 0 or dbFailOnError.
    VOID Execute(LONG lOptions = -1);

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::QueryDefImpl> m_pQueryDef;
};
