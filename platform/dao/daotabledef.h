// Table definitions with their fields and indexes, for building a schema.
#pragma once

#include "daofield.h"

class CdbIndex {
public:
    CdbIndex() = default;

    CString GetName();
    // A field of the index, named after a field of the table; the index orders it
    // ascending. Type and size are those of the table's field.
    CdbField CreateField(LPCTSTR pstrName = NULL, LONG lType = -1, LONG lSize = -1);
    VOID SetPrimary(BOOL bPrimary);
    VOID SetUnique(BOOL bUnique);
    // Jet itself ignores Clustered; so does this engine.
    VOID SetClustered(BOOL bClustered);
    VOID SetIgnoreNulls(BOOL bIgnoreNulls);
    VOID SetRequired(BOOL bRequired);

    CdbIndexFields Fields;

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::IndexDef> m_pIndex;
};

class CdbIndexes {
public:
    // To a table not yet appended, the index is made with it; to one that exists (from
    // TableDefs[name]), it is made at once over the rows it holds, and may be neither
    // primary nor required.
    VOID Append(CdbIndex &index);

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::TableDefImpl> m_pTableDef;
};

class CdbTableDef {
public:
    CdbTableDef() = default;

    CString GetName();
    // Field types: dbLong, dbText, dbDate, dbBoolean. A size of -1 takes the type's
    // own (Text: 50).
    CdbField CreateField(LPCTSTR pstrName = NULL, LONG lType = -1, LONG lSize = -1);
    CdbIndex CreateIndex(LPCTSTR pstrName = NULL);

    CdbFields Fields;
    CdbIndexes Indexes;

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::TableDefImpl> m_pTableDef;
};
