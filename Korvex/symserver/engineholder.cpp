#include "engineholder.h"

#include <new>

CSymbolEngineHolder::~CSymbolEngineHolder()
{
    DeleteEngine();
}

BOOL CSymbolEngineHolder::CreateEngine(IUnknown *owner)
{
    if (m_pEngine != nullptr)
        return FALSE;
    try {
        m_pEngine = new CControllerSymbolEngine(owner);
    } catch (CException *e) {
        e->Delete();
    } catch (const std::bad_alloc &) {
    }
    return m_pEngine != nullptr;
}

void CSymbolEngineHolder::DeleteEngine()
{
    // The worker ends (or, when this is the worker, lets go of the owner) before the
    // objects that its requests made are let go.
    CSymbolEngine *engine = m_pEngine;
    m_pEngine = nullptr;
    CSymbolEngine::Destroy(engine);
    KeepProgramInfo(nullptr);
}

void CSymbolEngineHolder::KeepProgramInfo(CProgramInfo *info)
{
    if (info != nullptr)
        info->AddRef();
    CProgramInfo *old = m_pProgramInfo;
    m_pProgramInfo = info;
    if (old != nullptr)
        old->Release();
}
