// Codes 401, 403, 406 and 408: variables by name, a variable found again by the name and
// scope text of an earlier answer, and a variable by its index.
#include "variablelists.h"
#include "variablescope.h"

#include <nameencoding.h>
#include <stringtext.h>
#include <symdbstrings.h>

#include <algorithm>

namespace {

BOOL IsAll(const VARIANT &pattern)
{
    return pattern.vt == VT_BSTR && TextParameter(pattern) == "*";
}

// Codes 401 and 403. The full lists (`*` and `*`) are kept in the engine's caches once
// the idle pass has made them; an answer from a cache holds what the database held then.
void AppendByName(CSymbolEngine &engine, CSymbolRequest &request, CObject *cache, UINT queryId, const VARIANT &name,
                  const VARIANT &path)
{
    auto *cached = dynamic_cast<VariableArray *>(cache);
    if (cached != nullptr && IsAll(name) && IsAll(path)) {
        VariableResult(request).Append(*cached);
        return;
    }
    CStoredQuery query(engine, queryId);
    query.Set("_Name", name);
    query.Set("_Path", path);
    AppendVariables(engine, request, query);
}

// The text between the first "[" of a scope and the "]" after it: the source path of a
// static's scope.
BOOL BracketedPath(const CString &scope, CString &path)
{
    const int open = scope.Find('['), close = open < 0 ? -1 : scope.Find(']', open + 1);
    if (close < 0)
        return FALSE;
    path = scope.Mid(open + 1, close - open - 1);
    return TRUE;
}

// "[dir/board.c]:{f}" as "[board.c]": what a client may write for the file of a scope.
CString FileOfScope(const CString &scope)
{
    CString path;
    if (!BracketedPath(scope, path))
        return CString();
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return "[" + path.Mid(slash + 1, path.GetLength() - slash - 1) + "]";
}

// The first static named `name` whose scope is `scope`, "*" taking the first of all.
void AppendStaticWithScope(CSymbolEngine &engine, CSymbolRequest &request, const CString &name,
                           const CString &scope)
{
    CStoredQuery query(engine, IDS_Q_STATIC_C_DATABYNAME);
    query.Set("_Name", CdbVariant(static_cast<LPCSTR>(name)));
    query.Set("_Path", CdbVariant("*"));
    CDBSymbolInfo rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    CScopeTexts scopes(engine);
    for (; !rows.IsEOF(); rows.MoveNext()) {
        _VariableTag variable;
        FromRecord(variable, rows);
        const CString text = scopes.Of(variable);
        if (scope == "*" || text == scope || (!text.IsEmpty() && FileOfScope(text) == scope)) {
            AppendVariable(engine, request, rows);
            return;
        }
    }
    VariableResult(request);
}

} // namespace

void CSymbolEngine::OnGlobals(CSymbolRequest &request)
{
    AppendByName(*this, request, GlobalsCache, IDS_Q_GLOBAL_C_DATABYNAME, request.Param1, request.Param2);
}

void CSymbolEngine::OnStatics(CSymbolRequest &request)
{
    AppendByName(*this, request, StaticsCache, IDS_Q_STATIC_C_DATABYNAME, request.Param1, request.Param2);
}

void CSymbolEngine::OnVariableWithScope(CSymbolRequest &request)
{
    // "name scope", as a client takes both from an earlier answer. The name arrives as the
    // caller wrote it and is compared in its stored encoding; the scope text is not.
    const CString text = TextParameter(request.Param1);
    const int blank = text.Find(' ');
    CString name;
    if (blank >= 0)
        EncodeNameString(text.Left(blank), name);
    const CString scope = blank >= 0 ? text.Mid(blank + 1, text.GetLength() - blank - 1) : text;

    if (scope == "(global)" || scope == "*")
        AppendByName(*this, request, GlobalsCache, IDS_Q_GLOBAL_C_DATABYNAME, CdbVariant(static_cast<LPCSTR>(name)),
                     CdbVariant("*"));
    if (scope == "(global)")
        return;
    CString path;
    if (BracketedPath(scope, path))
        EnsureModulByPath(CdbVariant(static_cast<LPCSTR>(path)));
    AppendStaticWithScope(*this, request, name, scope);
}

void CSymbolEngine::OnVariableByIndex(CSymbolRequest &request)
{
    VariableResult(request);
    CDBSymbolInfo symbol(ProgramDatabase(*this));
    symbol.Open(dbOpenTable);
    symbol.SetCurrentIndex(LoadStringText(IDS_DB_SYMBOLINDEXKEY));
    CdbVariant key(NumberParameter(request.Param1));
    if (!symbol.Seek("=", &key))
        return;
    // Reading the module rewrites its rows.
    if (!EnsureModulByIndex(symbol.m_ModulIndex) && !symbol.Seek("=", &key))
        return;
    AppendVariable(*this, request, symbol);
}
