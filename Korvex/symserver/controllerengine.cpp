#include "controllerengine.h"

#include "sfrdatabase.h"

#include <diaghelper.h>

#include <memory>
#include <utility>

CControllerSymbolEngine::CControllerSymbolEngine(IUnknown *owner) : CSymbolEngine(owner), m_Tables(EmptySfrTables())
{
    const std::pair<int, void (CSymbolEngine::*)(CSymbolRequest &)> queries[] = {
        {0, &CSymbolEngine::OnSections},
        {1, &CSymbolEngine::OnSectionByName},
        {2, &CSymbolEngine::OnSectionByAddress},
        {100, &CSymbolEngine::OnSourceFiles},
        {101, &CSymbolEngine::OnSourceFileByPath},
        {102, &CSymbolEngine::OnSourceFileByAddress},
        {103, &CSymbolEngine::OnSourceFileLines},
        {200, &CSymbolEngine::OnFunctions},
        {201, &CSymbolEngine::OnFunctionByName},
        {202, &CSymbolEngine::OnFunctionByAddress},
        {203, &CSymbolEngine::OnFunctionsOfSourceFile},
        {301, &CSymbolEngine::OnSourceLinesOfSourceFile},
        {302, &CSymbolEngine::OnSourceLineRangesByAddress},
        {401, &CSymbolEngine::OnGlobals},
        {402, &CSymbolEngine::OnGlobalsInScope},
        {403, &CSymbolEngine::OnStatics},
        {404, &CSymbolEngine::OnStaticsInScope},
        {405, &CSymbolEngine::OnLocalsInScope},
        {406, &CSymbolEngine::OnVariableWithScope},
        {407, &CSymbolEngine::OnParameters},
        {408, &CSymbolEngine::OnVariableByIndex},
        {409, &CSymbolEngine::OnVariablesInScope},
        {500, &CSymbolEngine::OnType},
        {501, &CSymbolEngine::OnMembersOfType},
        {600, &CSymbolEngine::OnLifetime},
        {601, &CSymbolEngine::OnVarEdMapping},
        {700, &CSymbolEngine::OnCodeLabel},
        {701, &CSymbolEngine::OnDataLabel},
        {702, &CSymbolEngine::OnStartupLabels},
        {703, &CSymbolEngine::OnBreakpointDescription},
        {704, &CSymbolEngine::OnBreakpointAddresses},
        {800, &CSymbolEngine::OnRegisterMap},
        {900, &CSymbolEngine::OnVarEdVariables},
        {4000, &CSymbolEngine::OnLocation},
    };
    for (const auto &query : queries) {
        auto handler = query.second;
        SetHandler(query.first, [this, handler](CSymbolRequest &request) { (this->*handler)(request); });
    }
}

CControllerSymbolEngine::~CControllerSymbolEngine()
{
    Stop();
    ReplaceTables(EmptySfrTables());
}

void CControllerSymbolEngine::LoadControllerRegisters(CSymbolRequest &request)
{
    CString param;
    if (request.Param1.vt == VT_BSTR)
        param = CString(request.Param1.bstrVal);
    auto registers = std::make_unique<CSfrRegisterList>();
    auto blocks = std::make_unique<CSfrBlockList>();
    auto result = std::make_unique<CSfrRegisterList>();
    CSfrDerivative derivative;
    CQelDiagHelper diagnostics(m_pOwner, "QelSymbolEngine", nullptr);
    CQelDatabase database;
    if (OpenControllerDatabase(param, database, derivative, diagnostics)) {
        try {
            if (derivative.HasRow)
                ReadControllerRegisters(database, *registers, *blocks, diagnostics);
        } catch (...) {
            database.Close(FALSE);
            throw;
        }
        database.Close(FALSE);
    }
    result->Copy(*registers);
    CSfrTablesRef tables = CSfrTablesRef::Adopt(new CSfrTables(derivative, std::move(registers), std::move(blocks)));
    for (const CString &name : tables->UnreadResetValues())
        diagnostics.TraceWarning("Controller register %s: its ResetValue is no number; 0 is taken.",
                                 static_cast<LPCSTR>(name));
    ReplaceTables(tables);
    request.m_pResult = result.release();
}

void CControllerSymbolEngine::ReplaceTables(CSfrTablesRef tables)
{
    {
        std::lock_guard<std::mutex> hold(m_TablesLock);
        std::swap(m_Tables, tables);
    }
    // `tables` now holds the set let go, and keeps it alive across its retirement.
    if (tables)
        tables->Retire();
}

CSfrTablesRef CControllerSymbolEngine::GetTables() const
{
    std::lock_guard<std::mutex> hold(m_TablesLock);
    return m_Tables;
}

int CControllerSymbolEngine::FindRegisterByAddress(DWORD value, LONG space) const
{
    return GetTables()->FindRegisterByAddress(value, space);
}

BOOL CControllerSymbolEngine::GetRegisterNameByAddress(DWORD value, LONG space, CString &name) const
{
    return GetTables()->GetRegisterNameByAddress(value, space, name);
}

BOOL CControllerSymbolEngine::GetBitName(DWORD value, LONG bit, LONG space, CString &name) const
{
    return GetTables()->GetBitName(value, bit, space, name);
}

BOOL CControllerSymbolEngine::GetRegisterNameByAbsoluteAddress(DWORD value, CString &name) const
{
    return GetTables()->GetRegisterNameByAbsoluteAddress(value, name);
}

DWORD CControllerSymbolEngine::GetRegisterAddress(LPCSTR name) const
{
    return GetTables()->GetRegisterAddress(name);
}

DWORD CControllerSymbolEngine::GetRegisterArea(LONG index, DWORD &start, DWORD &end) const
{
    return GetTables()->GetRegisterArea(index, start, end);
}

HRESULT CControllerSymbolEngine::GetRegisterBlocks(VARIANT *blocks) const
{
    return GetTables()->GetRegisterBlocks(blocks);
}

HRESULT CControllerSymbolEngine::GetInterruptControlList(VARIANT *list) const
{
    return GetTables()->GetInterruptControlList(list);
}
