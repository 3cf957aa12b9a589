// CQelTableDef: builds one table of a new database, field by field and index by index,
// or adds indexes to a table that exists.
#pragma once

#include <afx.h>

#include "dbdao.h"

// A field to add: name, DAO type (dbLong, dbText, dbDate, dbBoolean), size, attributes
// (dbAutoIncrField), position, and whether a value is required and whether a text may
// be empty.
struct CQelFieldInfo {
    CString m_strName;
    SHORT m_nType = 0;
    LONG m_lSize = 0;
    LONG m_lAttributes = 0;
    SHORT m_nOrdinalPosition = 0;
    BOOL m_bRequired = FALSE;
    BOOL m_bAllowZeroLength = TRUE;
};

// An index to add: its name and fields (each ascending), whether it is the primary
// key, whether its keys are unique and whether it leaves out records with a Null key.
struct CQelIndexInfo {
    CString m_strName;
    const CString *m_pFieldNames = nullptr;
    SHORT m_nFields = 0;
    BOOL m_bPrimary = FALSE;
    BOOL m_bUnique = FALSE;
    BOOL m_bIgnoreNulls = FALSE;
};

class CQelTableDef {
public:
    explicit CQelTableDef(CdbDatabase *pDatabase);

    // A table of this database, with no source table or connect text.
    void Create(LPCTSTR name, LONG attributes = 0);
    // A table that the database holds: each index added is made at once.
    void Open(LPCTSTR name);
    void AddField(const CQelFieldInfo &field);
    void AddIndex(const CQelIndexInfo &index);
    // Makes the table with its fields and indexes in the database.
    void Append();

    CdbDatabase *m_pDatabase; // not owned
    CdbTableDef m_TableDef;
};
