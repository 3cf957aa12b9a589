#include "qelrecordset.h"

#include "qeldbexception.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQelRecordset, CObject)

namespace {

const char kSource[] = "Korvex.Recordset";

// A column's value as the member type needs it: Null is the member's empty value, and
// a value of another type is converted as Automation converts it.
bool Converted(const CdbVariant &value, VARTYPE type, CdbVariant &out)
{
    if (value.vt == VT_NULL || value.vt == VT_EMPTY)
        return false;
    if (value.vt == type) {
        out = value;
        return true;
    }
    if (FAILED(VariantChangeType(&out, &value, 0, type)))
        ThrowQeldbException(3421, kSource, "A column's value cannot be converted to the member's type.");
    return true;
}

} // namespace

CdbField &CQelFieldExchange::NextField(LPCTSTR name, BOOL *autoIncrement)
{
    std::vector<CQelRecordset::BoundColumn> &columns = m_pSet->m_columns;
    if (m_nColumn == columns.size()) {
        CdbField field = m_pSet->m_Recordset.Fields[name];
        BOOL isAuto = (field.GetAttributes() & dbAutoIncrField) != 0;
        columns.push_back(CQelRecordset::BoundColumn{field, isAuto});
    }
    CQelRecordset::BoundColumn &column = columns[m_nColumn++];
    *autoIncrement = column.autoIncrement;
    return column.field;
}

void DFX_Long(CQelFieldExchange *pFX, LPCTSTR name, LONG &value)
{
    BOOL autoIncrement;
    CdbField &field = pFX->NextField(name, &autoIncrement);
    if (pFX->m_nMode == CQelFieldExchange::Read) {
        if (field.GetLong(value))
            return;
        CdbVariant number;
        value = Converted(field.GetValue(), VT_I4, number) ? number.lVal : 0;
    } else if (!autoIncrement) {
        VARIANT number;
        number.vt = VT_I4;
        number.lVal = value;
        field.SetValue(number);
    }
}

void DFX_Bool(CQelFieldExchange *pFX, LPCTSTR name, BOOL &value)
{
    BOOL autoIncrement;
    CdbField &field = pFX->NextField(name, &autoIncrement);
    if (pFX->m_nMode == CQelFieldExchange::Read) {
        CdbVariant flag;
        value = Converted(field.GetValue(), VT_BOOL, flag) && flag.boolVal != VARIANT_FALSE;
    } else {
        VARIANT flag;
        flag.vt = VT_BOOL;
        flag.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        field.SetValue(flag);
    }
}

void DFX_Text(CQelFieldExchange *pFX, LPCTSTR name, CString &value)
{
    BOOL autoIncrement;
    CdbField &field = pFX->NextField(name, &autoIncrement);
    if (pFX->m_nMode == CQelFieldExchange::Read) {
        if (field.GetText(value)) {
            // A zero inside the text ends it, as it ends the text read through UTF-16.
            const int end = static_cast<int>(std::strlen(value));
            if (end < value.GetLength())
                value = value.Left(end);
            return;
        }
        CdbVariant text;
        if (Converted(field.GetValue(), VT_BSTR, text))
            value = static_cast<LPCWSTR>(text.bstrVal);
        else
            value.Empty();
    } else {
        field.SetValue(static_cast<LPCTSTR>(value));
    }
}

void DFX_DateTime(CQelFieldExchange *pFX, LPCTSTR name, COleDateTime &value)
{
    BOOL autoIncrement;
    CdbField &field = pFX->NextField(name, &autoIncrement);
    if (pFX->m_nMode == CQelFieldExchange::Read) {
        CdbVariant date;
        if (Converted(field.GetValue(), VT_DATE, date)) {
            value = COleDateTime(date.date);
        } else {
            value = COleDateTime();
            value.SetStatus(COleDateTime::null);
        }
    } else {
        VARIANT date;
        date.vt = VT_NULL;
        if (value.GetStatus() == COleDateTime::valid) {
            date.vt = VT_DATE;
            date.date = value.m_dt;
        }
        field.SetValue(date);
    }
}

CQelRecordset::CQelRecordset(CdbDatabase *pDatabase)
    : m_nDefaultType(dbOpenTable), m_nFields(0), m_pDatabase(pDatabase), m_bOpen(FALSE)
{
}

CQelRecordset::~CQelRecordset()
{
    try {
        Close();
    } catch (CQeldbException *e) {
        e->Delete();
    }
}

void CQelRecordset::OpenQueryDef(CQelQueryDef &queryDef, LONG openType, LONG options)
{
    if (openType == dbOpenSnapshot)
        options |= dbReadOnly;
    CdbRecordset opened = QeldbCall([&] { return queryDef.m_QueryDef.OpenRecordset(openType, options); });
    Close();
    m_Recordset = opened;
    m_bOpen = TRUE;
    m_pQueryDef = std::make_unique<CQelQueryDef>(queryDef);
    ReadCurrent();
}

void CQelRecordset::Open(LONG openType, LPCTSTR sql, LONG options)
{
    LONG type = openType == -1 ? static_cast<LONG>(m_nDefaultType) : openType;
    if (type == dbOpenSnapshot)
        options |= dbReadOnly;
    CString source(sql);
    if (!sql) {
        // The default names its table or query in brackets, or holds SQL in them.
        CString defaultSql = GetDefaultSQL();
        if (defaultSql.GetLength() < 3)
            ThrowQeldbException(3001, kSource, "The recordset names no table or query to open.");
        source = defaultSql.Mid(1, defaultSql.GetLength() - 2);
    }
    if (!m_pDatabase)
        ThrowQeldbException(3420, kSource, "The recordset has no database.");
    CdbRecordset opened = QeldbCall([&] { return m_pDatabase->OpenRecordset(source, type, options, -1); });
    Close();
    m_Recordset = opened;
    m_bOpen = TRUE;
    ReadCurrent();
}

void CQelRecordset::Close()
{
    if (m_bOpen) {
        m_bOpen = FALSE;
        m_columns.clear();
        QeldbCall([&] { m_Recordset.Close(); });
    }
    m_pQueryDef.reset();
}

CString CQelRecordset::GetDefaultDBName()
{
    return CString();
}

CString CQelRecordset::GetDefaultSQL()
{
    return CString();
}

void CQelRecordset::DoFieldExchange(CQelFieldExchange *)
{
}

void CQelRecordset::AddNew()
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.AddNew(); });
    Exchange(CQelFieldExchange::Read);
}

void CQelRecordset::Edit()
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.Edit(); });
    Exchange(CQelFieldExchange::Read);
}

void CQelRecordset::Update()
{
    Exchange(CQelFieldExchange::Write);
    QeldbCall([&] { m_Recordset.Update(dbUpdateRegular, FALSE); });
}

void CQelRecordset::CancelUpdate()
{
    QeldbCall([&] { m_Recordset.CancelUpdate(dbUpdateRegular); });
}

void CQelRecordset::SetCurrentIndex(LPCTSTR indexName)
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.SetIndex(indexName); });
}

LONG CQelRecordset::GetRecordCount()
{
    EnsureOpen();
    return QeldbCall([&] { return m_Recordset.GetRecordCount(); });
}

BOOL CQelRecordset::IsEOF()
{
    EnsureOpen();
    return QeldbCall([&] { return m_Recordset.IsEOF(); });
}

BOOL CQelRecordset::IsBOF()
{
    EnsureOpen();
    return QeldbCall([&] { return m_Recordset.IsBOF(); });
}

void CQelRecordset::MoveFirst()
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.MoveFirst(); });
    ReadCurrent();
}

void CQelRecordset::MoveNext()
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.MoveNext(); });
    ReadCurrent();
}

void CQelRecordset::MovePrev()
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.MovePrevious(); });
    ReadCurrent();
}

void CQelRecordset::MoveLast()
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.MoveLast(); });
    ReadCurrent();
}

BOOL CQelRecordset::Seek(LPCTSTR comparison, const VARIANT *key1, const VARIANT *key2, const VARIANT *key3)
{
    EnsureOpen();
    const VARIANT *given[] = {key1, key2, key3};
    CdbVariant keys[3];
    LONG count = 0;
    while (count < 3 && given[count]) {
        keys[count] = DatabaseValue(*given[count]);
        ++count;
    }
    BOOL found = QeldbCall([&] {
        m_Recordset.Seek(comparison, count, &keys[0], count > 1 ? &keys[1] : nullptr,
                         count > 2 ? &keys[2] : nullptr);
        return !m_Recordset.GetNoMatch();
    });
    if (found)
        Exchange(CQelFieldExchange::Read);
    return found;
}

BOOL CQelRecordset::Requery()
{
    EnsureOpen();
    BOOL empty = QeldbCall([&] {
        m_Recordset.Requery();
        return m_Recordset.IsEOF() && m_Recordset.IsBOF();
    });
    if (empty)
        return FALSE;
    Exchange(CQelFieldExchange::Read);
    return TRUE;
}

void CQelRecordset::SetBookmark(const VARIANT &bookmark)
{
    EnsureOpen();
    QeldbCall([&] { m_Recordset.SetBookmark(bookmark); });
    ReadCurrent();
}

CdbBookmark CQelRecordset::GetLastModifiedBookmark()
{
    EnsureOpen();
    return QeldbCall([&] { return m_Recordset.GetLastModified(); });
}

void CQelRecordset::EnsureOpen()
{
    if (!m_bOpen)
        Open();
}

void CQelRecordset::Exchange(UINT mode)
{
    CQelFieldExchange exchange(mode, this);
    QeldbCall([&] { DoFieldExchange(&exchange); });
}

void CQelRecordset::ReadCurrent()
{
    BOOL onRecord = QeldbCall([&] { return !m_Recordset.IsEOF() && !m_Recordset.IsBOF(); });
    if (onRecord)
        Exchange(CQelFieldExchange::Read);
}
