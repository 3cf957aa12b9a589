// The file-load handler's table, its life and its smaller commands; the load itself is in
// fileloadprogram.cpp, the notices in fileloadnotices.cpp.
#include "fileloadmenuitem.h"

#include "windowsresources.h"
#include "windowsstrings.h"
#include "workspacesettings.h"

#include <hostmainwnd.h>
#include <oletarcmdcaller.h>
#include <qelcfgprofile.h>
#include <qelsymbol.h>
#include <qelsymbolexplorer.h>
#include <qelsymbsrv.h>
#include <viewsrvitemobj.h>

IMPLEMENT_DYNCREATE(CFileLoadMenuItem, CBasicOleTarCmdHndl)

namespace {

enum : DWORD {
    kCmdLoadProgram = 1,
    kCmdProgramNotice = 2,
    kCmdStoreBreakpoints = 3,
    kCmdShowDownload = 4,
    kCmdCloseDownload = 5,
    kCmdLoadInServiceMode = 7,
    kCmdSignalBreakpoints = 8,
    kCmdOpenExplorer = 30,
};

// The index of command 30's record, whose item object is the symbol explorer's.
const int kExplorerEntry = 7;

const OLECMDTARHNDLENTRY g_fileLoadCommands[] = {
    {kCmdLoadProgram, OLECMDTARHNDL_FNC(&CFileLoadMenuItem::LoadProgram), nullptr, IDS_LOAD_PROGRAM_MENU, 1, 9,
     nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {kCmdProgramNotice, OLECMDTARHNDL_FNC(&CFileLoadMenuItem::ProgramNotice), nullptr, -1, -1, -1, nullptr, nullptr, 0,
     nullptr, nullptr, 0, 0, 0},
    {kCmdStoreBreakpoints, OLECMDTARHNDL_FNC(&CFileLoadMenuItem::StoreBreakpointsCommand), nullptr, -1, -1, -1,
     nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {kCmdShowDownload, OLECMDTARHNDL_FNC(&CFileLoadMenuItem::ShowDownloadDialog), nullptr, -1, -1, -1, nullptr,
     nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {kCmdCloseDownload, OLECMDTARHNDL_FNC(&CFileLoadMenuItem::CloseDownloadDialog), nullptr, -1, -1, -1, nullptr,
     nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {kCmdLoadInServiceMode, OLECMDTARHNDL_FNC(&CFileLoadMenuItem::LoadInServiceMode), nullptr, -1, -1, -1, nullptr,
     nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {kCmdSignalBreakpoints, OLECMDTARHNDL_FNC(&CFileLoadMenuItem::SignalBreakpoints), nullptr, -1, -1, -1, nullptr,
     nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {kCmdOpenExplorer, OLECMDTARHNDL_FNC(&CBasicOleTarCmdHndl::OpenViewCommand), nullptr, -1, -1, -1,
     "StdQelSymbolExplWin", RUNTIME_CLASS(CViewSrvItemObj), 0, nullptr, nullptr, 0, 0, 0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

} // namespace

CFileLoadMenuItem::CFileLoadMenuItem()
    : m_nPendingRequest(0),
      m_bLoadFailed(FALSE),
      m_requests(FALSE),
      m_bPathFromCaller(FALSE),
      m_mainFunction(IDS_PROFILE_SECTION_COMPILER, IDS_PROFILE_MAIN_FUNC),
      m_startProcedure(IDS_PROFILE_SECTION_COMPILER, IDS_PROFILE_START_PROC),
      m_service(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_SERVICE),
      m_autoReload(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_AUTORELOAD),
      m_multiProgram(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_MULTIPROGRAM),
      m_ignoreProgramFromWsp(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_IGNORE_PROGRAM_FROM_WSP),
      m_pDownloadDialog(nullptr),
      m_pLoadDialog(nullptr),
      m_bServiceSwitched(FALSE),
      m_bSavedService(FALSE)
{
    InitCommandArrays(FALSE);
}

CFileLoadMenuItem::~CFileLoadMenuItem()
{
    // A handler let go without Disconnect still takes its window with it.
    Close(0, TRUE);
}

const OLECMDTARHNDLENTRY *CFileLoadMenuItem::GetCommandTable()
{
    return g_fileLoadCommands;
}

const GUID *CFileLoadMenuItem::GetClassGuid()
{
    return &CLSID_QelSymbol;
}

BOOL CFileLoadMenuItem::Connect(IUnknown *frame, CStorage *settings)
{
    for (CQelCfgProfileClientImpl *item : {&m_mainFunction, &m_startProcedure, &m_service, &m_autoReload,
                                           &m_multiProgram, &m_ignoreProgramFromWsp})
        item->Attach(m_pOwner);
    return CBasicOleTarCmdHndl::Connect(frame, settings);
}

BOOL CFileLoadMenuItem::Disconnect()
{
    if (m_bServiceSwitched) {
        m_service.PutBool(m_bSavedService);
        StoreProfile();
        m_bServiceSwitched = FALSE;
    }
    Close(0, TRUE);
    for (CQelCfgProfileClientImpl *item : {&m_mainFunction, &m_startProcedure, &m_service, &m_autoReload,
                                           &m_multiProgram, &m_ignoreProgramFromWsp})
        item->Detach();
    return CBasicOleTarCmdHndl::Disconnect();
}

void CFileLoadMenuItem::StoreProfile()
{
    if (IQelCfgProfile2 *profile = m_service.GetProfile())
        profile->Store();
}

HRESULT CFileLoadMenuItem::SendCommand(DWORD id, CVariantArray *in, CVariantArray *out, IUnknown *target)
{
    IUnknown *to = target ? target : m_pOwner;
    if (!to)
        return E_POINTER;
    return COleTarCmdCaller(to, &CLSID_QelSymbol).Exec(id, in, out, 0);
}

LONG CFileLoadMenuItem::HostStateFlag()
{
    CComPtr<IQelHostHolder> holder;
    LONG flag = 0;
    if (!m_pOwner || FAILED(m_pOwner->QueryInterface(qel_uuidof<IQelHostHolder>(), reinterpret_cast<void **>(&holder))) ||
        !holder || FAILED(holder->GetNoMessageBoxes(&flag)))
        return 0;
    return flag;
}

CComPtr<IUnknown> CFileLoadMenuItem::ForeignDebugServer()
{
    CComPtr<IUnknown> foreign;
    CComPtr<IQelSymbSrv> server;
    if (m_pOwner && SUCCEEDED(m_pOwner->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server))) && server &&
        FAILED(server->Synchronize(SYF_GET_FOREIGN_DEBUG_SERVER, &foreign)))
        foreign.Release();
    return foreign;
}

CComPtr<IQelSymbolExplorer> CFileLoadMenuItem::Explorer()
{
    CComPtr<IQelSymbolExplorer> explorer;
    CViewSrvItemObj *item = GetItemObj(kExplorerEntry);
    IUnknown *view = item ? item->GetFirstView() : nullptr;
    if (!view)
        return explorer;
    HRESULT hr = view->QueryInterface(qel_uuidof<IQelSymbolExplorer>(), reinterpret_cast<void **>(&explorer));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        _com_issue_error(hr);
    return explorer;
}

void CFileLoadMenuItem::UnloadProgramId(LONG id)
{
    for (CComPtr<IUnknown> host : {CComPtr<IUnknown>(m_pOwner), ForeignDebugServer()}) {
        CComPtr<IQelTargetPattern> pattern;
        if (host && SUCCEEDED(host->QueryInterface(qel_uuidof<IQelTargetPattern>(), reinterpret_cast<void **>(&pattern))) &&
            pattern)
            pattern->ForgetCodeSection(id);
    }
}

HWND CFileLoadMenuItem::OpenDownloadDialog(BOOL reload)
{
    if (!m_pDownloadDialog)
        m_pDownloadDialog = new CDownloadDialog;
    else if (m_pDownloadDialog->GetSafeHwnd())
        m_pDownloadDialog->DestroyWindow();
    m_pDownloadDialog->SetOwner(m_pOwner);
    m_pDownloadDialog->m_bReload = reload;
    if (!m_pDownloadDialog->Create(GetHostMainWnd(0, nullptr)))
        return nullptr;
    m_pDownloadDialog->CenterWindow();
    m_pDownloadDialog->ShowWindow(SW_SHOW);
    return m_pDownloadDialog->GetSafeHwnd();
}

void CFileLoadMenuItem::Close(int mode, BOOL cancelQuestion)
{
    if (mode == 0) {
        m_nPendingRequest = 0;
        m_requests.Detach();
        GetHostMainWnd(1, nullptr);
    }
    if (m_pLoadDialog && (mode == 0 || cancelQuestion)) {
        if (m_pLoadDialog->GetSafeHwnd())
            m_pLoadDialog->PostMessage(WM_COMMAND, IDCANCEL, 0);
        m_pLoadDialog = nullptr;
    }
    if (m_pDownloadDialog && m_pDownloadDialog->GetSafeHwnd()) {
        if (mode == 1 && ::GetActiveWindow() != m_pDownloadDialog->GetSafeHwnd())
            m_pDownloadDialog->ShowWindow(SW_HIDE);
        else
            m_pDownloadDialog->DestroyWindow();
    }
    if (mode == 0) {
        delete m_pDownloadDialog;
        m_pDownloadDialog = nullptr;
    }
}

HRESULT CFileLoadMenuItem::StoreBreakpointsCommand(CVariantArray *in, CVariantArray *)
{
    return StoreBreakpoints(m_pOwner, in);
}

HRESULT CFileLoadMenuItem::ShowDownloadDialog(CVariantArray *, CVariantArray *)
{
    if (!m_pDownloadDialog)
        m_pDownloadDialog = new CDownloadDialog;
    if (!m_pDownloadDialog->GetSafeHwnd()) {
        m_pDownloadDialog->SetOwner(m_pOwner);
        if (!m_pDownloadDialog->Create(GetHostMainWnd(0, nullptr)))
            return E_FAIL;
    }
    m_pDownloadDialog->CenterWindow();
    m_pDownloadDialog->ShowWindow(SW_SHOW);
    return S_OK;
}

HRESULT CFileLoadMenuItem::CloseDownloadDialog(CVariantArray *in, CVariantArray *)
{
    Close(1, !in || in->GetSize() == 0);
    return S_OK;
}

// The explorer reads the numbers in storage order, two per breakpoint; the names stay
// this command's and are freed with the arrays when the call is over.
HRESULT CFileLoadMenuItem::SignalBreakpoints(CVariantArray *in, CVariantArray *)
{
    if (!in || in->GetSize() < 1)
        return E_INVALIDARG;
    DWORD count = in->GetUI4(0);
    if (count > static_cast<DWORD>((in->GetSize() - 1) / 3))
        return E_INVALIDARG;
    for (DWORD k = 0; k < count; ++k) {
        in->GetUI4(static_cast<int>(1 + 3 * k));
        in->GetUI4(static_cast<int>(2 + 3 * k));
        in->GetBSTR(static_cast<int>(3 + 3 * k));
    }
    // Held by VARIANTs from the start, so that every way out frees them.
    SAFEARRAYBOUND nameBounds[1] = {{count, 0}};
    SAFEARRAYBOUND numberBounds[2] = {{2, 0}, {count, 0}};
    CComVariant names, values;
    names.parray = SafeArrayCreate(VT_BSTR, 1, nameBounds);
    if (names.parray)
        names.vt = VT_ARRAY | VT_BSTR;
    values.parray = SafeArrayCreate(VT_I4, 2, numberBounds);
    if (values.parray)
        values.vt = VT_ARRAY | VT_I4;
    BSTR *nameData = nullptr;
    LONG *numberData = nullptr;
    if (names.vt == VT_EMPTY || values.vt == VT_EMPTY ||
        FAILED(SafeArrayAccessData(names.parray, reinterpret_cast<void **>(&nameData))))
        return S_OK;
    if (FAILED(SafeArrayAccessData(values.parray, reinterpret_cast<void **>(&numberData)))) {
        SafeArrayUnaccessData(names.parray);
        return S_OK;
    }
    BOOL complete = TRUE;
    for (DWORD k = 0; k < count; ++k) {
        numberData[2 * k] = static_cast<LONG>(in->GetUI4(static_cast<int>(1 + 3 * k)));
        numberData[2 * k + 1] = static_cast<LONG>(in->GetUI4(static_cast<int>(2 + 3 * k)));
        BSTR name = in->GetBSTR(static_cast<int>(3 + 3 * k));
        nameData[k] = SysAllocStringLen(name, SysStringLen(name));
        complete = complete && (nameData[k] || !name);
    }
    SafeArrayUnaccessData(values.parray);
    SafeArrayUnaccessData(names.parray);
    if (!complete)
        return S_OK;
    if (CComPtr<IQelSymbolExplorer> explorer = Explorer())
        explorer->SignalBreakpoints(names, values);
    return S_OK;
}
