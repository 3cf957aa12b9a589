// Fields: a field definition of a table or index being built, or a column of an open
// recordset.
#pragma once

#include "daovariant.h"

#include "afxstring.h"

#include <memory>

namespace qeldao {
struct DaoAccess;
struct FieldDef;
struct TableDefImpl;
struct IndexDef;
class RecordsetImpl;
} // namespace qeldao

class CdbField {
public:
    CdbField() = default;

    CString GetName();
    SHORT GetType();
    LONG GetSize();
    LONG GetAttributes();

    // The properties of a definition, before it is appended. Foreign names and
    // validation rules are not offered: only empty texts are taken.
    VOID SetAttributes(LONG lAttributes);
    VOID SetOrdinalPosition(SHORT nPosition);
    VOID SetRequired(BOOL bRequired);
    VOID SetAllowZeroLength(BOOL bAllow);
    VOID SetForeignName(LPCTSTR pstrName);
    VOID SetValidationRule(LPCTSTR pstrRule);
    VOID SetValidationText(LPCTSTR pstrText);
    VOID SetDefaultValue(LPCTSTR pstrValue);

    // The value in the current record of a recordset's field.
    CdbVariant GetValue();
    // The value as the record holds it, where it is code page 1252 text (of a Text or
    // computed field) or a number that a Long shows as it stands (of a Long or computed
    // field): no VARIANT or BSTR made and undone. FALSE, the argument left alone, for
    // any other value (Null, or one that GetValue would convert).
    BOOL GetText(CString &text);
    BOOL GetLong(LONG &value);
    VOID SetValue(const VARIANT &value);
    // Code page 1252 text (NULL gives the empty text), as SetValue of it as a VARIANT
    // would store it; a text column takes it without a BSTR made and undone.
    VOID SetValue(LPCSTR text);

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::FieldDef> m_pDef;
    std::shared_ptr<qeldao::RecordsetImpl> m_pRecordset;
    int m_nColumn = -1;
};

// The fields of a table definition or of a recordset.
class CdbFields {
public:
    LONG GetCount();
    CdbField operator[](LONG lIndex);
    // By name, blind to case; "[Name]" finds "Name".
    CdbField operator[](LPCTSTR pstrName);
    // Table definitions only, before they are appended.
    VOID Append(CdbField &field);

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::TableDefImpl> m_pTableDef;
    std::shared_ptr<qeldao::RecordsetImpl> m_pRecordset;
};

// The fields of an index definition.
class CdbIndexFields {
public:
    VOID Append(CdbField &field);

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::IndexDef> m_pIndex;
};
