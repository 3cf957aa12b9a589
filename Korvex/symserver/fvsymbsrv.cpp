#include "fvsymbsrv.h"

#include "symserverstrings.h"

#include <oletarcmdcaller.h>

#include <new>

namespace {

enum : DWORD {
    kCmdVarEdWatch = 97,   // the watch windows show the VarEd data anew
    kCmdVarEdProgram = 96, // the program windows do
};

// A number in an interface pointer's place, as the VarEd codes of Synchronize hand them.
IUnknown *AsPointerValue(BOOL flag)
{
    return reinterpret_cast<IUnknown *>(static_cast<UINT_PTR>(flag ? 1 : 0));
}

} // namespace

CFvSymbSrv::CFvSymbSrv()
    : m_pStorage(nullptr),
      m_pOwner(nullptr),
      m_pGUIServer(nullptr),
      m_MenuItemList(&CLSID_QelSymbol),
      m_VarEdProfile(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_VARED),
      m_pForeignDebugServer(nullptr),
      m_pPcpStandaloneDebugServer(nullptr),
      m_nMasterSelector(1),
      m_bGlobalVarEd(TRUE),
      m_bLocalVarEd(TRUE)
{
}

CFvSymbSrv::~CFvSymbSrv()
{
    delete m_pStorage;
    if (m_pForeignDebugServer != nullptr)
        m_pForeignDebugServer->Release();
    if (m_pPcpStandaloneDebugServer != nullptr)
        m_pPcpStandaloneDebugServer->Release();
}

STDMETHODIMP CFvSymbSrv::QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_MenuItemList.QueryStatus(pguidCmdGroup, cCmds, prgCmds, pCmdText);
}

STDMETHODIMP CFvSymbSrv::Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn,
                              VARIANT *pvaOut)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_MenuItemList.Exec(pguidCmdGroup, nCmdID, nCmdexecopt, pvaIn, pvaOut);
}

HRESULT CFvSymbSrv::GetCommandText(DWORD, DWORD, BSTR *pbstrText)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbstrText == nullptr)
        return E_POINTER;
    *pbstrText = nullptr;
    return S_FALSE;
}

STDMETHODIMP CFvSymbSrv::GetVersion(BSTR *pbstrVersion)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbstrVersion == nullptr)
        return E_FAIL;
    CString version;
    version.LoadString(IDS_SYMSRV_VERSION);
    *pbstrVersion = version.AllocSysString();
    return *pbstrVersion != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CFvSymbSrv::GetErrorInfo(BSTR *pbstrErrorInfo)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbstrErrorInfo == nullptr)
        return E_FAIL;
    if (m_strLastError.IsEmpty())
        return S_FALSE;
    CString text;
    text.LoadString(IDS_SYMSRV_NAME);
    text += ":\n";
    text += m_strLastError;
    BSTR result = text.AllocSysString();
    if (result == nullptr)
        return E_OUTOFMEMORY; // the text stays for the next call
    *pbstrErrorInfo = result;
    m_strLastError.Empty();
    return S_OK;
}

STDMETHODIMP CFvSymbSrv::RestoreSettings()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_MenuItemList.Connect(m_pGUIServer, m_pStorage);
    m_bGlobalVarEd = m_VarEdProfile.GetBool();
    return S_OK;
}

STDMETHODIMP CFvSymbSrv::StoreSettings()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    // Every setting is written when it changes.
    return S_OK;
}

STDMETHODIMP CFvSymbSrv::Synchronize(tagSynchronizeFunction eFunction, IUnknown **ppUnknown)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (ppUnknown == nullptr)
        return E_POINTER;
    switch (eFunction) {
    case SYF_PUT_FOREIGN_DEBUG_SERVER:
        if (*ppUnknown != nullptr) {
            // Held before the partner is called, so that its call back finds this server
            // bound and goes no further.
            if (!HoldPartner(m_pForeignDebugServer, *ppUnknown))
                break;
            IQelSymbSrv *partner = nullptr;
            HRESULT hr = (*ppUnknown)->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&partner));
            if (hr == E_NOINTERFACE)
                break;
            if (FAILED(hr))
                return hr;
            partner->Synchronize(SYF_PUT_FOREIGN_DEBUG_SERVER, &m_pOwner);
            partner->Release();
        } else {
            DropPartner(m_pForeignDebugServer);
        }
        break;
    case SYF_GET_FOREIGN_DEBUG_SERVER:
        *ppUnknown = GetPartner(m_pForeignDebugServer);
        break;
    case SYF_GET_MASTER_DEBUGGER: {
        IUnknown *master = nullptr;
        if (m_nMasterSelector == 1) {
            master = m_pOwner;
            if (master != nullptr)
                master->AddRef();
        } else {
            master = GetPartner(m_pForeignDebugServer);
        }
        if (master != nullptr)
            *ppUnknown = master;
        break;
    }
    case SYF_GET_OWN_STORAGE:
        *ppUnknown = m_pStorage != nullptr ? m_pStorage->GetStorage() : nullptr;
        break;
    case SYF_PUT_PCP_STANDALONE_DEBUG_SERVER:
        if (*ppUnknown != nullptr)
            HoldPartner(m_pPcpStandaloneDebugServer, *ppUnknown);
        else
            DropPartner(m_pPcpStandaloneDebugServer);
        break;
    case SYF_GET_PCP_STANDALONE_DEBUG_SERVER:
        *ppUnknown = GetPartner(m_pPcpStandaloneDebugServer);
        break;
    case SYF_SET_GLOBAL_VARED:
        m_bGlobalVarEd = *ppUnknown != nullptr;
        SendVarEdNotice();
        break;
    case SYF_GET_GLOBAL_VARED:
        *ppUnknown = AsPointerValue(m_bGlobalVarEd);
        break;
    case SYF_TOGGLE_LOCAL_VARED:
        m_bLocalVarEd = !m_bLocalVarEd;
        SendVarEdNotice();
        break;
    case SYF_GET_VARED:
        *ppUnknown = AsPointerValue(m_bGlobalVarEd && m_bLocalVarEd);
        break;
    default:
        break;
    }
    return S_OK;
}

HRESULT CFvSymbSrv::InitSettings(IUnknown *pIStorage, IUnknown *pIGUIServer)
{
    m_pGUIServer = pIGUIServer;
    delete m_pStorage;
    m_pStorage = nullptr;
    IStorage *storage = nullptr;
    if (FAILED(pIStorage->QueryInterface(IID_IStorage, reinterpret_cast<void **>(&storage))))
        return E_FAIL;
    m_pStorage = new (std::nothrow) CStorage(storage);
    storage->Release();
    if (m_pStorage == nullptr)
        return E_FAIL;
    HRESULT hr = m_VarEdProfile.Attach(m_pOwner);
    m_bGlobalVarEd = TRUE;
    m_bLocalVarEd = TRUE;
    return hr;
}

void CFvSymbSrv::CleanupSettings()
{
    m_VarEdProfile.Detach();
    m_MenuItemList.Disconnect();
    delete m_pStorage;
    m_pStorage = nullptr;
    DropPartner(m_pForeignDebugServer);
}

bool CFvSymbSrv::HoldPartner(IUnknown *&slot, IUnknown *partner)
{
    std::lock_guard<std::mutex> hold(m_PartnerLock);
    if (slot != nullptr)
        return false;
    slot = partner;
    slot->AddRef();
    return true;
}

void CFvSymbSrv::DropPartner(IUnknown *&slot)
{
    IUnknown *old = nullptr;
    {
        std::lock_guard<std::mutex> hold(m_PartnerLock);
        old = slot;
        slot = nullptr;
    }
    // Released with no lock held: the partner may call back as it goes.
    if (old != nullptr)
        old->Release();
}

IUnknown *CFvSymbSrv::GetPartner(IUnknown *const &slot)
{
    std::lock_guard<std::mutex> hold(m_PartnerLock);
    if (slot != nullptr)
        slot->AddRef();
    return slot;
}

void CFvSymbSrv::SetOwner(IUnknown *owner)
{
    m_pOwner = owner;
    m_MenuItemList.SetServerInterface(owner);
}

void CFvSymbSrv::SendVarEdNotice()
{
    if (m_pOwner == nullptr)
        return;
    // The windows' answers are not looked at, nor is an owner without commands.
    try {
        COleTarCmdCaller caller(m_pOwner, &CLSID_QelSymbol);
        caller.Exec(kCmdVarEdWatch, nullptr, nullptr, 0);
        caller.Exec(kCmdVarEdProgram, nullptr, nullptr, 0);
    } catch (const _com_error &) {
    }
}
