#include "queryrows.h"

#include <qeldbexception.h>
#include <stringtext.h>

CStoredQuery::CStoredQuery(CSymbolEngine &engine, UINT nameId) : CQelQueryDef(ProgramDatabase(engine))
{
    Open(LoadStringText(nameId));
}

void CStoredQuery::Set(LPCTSTR parameter, const VARIANT &value)
{
    SetParameter(parameter, value);
}

void CStoredQuery::Set(LPCTSTR parameter, LONG value)
{
    CdbVariant number(value);
    SetParameter(parameter, number);
}

CdbDatabase *ProgramDatabase(CSymbolEngine &engine)
{
    CQelDatabase *database = engine.GetProgramDatabase();
    if (database == nullptr || database->GetDatabase() == nullptr)
        ThrowQeldbException(0, "QelSymbolEngine", "No program is loaded.");
    return database->GetDatabase();
}

LONG NumberParameter(const VARIANT &value)
{
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, &value, 0, VT_I4)))
        return 0;
    return number.lVal;
}

CString TextParameter(const VARIANT &value)
{
    return value.vt == VT_BSTR && value.bstrVal != nullptr ? CString(value.bstrVal) : CString();
}
