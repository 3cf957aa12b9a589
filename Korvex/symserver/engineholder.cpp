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
    CComPtr<IProgramInfo> old;
    {
        std::lock_guard<std::mutex> hold(m_infoLock);
        old = m_pProgramInfo;
        m_pProgramInfo = info;
    }
    // The old object goes outside the lock: its last release may call anywhere.
}

LONG CSymbolEngineHolder::GetProgramCount() const
{
    std::lock_guard<std::mutex> hold(m_infoLock);
    return m_pProgramInfo != nullptr ? 1 : 0;
}

CComPtr<IProgramInfo> CSymbolEngineHolder::GetProgramInfo(LONG index) const
{
    std::lock_guard<std::mutex> hold(m_infoLock);
    return index == 0 ? m_pProgramInfo : CComPtr<IProgramInfo>();
}
