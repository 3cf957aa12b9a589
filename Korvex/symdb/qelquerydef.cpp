#include "qelquerydef.h"

#include "qeldbexception.h"

CQelQueryDef::CQelQueryDef(CdbDatabase *pDatabase) : m_pDatabase(pDatabase)
{
}

void CQelQueryDef::Create(LPCTSTR name, LPCTSTR sql)
{
    QeldbCall([&] { m_QueryDef = m_pDatabase->CreateQueryDef(name, sql); });
}

void CQelQueryDef::Open(LPCTSTR name)
{
    QeldbCall([&] { m_QueryDef = m_pDatabase->QueryDefs[name]; });
}

void CQelQueryDef::SetParameter(LPCTSTR name, const VARIANT &value)
{
    CdbVariant passed = DatabaseValue(value);
    QeldbCall([&] { m_QueryDef.SetParamValue(name, passed); });
}

void CQelQueryDef::Execute(LONG options)
{
    QeldbCall([&] { m_QueryDef.Execute(options); });
}

CdbVariant DatabaseValue(const VARIANT &value)
{
    if (value.vt != VT_BSTR)
        return CdbVariant(value);
    CString text(static_cast<LPCWSTR>(value.bstrVal));
    return CdbVariant(static_cast<LPCTSTR>(text));
}
