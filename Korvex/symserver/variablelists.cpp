#include "variablelists.h"
#include "variablescope.h"

VariableArray &VariableResult(CSymbolRequest &request)
{
    if (auto *earlier = dynamic_cast<VariableArray *>(request.m_pResult))
        return *earlier;
    delete request.m_pResult;
    return NewResult<VariableTag>(request);
}

void DescribeVariable(CSymbolEngine &engine, VariableTag &variable)
{
    LONG bitInfo = 0;
    engine.TypeDescription(variable.TypeIndex, variable.TypeCode, variable.TypeText, variable.SizeInBits, bitInfo,
                           variable.PointerClass);
}

void AppendVariables(CSymbolEngine &engine, CSymbolRequest &request, CStoredQuery &query)
{
    VariableArray &result = VariableResult(request);
    CDBSymbolInfo rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    if (!rows.IsEOF() && !engine.EnsureModulByIndex(rows.m_ModulIndex))
        rows.Requery();
    CScopeTexts scopes(engine);
    BOOL first = TRUE;
    CollectRows(rows, result, [&](VariableTag &entry, CDBSymbolInfo &row) {
        _VariableTag variable;
        FromRecord(variable, row);
        variable.ScopeText = scopes.Of(variable);
        variable.CopyTo(entry);
        if (first)
            DescribeVariable(engine, entry);
        first = FALSE;
    });
}

void AppendVariable(CSymbolEngine &engine, CSymbolRequest &request, CDBSymbolInfo &row)
{
    _VariableTag variable;
    FromRecord(variable, row);
    CScopeTexts scopes(engine);
    variable.ScopeText = scopes.Of(variable);
    VariableTag entry;
    variable.CopyTo(entry);
    DescribeVariable(engine, entry);
    VariableResult(request).Add(entry);
}
