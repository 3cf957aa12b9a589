#include "daoaccess.h"
#include "jeterror.h"
#include "jetnames.h"

#include <cstring>

using namespace qeldao;

namespace {

FieldDef &Definition(const std::shared_ptr<FieldDef> &def)
{
    if (!def)
        ThrowJet(SRC_FIELD, JET_INVALID_OPERATION);
    if (def->frozen)
        ThrowJet(SRC_FIELD, JET_NOT_SUPPORTED);
    return *def;
}

void OnlyEmpty(LPCTSTR text, const char *what)
{
    if (text && *text)
        ThrowDao(SRC_FIELD, JET_INVALID_ARGUMENT, std::string(what) + " are not supported by this engine.");
}

} // namespace

CString CdbField::GetName()
{
    if (m_pRecordset)
        return CString(m_pRecordset->Column(m_nColumn).name.c_str());
    if (!m_pDef)
        ThrowJet(SRC_FIELD, JET_OBJECT_CLOSED);
    return CString(m_pDef->schema.name.c_str());
}

SHORT CdbField::GetType()
{
    if (m_pRecordset)
        return m_pRecordset->Column(m_nColumn).type;
    if (!m_pDef)
        ThrowJet(SRC_FIELD, JET_OBJECT_CLOSED);
    return m_pDef->schema.type;
}

LONG CdbField::GetSize()
{
    if (m_pRecordset)
        return m_pRecordset->Column(m_nColumn).size;
    if (!m_pDef)
        ThrowJet(SRC_FIELD, JET_OBJECT_CLOSED);
    return m_pDef->schema.size;
}

LONG CdbField::GetAttributes()
{
    if (m_pRecordset)
        return m_pRecordset->Column(m_nColumn).attributes;
    if (!m_pDef)
        ThrowJet(SRC_FIELD, JET_OBJECT_CLOSED);
    return m_pDef->schema.attributes;
}

VOID CdbField::SetAttributes(LONG lAttributes)
{
    Definition(m_pDef).schema.attributes = lAttributes;
}

VOID CdbField::SetOrdinalPosition(SHORT nPosition)
{
    Definition(m_pDef).ordinal = nPosition;
}

VOID CdbField::SetRequired(BOOL bRequired)
{
    Definition(m_pDef).schema.required = bRequired != FALSE;
}

VOID CdbField::SetAllowZeroLength(BOOL bAllow)
{
    Definition(m_pDef).schema.allowZeroLength = bAllow != FALSE;
}

VOID CdbField::SetForeignName(LPCTSTR pstrName)
{
    Definition(m_pDef);
    OnlyEmpty(pstrName, "Foreign names");
}

VOID CdbField::SetValidationRule(LPCTSTR pstrRule)
{
    Definition(m_pDef);
    OnlyEmpty(pstrRule, "Validation rules");
}

VOID CdbField::SetValidationText(LPCTSTR pstrText)
{
    Definition(m_pDef);
    OnlyEmpty(pstrText, "Validation texts");
}

VOID CdbField::SetDefaultValue(LPCTSTR pstrValue)
{
    Definition(m_pDef).schema.defaultValue = pstrValue ? pstrValue : "";
}

CdbVariant CdbField::GetValue()
{
    if (!m_pRecordset)
        ThrowJet(SRC_FIELD, JET_INVALID_OPERATION);
    CdbVariant value;
    m_pRecordset->GetValue(m_nColumn, &value);
    return value;
}

BOOL CdbField::GetText(CString &text)
{
    if (!m_pRecordset)
        ThrowJet(SRC_FIELD, JET_INVALID_OPERATION);
    const std::string *held = m_pRecordset->HeldText(m_nColumn);
    if (!held)
        return FALSE;
    // The member's buffer is reused from row to row.
    const int length = static_cast<int>(held->size());
    if (length)
        std::memcpy(text.GetBufferSetLength(length), held->data(), held->size());
    else
        text.Empty();
    return TRUE;
}

BOOL CdbField::GetLong(LONG &value)
{
    if (!m_pRecordset)
        ThrowJet(SRC_FIELD, JET_INVALID_OPERATION);
    return m_pRecordset->HeldLong(m_nColumn, &value);
}

VOID CdbField::SetValue(const VARIANT &value)
{
    if (!m_pRecordset)
        ThrowJet(SRC_FIELD, JET_INVALID_OPERATION);
    m_pRecordset->SetValue(m_nColumn, value);
}

VOID CdbField::SetValue(LPCSTR text)
{
    if (!m_pRecordset)
        ThrowJet(SRC_FIELD, JET_INVALID_OPERATION);
    m_pRecordset->SetText(m_nColumn, text ? text : "");
}

LONG CdbFields::GetCount()
{
    if (m_pRecordset)
        return m_pRecordset->ColumnCount();
    if (!m_pTableDef)
        ThrowJet(SRC_FIELD, JET_OBJECT_CLOSED);
    return static_cast<LONG>(m_pTableDef->fields.size());
}

CdbField CdbFields::operator[](LONG lIndex)
{
    if (m_pRecordset) {
        if (lIndex < 0 || lIndex >= m_pRecordset->ColumnCount())
            ThrowJet(SRC_FIELD, JET_ITEM_NOT_FOUND);
        return DaoAccess::BoundField(m_pRecordset, lIndex);
    }
    if (!m_pTableDef)
        ThrowJet(SRC_FIELD, JET_OBJECT_CLOSED);
    if (lIndex < 0 || static_cast<size_t>(lIndex) >= m_pTableDef->fields.size())
        ThrowJet(SRC_FIELD, JET_ITEM_NOT_FOUND);
    return DaoAccess::DefinedField(m_pTableDef->fields[lIndex]);
}

CdbField CdbFields::operator[](LPCTSTR pstrName)
{
    std::string_view name = StripBrackets(pstrName ? pstrName : "");
    if (m_pRecordset)
        return DaoAccess::BoundField(m_pRecordset, m_pRecordset->FindColumn(name));
    if (!m_pTableDef)
        ThrowJet(SRC_FIELD, JET_OBJECT_CLOSED);
    for (const std::shared_ptr<FieldDef> &def : m_pTableDef->fields)
        if (SameName(def->schema.name, name))
            return DaoAccess::DefinedField(def);
    ThrowJet(SRC_FIELD, JET_ITEM_NOT_FOUND);
}

VOID CdbFields::Append(CdbField &field)
{
    if (!m_pTableDef)
        ThrowJet(SRC_TABLEDEF, JET_INVALID_OPERATION);
    const std::shared_ptr<FieldDef> &def = DaoAccess::Def(field);
    if (!def || def->appended)
        ThrowJet(SRC_TABLEDEF, JET_INVALID_OPERATION);
    if (m_pTableDef->appended)
        ThrowJet(SRC_TABLEDEF, JET_NOT_SUPPORTED);
    if (!IsValidFieldName(def->schema.name))
        ThrowJet(SRC_TABLEDEF, JET_BAD_NAME, def->schema.name);
    for (const std::shared_ptr<FieldDef> &other : m_pTableDef->fields)
        if (SameName(other->schema.name, def->schema.name))
            ThrowJet(SRC_TABLEDEF, JET_FIELD_TWICE);
    def->appended = true;
    m_pTableDef->fields.push_back(def);
}

VOID CdbIndexFields::Append(CdbField &field)
{
    if (!m_pIndex)
        ThrowJet(SRC_INDEX, JET_INVALID_OPERATION);
    const std::shared_ptr<FieldDef> &def = DaoAccess::Def(field);
    if (!def || def->appended)
        ThrowJet(SRC_INDEX, JET_INVALID_OPERATION);
    if (m_pIndex->appended)
        ThrowJet(SRC_INDEX, JET_NOT_SUPPORTED);
    for (const std::string &name : m_pIndex->fields)
        if (SameName(name, def->schema.name))
            ThrowJet(SRC_INDEX, JET_FIELD_TWICE);
    def->appended = true;
    m_pIndex->fields.push_back(def->schema.name);
}
