// Codes 200 to 203: functions, every row as the database holds it (a function stored
// under two names at one address comes twice).
#include "queryrows.h"

#include <symdbstrings.h>
#include <tagreaders.h>

namespace {

typedef CArray<FunctionTag, FunctionTag &> FunctionArray;

void CollectFunctions(CDBFunctions &rs, FunctionArray &functions)
{
    CollectRows(rs, functions, [](FunctionTag &function, CDBFunctions &row) { FromRecord(function, row); });
}

void CollectFunctions(CSymbolEngine &engine, CStoredQuery &query, FunctionArray &functions)
{
    CDBFunctions rs(ProgramDatabase(engine));
    rs.OpenQueryDef(query);
    CollectFunctions(rs, functions);
}

} // namespace

void CSymbolEngine::OnFunctions(CSymbolRequest &request)
{
    FunctionArray &functions = NewResult<FunctionTag>(request);
    CDBFunctions rs(ProgramDatabase(*this));
    rs.Open();
    CollectFunctions(rs, functions);
}

void CSymbolEngine::OnFunctionByName(CSymbolRequest &request)
{
    FunctionArray &functions = NewResult<FunctionTag>(request);
    // The method has encoded the name already, which makes LIKE blind to nothing.
    CStoredQuery query(*this, IDS_Q_FUNCTIONBYNAME);
    query.Set("_Name", request.Param1);
    CollectFunctions(*this, query, functions);
}

void CSymbolEngine::OnFunctionByAddress(CSymbolRequest &request)
{
    FunctionArray &functions = NewResult<FunctionTag>(request);
    CStoredQuery query(*this, IDS_Q_FUNCTIONBYADDRESS);
    query.SetAddress(request.Param1, request.Param2);
    CollectFunctions(*this, query, functions);
}

void CSymbolEngine::OnFunctionsOfSourceFile(CSymbolRequest &request)
{
    FunctionArray &functions = NewResult<FunctionTag>(request);
    CStoredQuery query(*this, IDS_Q_FUNCTIONSOFSOURCEFILE);
    query.Set("_Path", request.Param1);
    CollectFunctions(*this, query, functions);
}
