#include "qelsymbolpcp.h"

namespace {

// Synchronize on the IQelSymbSrv of `object`; E_POINTER when it has none.
HRESULT SynchronizeOn(IUnknown *object, tagSynchronizeFunction function, IUnknown *argument)
{
    CComPtr<IQelSymbSrv> server;
    if (object == nullptr || FAILED(object->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server))))
        return E_POINTER;
    return server->Synchronize(function, &argument);
}

} // namespace

void CQelSymbolPCP::FinalRelease()
{
    {
        std::lock_guard<std::mutex> hold(m_MasterLock);
        if (m_pMaster != nullptr) {
            m_pMaster->Release();
            m_pMaster = nullptr;
        }
    }
    CQelSymbolServer::FinalRelease();
}

CComPtr<IQelSymbol> CQelSymbolPCP::Master()
{
    std::lock_guard<std::mutex> hold(m_MasterLock);
    return CComPtr<IQelSymbol>(m_pMaster);
}

STDMETHODIMP CQelSymbolPCP::Init(IUnknown *pIStorage, IUnknown *pIGUIServer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pIStorage == nullptr || pIGUIServer == nullptr)
        return CQelSymbolServer::Init(pIStorage, pIGUIServer);
    // A second Init finds the mode anew.
    Unbind();
    m_EngineHolder.DeleteEngine();

    CComPtr<IQelHostHolder> holder;
    if (m_pOwner == nullptr ||
        FAILED(m_pOwner->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder))))
        return E_NOINTERFACE;
    CComPtr<IUnknown> profile;
    CComPtr<IUnknown> valueObject;
    CComPtr<IQelWindowValues> values;
    holder->GetProfile(&profile);
    if (FAILED(holder->GetWindowValues(&valueObject)) || valueObject == nullptr ||
        FAILED(valueObject->QueryInterface(qel_uuidof<IQelWindowValues>(), reinterpret_cast<void **>(&values))))
        return E_NOINTERFACE;

    if (values->PcpBinding() == 0) {
        HRESULT hr = CreateEngine();
        if (FAILED(hr))
            return hr;
        hr = SynchronizeOn(m_pOwner, SYF_PUT_PCP_STANDALONE_DEBUG_SERVER, m_pOwner);
        if (FAILED(hr))
            return hr;
        m_nMasterSelector = 1;
    } else {
        BindMaster(profile, values);
    }
    return InitSettings(pIStorage, pIGUIServer);
}

void CQelSymbolPCP::BindMaster(IUnknown *holderProfile, IQelWindowValues *values)
{
    CComPtr<IQelDebugServerNames> names;
    if (holderProfile == nullptr ||
        FAILED(holderProfile->QueryInterface(qel_uuidof<IQelDebugServerNames>(), reinterpret_cast<void **>(&names))))
        return;
    CComBSTR masterName;
    CComPtr<IUnknown> debugServer;
    if (FAILED(values->GetMasterName(&masterName)) || FAILED(names->GetDebugServer(masterName, &debugServer)) ||
        debugServer == nullptr)
        return;
    CComPtr<IQelSymbol> master;
    if (FAILED(debugServer->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&master))))
        return;
    {
        std::lock_guard<std::mutex> hold(m_MasterLock);
        m_pMaster = master;
        m_pMaster->AddRef();
    }
    // Held before the master is called, so that its call back finds this server bound.
    HoldPartner(m_pForeignDebugServer, master);
    SynchronizeOn(master, SYF_PUT_FOREIGN_DEBUG_SERVER, m_pOwner);
    m_MenuItemList.SetCommandTarget(master);
}

void CQelSymbolPCP::Unbind()
{
    IQelSymbol *master = nullptr;
    {
        std::lock_guard<std::mutex> hold(m_MasterLock);
        master = m_pMaster;
        m_pMaster = nullptr;
    }
    if (master != nullptr) {
        CComPtr<IUnknown> foreign;
        foreign.Attach(GetPartner(m_pForeignDebugServer));
        if (foreign != nullptr)
            SynchronizeOn(foreign, SYF_PUT_FOREIGN_DEBUG_SERVER, nullptr);
        DropPartner(m_pForeignDebugServer);
        m_MenuItemList.SetCommandTarget(nullptr);
        master->Release();
    } else if (m_nMasterSelector == 1) {
        SynchronizeOn(m_pOwner, SYF_PUT_PCP_STANDALONE_DEBUG_SERVER, nullptr);
        m_nMasterSelector = 0;
    }
}

STDMETHODIMP CQelSymbolPCP::Cleanup()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Unbind();
    return CQelSymbolServer::Cleanup();
}

STDMETHODIMP CQelSymbolPCP::GetProgramCount(LONG *pnCount)
{
    if (Master() == nullptr)
        return CQelSymbolServer::GetProgramCount(pnCount);
    if (pnCount == nullptr)
        return E_POINTER;
    *pnCount = 0;
    return S_OK;
}

STDMETHODIMP CQelSymbolPCP::GetProgramId(LONG nIndex, LONG *pnProgramId)
{
    if (Master() == nullptr)
        return CQelSymbolServer::GetProgramId(nIndex, pnProgramId);
    if (pnProgramId == nullptr)
        return E_POINTER;
    *pnProgramId = 0;
    return S_OK;
}

STDMETHODIMP CQelSymbolPCP::GetProgramInfoById(LONG nProgramId, IUnknown **ppProgramInfo)
{
    if (Master() == nullptr)
        return CQelSymbolServer::GetProgramInfoById(nProgramId, ppProgramInfo);
    if (ppProgramInfo == nullptr)
        return E_POINTER;
    *ppProgramInfo = nullptr;
    return S_OK;
}

STDMETHODIMP CQelSymbolPCP::LoadFile(BSTR bsFile, LONG nProgramID, LONG nHwnd, int *pnRequest)
{
    CComPtr<IQelSymbol> master = Master();
    if (master == nullptr)
        return CQelSymbolServer::LoadFile(bsFile, nProgramID, nHwnd, pnRequest);
    if (pnRequest == nullptr)
        return E_POINTER;
    LONG hasDatabase = 0;
    if (FAILED(master->IsDatabase(&hasDatabase)))
        hasDatabase = 0;
    if (hasDatabase == 0)
        return master->LoadFile(bsFile, nProgramID, nHwnd, pnRequest);
    *pnRequest = 0;
    return S_OK;
}

STDMETHODIMP CQelSymbolPCP::UnloadFile(LONG nID, int *pnRequest)
{
    if (Master() == nullptr)
        return CQelSymbolServer::UnloadFile(nID, pnRequest);
    return S_OK;
}
