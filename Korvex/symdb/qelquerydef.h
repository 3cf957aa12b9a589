// CQelQueryDef: a stored query of the symbol database, or a temporary one, with its
// parameters. Query handlers open the stored queries by name, set the parameters and
// open a recordset on them (CQelRecordset::OpenQueryDef).
#pragma once

#include <afx.h>

#include "dbdao.h"

class CQelQueryDef {
public:
    explicit CQelQueryDef(CdbDatabase *pDatabase);
    // The copy names the same DAO query definition, with the same parameters.
    CQelQueryDef(const CQelQueryDef &other) = default;
    CQelQueryDef &operator=(const CQelQueryDef &other) = delete;

    // Stores a query of that name; a NULL name makes a temporary query.
    void Create(LPCTSTR name, LPCTSTR sql);
    // The stored query of that name (blind to case).
    void Open(LPCTSTR name);
    // Sets a parameter by name. A text travels as the UTF-16 form of its code page
    // 1252 text, the form of the NameString columns.
    void SetParameter(LPCTSTR name, const VARIANT &value);
    // Runs an action query.
    void Execute(LONG options = dbFailOnError);

    CdbDatabase *m_pDatabase; // not owned
    CdbQueryDef m_QueryDef;
};

// `value` as the database layer passes it on: a text (VT_BSTR) becomes the UTF-16 form
// of its code page 1252 text, so that every character is one the columns can hold;
// other values are copied as they are.
CdbVariant DatabaseValue(const VARIANT &value);
