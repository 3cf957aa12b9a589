#include "symbolexplorer.h"

#include "talvixscripts.h"
#include "talvixstrings.h"
#include "viewserverregistration.h"

namespace {

enum : int { kTextTitle = 0, kTextName = 1 };
constexpr UINT kHelpTopic = 4;


} // namespace

CQelSymbolExplorer::CQelSymbolExplorer() : m_wndTree(WC_TREEVIEWA, this, 1)
{
    m_sourceFiles.InitHashTable(13);
}

CQelSymbolExplorer::~CQelSymbolExplorer() = default;

HRESULT CQelSymbolExplorer::UpdateRegistry(BOOL bRegister)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RegisterViewServer(&g_SymbolExplorerDescriptor, bRegister);
}

BOOL CQelSymbolExplorer::PreTranslateAccelerator(LPMSG pMsg, HRESULT &hRet)
{
    if (IsViewArrowKey(pMsg)) {
        hRet = S_FALSE;
        return TRUE;
    }
    return FALSE;
}

BOOL CQelSymbolExplorer::RunsNow() const
{
    return m_hWnd == nullptr ||
           (GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId() && m_nPostedCalls.load() == 0);
}

BOOL CQelSymbolExplorer::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    ++m_nPostedCalls;
    if (PostMessage(message, wParam, lParam))
        return TRUE;
    --m_nPostedCalls;
    return FALSE;
}

STDMETHODIMP CQelSymbolExplorer::SignalLoadingPrgFile(LONG bLoaded, LONG lProgId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (RunsNow())
        return LoadingPrgFile(bLoaded, lProgId);
    if (bLoaded == 1 && m_pSymProc == nullptr)
        return E_INVALIDARG;
    Post(kPostedLoading, static_cast<WPARAM>(bLoaded), static_cast<LPARAM>(lProgId));
    return S_OK;
}

LRESULT CQelSymbolExplorer::OnPostedLoading(UINT, WPARAM wParam, LPARAM lParam, BOOL &)
{
    --m_nPostedCalls;
    LoadingPrgFile(static_cast<LONG>(wParam), static_cast<LONG>(lParam));
    return 0;
}

HRESULT CQelSymbolExplorer::LoadingPrgFile(LONG bLoaded, LONG lProgId)
{
    if (bLoaded != 1) {
        // The records go with their items; what no item holds any more goes too.
        if (m_tree.GetSafeHwnd() != nullptr)
            m_tree.DeleteAllItems();
        ForgetAll();
        return S_OK;
    }
    if (m_pSymProc == nullptr)
        return E_INVALIDARG;
    if (lProgId >= 1)
        RequestSourceFiles();
    else
        RequestSections();
    return S_OK;
}

STDMETHODIMP CQelSymbolExplorer::GetVersion(BSTR *pbstrVersion)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return ViewServerTextSetPart(IDS_SYMBOLEXPLORER_TEXTS, kTextName, pbstrVersion);
}

STDMETHODIMP CQelSymbolExplorer::GetErrorInfo(BSTR *pbstrError)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbstrError == nullptr)
        return E_INVALIDARG;
    if (m_strError.IsEmpty())
        return S_FALSE;
    CString texts;
    texts.LoadString(IDS_SYMBOLEXPLORER_TEXTS);
    CString text = ViewServerTextPart(texts, kTextTitle) + ":\n" + m_strError;
    *pbstrError = text.AllocSysString();
    if (*pbstrError == nullptr)
        return E_OUTOFMEMORY;
    m_strError.Empty();
    return S_OK;
}

STDMETHODIMP CQelSymbolExplorer::Init(IUnknown *pIUnkDbgSrv, IUnknown *pIUnkStg)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_pStorage.reset();
    m_pSymProc.reset();
    m_nRequestMessage = 0;
    CComQIPtr<IStorage> storage(pIUnkStg);
    m_pStorage.reset(new (std::nothrow) CStorage(storage));
    if (m_pStorage == nullptr)
        return E_FAIL;
    m_pDbgSrv = pIUnkDbgSrv;
    if (pIUnkDbgSrv != nullptr) {
        m_pSymProc.reset(new (std::nothrow) CSymbolProcessing(pIUnkDbgSrv, FALSE, FALSE));
        if (m_pSymProc != nullptr) {
            m_nRequestMessage = m_pSymProc->GetRequestMessage();
        }
    }
    return m_pSymProc != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CQelSymbolExplorer::Cleanup()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_pStorage.reset();
    m_pSymProc.reset();
    m_breakpointChanges.RemoveAll();
    return S_OK;
}

STDMETHODIMP CQelSymbolExplorer::GetTitle(BSTR *pbstrTitle)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return ViewServerTextSetPart(IDS_SYMBOLEXPLORER_TEXTS, kTextTitle, pbstrTitle);
}

STDMETHODIMP CQelSymbolExplorer::StoreSettings()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return S_OK;
}

STDMETHODIMP CQelSymbolExplorer::GetDbgServer(IUnknown **ppIUnkDbgSrv)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (ppIUnkDbgSrv == nullptr)
        return E_INVALIDARG;
    // The caller gets a reference of its own, as every COM out-value carries.
    *ppIUnkDbgSrv = m_pDbgSrv;
    if (m_pDbgSrv != nullptr)
        m_pDbgSrv->AddRef();
    return S_OK;
}

STDMETHODIMP CQelSymbolExplorer::HelpFunc(UINT uiHelpContext)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    int topic = uiHelpContext == 0xFFFFFFFFu ? static_cast<int>(kHelpTopic) : static_cast<int>(uiHelpContext);
    return CSymbolProcessing::ShowHelp(topic) ? S_OK : E_FAIL;
}

STDMETHODIMP CQelSymbolExplorer::QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                             OLECMDTEXT *pCmdText)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CQelViewSrvStatusBar::QueryStatus(pguidCmdGroup, cCmds, prgCmds, pCmdText);
}

STDMETHODIMP CQelSymbolExplorer::Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn,
                                      VARIANT *pvaOut)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CQelViewSrvStatusBar::Exec(pguidCmdGroup, nCmdID, nCmdexecopt, pvaIn, pvaOut);
}

HRESULT CQelSymbolExplorer::RequestStatusBarRefresh()
{
    return RequestFrameStatusRefresh(m_spClientSite);
}

HRESULT CQelSymbolExplorer::IOleInPlaceObject_SetObjectRects(LPCRECT prcPos, LPCRECT prcClip)
{
    HRESULT hr = CComControlBase::IOleInPlaceObject_SetObjectRects(prcPos, prcClip);
    if (SUCCEEDED(hr) && prcPos != nullptr && m_wndTree.m_hWnd != nullptr)
        m_wndTree.SetWindowPos(nullptr, 0, 0, prcPos->right - prcPos->left, prcPos->bottom - prcPos->top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    return hr;
}

LRESULT CQelSymbolExplorer::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&init);
    RECT client{};
    GetClientRect(&client);
    HWND tree = ::CreateWindowExA(0, WC_TREEVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                      TVS_DISABLEDRAGDROP | TVS_INFOTIP,
                                  0, 0, client.right, client.bottom, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kTreeId)), nullptr, nullptr);
    if (tree == nullptr || !m_wndTree.SubclassWindow(tree) || !m_tree.Attach(tree))
        return -1;
    if (m_images.Create(IDB_EXPLORER_IMAGES, 16, 0, CLR_DEFAULT))
        m_tree.SetImageList(&m_images, TVSIL_NORMAL);
    return 0;
}

LRESULT CQelSymbolExplorer::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    if (m_tree.GetSafeHwnd() != nullptr) {
        m_tree.SetImageList(nullptr, TVSIL_NORMAL);
        m_tree.Detach();
    }
    m_images.DeleteImageList();
    bHandled = FALSE;
    return 0;
}

LRESULT CQelSymbolExplorer::OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    LRESULT result = CComControlBase::OnSetFocus(uMsg, wParam, lParam, bHandled);
    if (m_bInPlaceActive && m_wndTree.m_hWnd != nullptr) {
        HWND focus = ::GetFocus();
        if (focus != m_hWnd && !IsChild(focus))
            ::SetFocus(m_wndTree.m_hWnd);
    }
    return result;
}

LRESULT CQelSymbolExplorer::OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    if (m_wndTree.m_hWnd != nullptr)
        m_wndTree.Invalidate();
    return CComControlBase::OnPaint(uMsg, wParam, lParam, bHandled);
}

LRESULT CQelSymbolExplorer::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
    if (wParam != kCmdOpenSelected) {
        bHandled = FALSE;
        return 0;
    }
    HTREEITEM selected = m_tree.GetSafeHwnd() != nullptr ? m_tree.GetSelectedItem() : nullptr;
    if (selected == nullptr)
        return 0;
    try {
        OpenItem(selected);
    } catch (_com_error &) {
    } catch (CException *exception) {
        exception->Delete();
    }
    return 0;
}

LRESULT CQelSymbolExplorer::OnSymbolRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL &)
{
    // The replies fill the tree: a failure ends that filling, and goes no further.
    if (m_pSymProc == nullptr)
        return 0;
    try {
        return m_pSymProc->OnRequestMessage(wParam, lParam);
    } catch (_com_error &) {
    } catch (CException *exception) {
        exception->Delete();
    }
    return 0;
}

void CQelSymbolExplorer::NoteRefusedRequest(LPCSTR what)
{
    int lastError = m_pSymProc != nullptr ? m_pSymProc->GetLastError() : -1;
    m_strError.Format("The symbol server did not take %s (error %d).", what, lastError);
}
