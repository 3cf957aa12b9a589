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

STDMETHODIMP CHostSymbolPartners::Synchronize(tagSynchronizeFunction eFunction, IUnknown **ppUnknown)
{
    if (ppUnknown == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
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
