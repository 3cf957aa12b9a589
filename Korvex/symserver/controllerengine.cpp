#include "controllerengine.h"

#include <utility>

CControllerSymbolEngine::CControllerSymbolEngine(IUnknown *owner) : CSymbolEngine(owner)
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
}

void CControllerSymbolEngine::LoadControllerRegisters(CSymbolRequest &request)
{
    request.m_nStatus = StatusNotSupported;
}
