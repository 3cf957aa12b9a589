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

namespace {

// Texts are names and paths, which the queries compare with LIKE. Longer ones name
// nothing the readers keep, and SQLite would refuse them as patterns only after the
// request had been given to it, in words that say nothing of the name; at three bytes
// a character this stays inside its limit of 50,000 bytes.
const int kMostTextCharacters = 16384;

} // namespace

void CQelQueryDef::SetParameter(LPCTSTR name, const VARIANT &value)
{
    if (value.vt == VT_BSTR && SysStringLen(value.bstrVal) > static_cast<UINT>(kMostTextCharacters)) {
        CString text;
        text.Format("The name or path given for %s has %u characters; at most %d are looked up.", name,
                    SysStringLen(value.bstrVal), kMostTextCharacters);
        ThrowQeldbException(3001, "Korvex.SymbolDatabase", text);
    }
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
