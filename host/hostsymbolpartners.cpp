#include "hostsymbolpartners.h"

namespace QelHost {

void CHostSymbolPartners::SetForeignDebugServer(IUnknown *server)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_foreign = server;
}

void CHostSymbolPartners::SetPcpStandaloneDebugServer(IUnknown *server)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_pcpStandalone = server;
}

void CHostSymbolPartners::SetGlobalVarEd(BOOL on)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_globalVarEd = on;
}

STDMETHODIMP CHostSymbolPartners::Synchronize(tagSynchronizeFunction eFunction, IUnknown **ppUnknown)
{
    if (ppUnknown == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
    if (eFunction == SYF_GET_GLOBAL_VARED) {
        *ppUnknown = reinterpret_cast<IUnknown *>(static_cast<UINT_PTR>(m_globalVarEd ? 1 : 0));
        return S_OK;
    }
    IUnknown *partner = nullptr;
    if (eFunction == SYF_GET_FOREIGN_DEBUG_SERVER)
        partner = m_foreign;
    else if (eFunction == SYF_GET_PCP_STANDALONE_DEBUG_SERVER)
        partner = m_pcpStandalone;
    else
        return E_NOTIMPL;
    *ppUnknown = partner;
    if (partner != nullptr)
        partner->AddRef();
    return S_OK;
}

} // namespace QelHost
