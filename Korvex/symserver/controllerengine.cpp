#include "controllerengine.h"

CControllerSymbolEngine::CControllerSymbolEngine(IUnknown *owner) : CSymbolEngine(owner)
{
}

CControllerSymbolEngine::~CControllerSymbolEngine()
{
    Stop();
}

void CControllerSymbolEngine::LoadControllerRegisters(CSymbolRequest &request)
{
    request.m_nStatus = StatusNotSupported;
}
