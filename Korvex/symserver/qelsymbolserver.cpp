#include "qelsymbolserver.h"

CQelSymbolServer::CQelSymbolServer() : m_pUnkMarshaler(nullptr)
{
}

CQelSymbolServer::~CQelSymbolServer() = default;

HRESULT CQelSymbolServer::FinalConstruct()
{
    SetOwner(GetControllingUnknown());
    m_pForeignDebugServer = nullptr;
    return CoCreateFreeThreadedMarshaler(m_pOwner, &m_pUnkMarshaler);
}

void CQelSymbolServer::FinalRelease()
{
    // A host that never called Cleanup leaves no worker running into a freed object: the
    // engine is stopped here, or, when this is its worker (the host let go inside a
    // notice), it lets go of the owner now and the worker frees it afterwards.
    m_EngineHolder.DeleteEngine();
    m_MenuItemList.SetServerInterface(nullptr);
    if (m_pUnkMarshaler != nullptr) {
        IUnknown *marshaler = m_pUnkMarshaler;
        m_pUnkMarshaler = nullptr;
        marshaler->Release();
    }
}

STDMETHODIMP CQelSymbolServer::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_IQelSymbSrv || riid == IID_IQelSymbol || riid == IID_IQelControllerInfo ? S_OK : S_FALSE;
}

HRESULT CQelSymbolServer::CreateEngine()
{
    if (!m_EngineHolder.CreateEngine(m_pOwner))
        return E_OUTOFMEMORY;
    IUnknown *owner = m_pOwner;
    m_EngineHolder.GetEngine()->SetReadyHook([owner](int id) {
        if (owner == nullptr)
            return;
        // A sink may let the host's last reference go: the owner, with this server and
        // its engine, then goes when the notice is over, not under it.
        CComPtr<IUnknown> hold(owner);
        FireRequestReadyOn(owner, id);
        // A partner debugger (the PCP's, bound to this one) forwards its requests here,
        // so its clients hear of them too.
        CComPtr<IQelSymbSrv> server;
        if (FAILED(owner->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server))))
            return;
        CComPtr<IUnknown> partner;
        if (SUCCEEDED(server->Synchronize(SYF_GET_FOREIGN_DEBUG_SERVER, &partner)) && partner != nullptr)
            FireRequestReadyOn(partner, id);
    });
    return S_OK;
}

void CQelSymbolServer::FireRequestReadyOn(IUnknown *debugServer, int id)
{
    CComPtr<IQelSymbol> symbol;
    if (SUCCEEDED(debugServer->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol))))
        symbol->FireRequestReady(id);
}

STDMETHODIMP CQelSymbolServer::Init(IUnknown *pIStorage, IUnknown *pIGUIServer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pIStorage == nullptr && pIGUIServer == nullptr) {
        m_EngineHolder.DeleteEngine();
        return S_OK;
    }
    if (pIStorage == nullptr || pIGUIServer == nullptr) {
        SetOwner(pIStorage);
        return S_OK;
    }
    m_EngineHolder.DeleteEngine();
    HRESULT hr = CreateEngine();
    if (FAILED(hr))
        return hr;
    return InitSettings(pIStorage, pIGUIServer);
}

STDMETHODIMP CQelSymbolServer::Cleanup()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_EngineHolder.DeleteEngine();
    CleanupSettings();
    return S_OK;
}

STDMETHODIMP CQelSymbolServer::GetProgramCount(LONG *pnCount)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pnCount == nullptr)
        return E_POINTER;
    *pnCount = m_EngineHolder.GetProgramCount();
    return S_OK;
}

STDMETHODIMP CQelSymbolServer::GetProgramId(LONG nIndex, LONG *pnProgramId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pnProgramId == nullptr)
        return E_POINTER;
    *pnProgramId = 0;
    CComPtr<IProgramInfo> info = m_EngineHolder.GetProgramInfo(nIndex);
    if (info != nullptr)
        *pnProgramId = static_cast<CProgramInfo *>(info.p)->m_nProgramId;
    return *pnProgramId != 0 ? S_OK : E_FAIL;
}

STDMETHODIMP CQelSymbolServer::GetProgramInfoById(LONG nProgramId, IUnknown **ppProgramInfo)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (ppProgramInfo == nullptr)
        return E_POINTER;
    *ppProgramInfo = nullptr;
    for (LONG i = 0; i < m_EngineHolder.GetProgramCount(); i++) {
        CComPtr<IProgramInfo> info = m_EngineHolder.GetProgramInfo(i);
        if (info != nullptr && static_cast<CProgramInfo *>(info.p)->m_nProgramId == nProgramId) {
            *ppProgramInfo = info.Detach();
            return S_OK;
        }
    }
    return E_FAIL;
}

STDMETHODIMP CQelSymbolServer::FireRequestReady(int nRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Fire_FireSymbolProcReadyState(nRequest);
    return S_OK;
}

STDMETHODIMP CQelSymbolServer::FirePatternWindowState(LONG nOpen, LONG nStartAddress, LONG nLength)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (nOpen != 0)
        Fire_PatternWindowOpen(nStartAddress, nLength);
    else
        Fire_PatternWindowClose(nStartAddress, nLength);
    return S_OK;
}
