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

LONG LongParameter(const VARIANT &value)
{
    switch (value.vt) {
    case VT_I4:
        return value.lVal;
    case VT_UI4:
        return static_cast<LONG>(value.ulVal);
    case VT_I2:
        return value.iVal;
    case VT_UI2:
        return value.uiVal;
    case VT_INT:
        return value.intVal;
    case VT_UINT:
        return static_cast<LONG>(value.uintVal);
    default:
        return 0;
    }
}
