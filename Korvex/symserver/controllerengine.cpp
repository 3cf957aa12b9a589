#include "controllerengine.h"

CControllerSymbolEngine::CControllerSymbolEngine(IUnknown *owner) : CSymbolEngine(owner)
{
    SetHandler(500, [this](CSymbolRequest &request) { OnType(request); });
    SetHandler(501, [this](CSymbolRequest &request) { OnMembersOfType(request); });
    SetHandler(600, [this](CSymbolRequest &request) { OnLifetime(request); });
    SetHandler(601, [this](CSymbolRequest &request) { OnVarEdMapping(request); });
}

CControllerSymbolEngine::~CControllerSymbolEngine()
{
    Stop();
}

void CControllerSymbolEngine::LoadControllerRegisters(CSymbolRequest &request)
{
    request.m_nStatus = StatusNotSupported;
}
