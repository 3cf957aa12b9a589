#include "queryrows.h"

#include <qeldbexception.h>
#include <stringtext.h>

CQelQueryDef &CSymbolEngine::StoredQuery(UINT nameId)
{
    CdbDatabase *database = ProgramDatabase(*this);
    if (GetProgramDatabase() != m_pStoredQueriesOf) {
        m_StoredQueries.clear();
        m_pStoredQueriesOf = GetProgramDatabase();
    }
    std::unique_ptr<CQelQueryDef> &query = m_StoredQueries[nameId];
    if (!query) {
        auto opened = std::make_unique<CQelQueryDef>(database);
        opened->Open(LoadStringText(nameId));
        query = std::move(opened);
    }
    return *query;
}

void CStoredQuery::Set(LPCTSTR parameter, const VARIANT &value)
{
    m_query.SetParameter(parameter, value);
}

void CStoredQuery::Set(LPCTSTR parameter, LONG value)
{
    CdbVariant number(value);
    m_query.SetParameter(parameter, number);
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
