// Codes 402, 404, 405, 407 and 409: the variables visible at an address. Among
// same-named variables the innermost wins, so that each name comes once, standing for
// the variable that an expression of that name at the address means.
//
// The parameters, locals and blocks of a module are written when the module is read,
// and what hides a module static or a global is among them: each of these handlers reads
// the module at the address first, or it would answer as if the function had none.
#include "variablelists.h"
#include "variablescope.h"

#include <symdbstrings.h>

#include <vector>

namespace {

const LONG kParameter = 1;
const LONG kLocal = 2;
const LONG kBlockStatic = 3;

// The outermost block at the address, which is the function's own block: a parameter
// hides a static of that block and a same-named local or static of a block inside it
// hides the parameter. Its block number (Data_1) is 0 for a function's block.
struct ReferenceBlock {
    LONG ScopeIndex = 0;
    LONG Number = 0;
};

ReferenceBlock OutermostBlockAt(CSymbolEngine &engine, const VARIANT &mode, const VARIANT &value)
{
    CStoredQuery query(engine, IDS_Q_BLOCKSBYADDRESS);
    query.SetAddress(mode, value);
    CDBSymbolInfo blocks(ProgramDatabase(engine));
    blocks.OpenQueryDef(query);
    // The query has no order; a reader writes a block before the blocks inside it, so
    // the outermost has the lowest SymbolIndex.
    ReferenceBlock outermost;
    LONG lowest = 0;
    for (BOOL found = FALSE; !blocks.IsEOF(); blocks.MoveNext()) {
        if (found && blocks.m_SymbolIndex >= lowest)
            continue;
        found = TRUE;
        lowest = blocks.m_SymbolIndex;
        outermost.ScopeIndex = blocks.m_ScopeIndex;
        outermost.Number = blocks.m_Data_1;
    }
    return outermost;
}

// Whether `row` hides the same-named `candidate`. A block of a higher ScopeIndex lies
// inside one of a lower index.
BOOL Hides(const _VariableTag &row, const _VariableTag &candidate, const ReferenceBlock &block)
{
    const BOOL inner = row.ScopeIndex > candidate.ScopeIndex;
    const BOOL functionBlock = block.Number == 0;
    switch (row.SymbolID) {
    case kParameter:
        return candidate.SymbolID == kBlockStatic && candidate.ScopeIndex == block.ScopeIndex && functionBlock;
    case kLocal:
        if (candidate.SymbolID == kParameter)
            return row.ScopeIndex != block.ScopeIndex || !functionBlock;
        return (candidate.SymbolID == kLocal || candidate.SymbolID == kBlockStatic) && inner;
    case kBlockStatic:
        if (candidate.SymbolID == kParameter)
            return row.ScopeIndex != block.ScopeIndex && functionBlock;
        return (candidate.SymbolID == kLocal || candidate.SymbolID == kBlockStatic) && inner;
    default:
        return FALSE;
    }
}

// The scope pass: the parameters, locals and block statics visible at the request's
// address whose names match, one entry for each name; `kind` 0 keeps every kind, another
// SymbolID only that kind.
void AppendVariablesInScope(CSymbolEngine &engine, CSymbolRequest &request, LONG kind)
{
    VariableArray &result = VariableResult(request);
    CStoredQuery query(engine, IDS_Q_FUNCTIONDATABYSCOPE);
    query.SetAddress(request.Param1, request.Param2);
    query.Set("_Name", request.Param3);
    CDBSymbolInfo rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    const ReferenceBlock block = OutermostBlockAt(engine, request.Param1, request.Param2);

    // The rows come by name; the winner of a name is known only after its last row, and
    // only then does the kind filter look at it: a block static that an inner local
    // hides must not stand in for the local.
    std::vector<_VariableTag> kept;
    _VariableTag candidate;
    BOOL any = FALSE;
    auto keep = [&] {
        if (any && (kind == 0 || candidate.SymbolID == kind))
            kept.push_back(candidate);
    };
    for (; !rows.IsEOF(); rows.MoveNext()) {
        _VariableTag row;
        FromRecord(row, rows);
        if (!any || row.Name != candidate.Name) {
            keep();
            candidate = row;
            any = TRUE;
        } else if (Hides(row, candidate, block)) {
            candidate = row;
        }
    }
    keep();
    rows.Close();

    CScopeTexts scopes(engine);
    const int first = result.GetSize();
    result.SetSize(first + static_cast<int>(kept.size()));
    for (size_t i = 0; i < kept.size(); ++i) {
        kept[i].ScopeText = scopes.Of(kept[i]);
        VariableTag &entry = result[first + static_cast<int>(i)];
        kept[i].CopyTo(entry);
        DescribeVariable(engine, entry);
    }
}

void AppendModulStatics(CSymbolEngine &engine, CSymbolRequest &request)
{
    CStoredQuery query(engine, IDS_Q_MODULDATABYSCOPE);
    query.SetAddress(request.Param1, request.Param2);
    query.Set("_Name", request.Param3);
    AppendVariables(engine, request, query);
}

void AppendGlobalsInScope(CSymbolEngine &engine, CSymbolRequest &request)
{
    CStoredQuery query(engine, IDS_Q_GLOBAL_C_DATABYSCOPE);
    query.SetAddress(request.Param1, request.Param2);
    query.Set("_Name", request.Param3);
    AppendVariables(engine, request, query);
}

} // namespace

void CSymbolEngine::OnGlobalsInScope(CSymbolRequest &request)
{
    EnsureModulAt(request.Param1, request.Param2);
    AppendGlobalsInScope(*this, request);
}

void CSymbolEngine::OnParameters(CSymbolRequest &request)
{
    EnsureModulAt(request.Param1, request.Param2);
    CStoredQuery query(*this, IDS_Q_PARAMETEROFFUNCTION);
    query.SetAddress(request.Param1, request.Param2);
    AppendVariables(*this, request, query);
}

void CSymbolEngine::OnStaticsInScope(CSymbolRequest &request)
{
    EnsureModulAt(request.Param1, request.Param2);
    AppendModulStatics(*this, request);
    AppendVariablesInScope(*this, request, kBlockStatic);
}

void CSymbolEngine::OnLocalsInScope(CSymbolRequest &request)
{
    EnsureModulAt(request.Param1, request.Param2);
    AppendVariablesInScope(*this, request, 0);
}

void CSymbolEngine::OnVariablesInScope(CSymbolRequest &request)
{
    EnsureModulAt(request.Param1, request.Param2);
    AppendVariablesInScope(*this, request, 0);
    AppendModulStatics(*this, request);
    AppendGlobalsInScope(*this, request);
}
