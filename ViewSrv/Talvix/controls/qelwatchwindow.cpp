#include "qelwatchwindow.h"

#include "talvixscripts.h"
#include "talvixstrings.h"
#include "viewserverregistration.h"

#include <qelsymbol.h>

namespace {

enum : int { kTextTitle = 0, kTextName = 1 };
constexpr int kHelpTopic = 5;
// The tree as the control makes it: buttons and lines at the root, names edited in place.
const DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS;
const DWORD kTreeListStyle = 0x00E00000;

const ViewServerDescriptor kWatchDescriptor = {
    IDR_VIEWSERVER, &CLSID_QelWatch, &CLSID_QelSymbol, &LIBID_TALVIXLib, 1, IDS_WATCH_TEXTS,
    206, 252, -1, 5, 7, 5, 0, 0, 0, 200, 200, 0};


// Every failure inside a call is absorbed: the tree shows its effect, or nothing.
template <class Work>
HRESULT Guarded(Work work)
{
    try {
        work();
    } catch (_com_error &) {
    } catch (CException *exception) {
        exception->Delete();
    }
    return S_OK;
}

} // namespace

CQelWatch::CQelWatch() : m_wndTree(nullptr, this, 1)
{
}

CQelWatch::~CQelWatch()
{
    m_tree.ReleaseServer();
}

HRESULT CQelWatch::UpdateRegistry(BOOL bRegister)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RegisterViewServer(&kWatchDescriptor, bRegister);
}

BOOL CQelWatch::PreTranslateAccelerator(LPMSG pMsg, HRESULT &hRet)
{
    if (IsViewArrowKey(pMsg)) {
        hRet = S_FALSE;
        return TRUE;
    }
    return FALSE;
}

STDMETHODIMP CQelWatch::GetVersion(BSTR *pbstrVersion)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return ViewServerTextSetPart(IDS_WATCH_TEXTS, kTextName, pbstrVersion);
}

STDMETHODIMP CQelWatch::GetErrorInfo(BSTR *pbstrError)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbstrError == nullptr)
        return E_INVALIDARG;
    CString error = m_tree.TakeErrorText();
    if (error.IsEmpty())
        return S_FALSE;
    CString texts;
    texts.LoadString(IDS_WATCH_TEXTS);
    CString text = ViewServerTextPart(texts, kTextTitle) + ":\n" + error;
    *pbstrError = text.AllocSysString();
    return *pbstrError != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CQelWatch::Init(IUnknown *pIUnkDbgSrv, IUnknown *pIUnkStg)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_pDbgSrv = pIUnkDbgSrv;
    m_pStorage = pIUnkStg;
    if (m_tree.m_hWnd == nullptr) {
        m_bInitPending = TRUE;
        return S_OK;
    }
    return InitTree();
}

HRESULT CQelWatch::InitTree()
{
    m_bInitPending = FALSE;
    try {
        return m_tree.InitServer(m_pDbgSrv, m_pStorage, static_cast<IQelCommonWatch *>(this)) ? S_OK : S_FALSE;
    } catch (_com_error &) {
    } catch (CException *exception) {
        exception->Delete();
    }
    return S_FALSE;
}

STDMETHODIMP CQelWatch::Cleanup()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_tree.ReleaseServer();
    m_pDbgSrv.Release();
    m_pStorage.Release();
    m_bInitPending = FALSE;
    return S_OK;
}

STDMETHODIMP CQelWatch::GetTitle(BSTR *pbstrTitle)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return ViewServerTextSetPart(IDS_WATCH_TEXTS, kTextTitle, pbstrTitle);
}

STDMETHODIMP CQelWatch::StoreSettings()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_tree.SaveSettings(m_tree.GetViewStorage(), nullptr);
    return S_OK;
}

STDMETHODIMP CQelWatch::GetDbgServer(IUnknown **ppIUnkDbgSrv)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (ppIUnkDbgSrv == nullptr)
        return E_INVALIDARG;
    // The caller gets a reference of its own, as every COM out-value carries.
    *ppIUnkDbgSrv = m_pDbgSrv;
    if (m_pDbgSrv != nullptr)
        m_pDbgSrv.p->AddRef();
    return S_OK;
}

STDMETHODIMP CQelWatch::HelpFunc(UINT uiHelpContext)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    int topic = uiHelpContext == 0xFFFFFFFFu ? kHelpTopic : static_cast<int>(uiHelpContext);
    return CSymbolProcessing::ShowHelp(topic) ? S_OK : E_FAIL;
}

STDMETHODIMP CQelWatch::InsertItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG *pItem)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_tree.InsertItem(name, type, children, param, pItem);
}

STDMETHODIMP CQelWatch::ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *pNewItem)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_tree.ChangeItem(name, type, children, param, item, pNewItem);
}

STDMETHODIMP CQelWatch::CalculateItem(LONG item, LONG function, LONG mode, LONG value)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_tree.CalculateItem(item, function, mode, value);
}

STDMETHODIMP CQelWatch::SetItemText(LONG item)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_tree.SetItemText(item);
}

STDMETHODIMP CQelWatch::GetItemText(LONG item, BSTR *pText)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_tree.GetItemText(item, pText);
}

STDMETHODIMP CQelWatch::DeleteItem(LONG item)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_tree.DeleteItem(item);
}

STDMETHODIMP CQelWatch::InsertItemBatch(LONG function, BSTR name, LONG type, LONG childrenOrParent, IUnknown *param,
                                         VARIANT *pOut)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_tree.InsertItemBatch(function, name, type, childrenOrParent, param, pOut);
}

STDMETHODIMP CQelWatch::Watches(VARIANT *, VARIANT *)
{
    // The window lists nothing: both outputs stay as the caller gave them.
    return S_FALSE;
}

STDMETHODIMP CQelWatch::AddWatch(BSTR bstrText, LONG *pId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pId == nullptr)
        return E_INVALIDARG;
    *pId = 0;
    return Guarded([&] { *pId = m_tree.AddWatch(CString(bstrText)); });
}

STDMETHODIMP CQelWatch::NewOrder(VARIANT ids)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    BOOL sorted = FALSE;
    Guarded([&] { sorted = m_tree.NewOrder(ids); });
    return sorted ? S_OK : S_FALSE;
}

STDMETHODIMP CQelWatch::DeleteWatch(LONG nId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Guarded([&] { m_tree.DeleteWatch(nId); });
}

STDMETHODIMP CQelWatch::ChangeWatch(BSTR bstrText, LONG nId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Guarded([&] { m_tree.ChangeWatch(CString(bstrText), nId); });
}

STDMETHODIMP CQelWatch::AddWatchSymbol(LONG nId, LONG *pId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pId == nullptr)
        return E_INVALIDARG;
    *pId = 0;
    return Guarded([&] { m_tree.AddWatchSymbol(nId); });
}

STDMETHODIMP CQelWatch::VarEdChanged()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Guarded([&] { m_tree.VarEdChanged(); });
}

STDMETHODIMP CQelWatch::QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CQelViewSrvStatusBar::QueryStatus(pguidCmdGroup, cCmds, prgCmds, pCmdText);
}

STDMETHODIMP CQelWatch::Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn,
                              VARIANT *pvaOut)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CQelViewSrvStatusBar::Exec(pguidCmdGroup, nCmdID, nCmdexecopt, pvaIn, pvaOut);
}

HRESULT CQelWatch::RequestStatusBarRefresh()
{
    return RequestFrameStatusRefresh(m_spClientSite);
}

LRESULT CQelWatch::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
    CRect client;
    GetClientRect(&client);
    if (!m_tree.Create(kTreeStyle, kTreeListStyle, client, CWnd::FromHandle(m_hWnd), kTreeId, nullptr))
        return -1;
    m_tree.SetRedraw(TRUE);
    m_wndTree.SubclassWindow(m_tree.m_hWnd);
    m_tree.InitControl();
    if (m_bInitPending)
        InitTree();
    return 0;
}

LRESULT CQelWatch::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    m_tree.ReleaseServer();
    m_wndTree.UnsubclassWindow();
    if (m_tree.m_hWnd != nullptr)
        m_tree.DestroyWindow();
    m_tree.ExitControl();
    bHandled = FALSE;
    return 0;
}

LRESULT CQelWatch::OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    LRESULT result = CComControlBase::OnSetFocus(uMsg, wParam, lParam, bHandled);
    if (m_tree.m_hWnd != nullptr)
        ::SetFocus(m_tree.m_hWnd);
    return result;
}

LRESULT CQelWatch::OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    return CComControlBase::OnKillFocus(uMsg, wParam, lParam, bHandled);
}

LRESULT CQelWatch::OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    return CComControlBase::OnPaint(uMsg, wParam, lParam, bHandled);
}

LRESULT CQelWatch::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
    if (m_tree.m_hWnd != nullptr) {
        m_tree.SetWindowPos(nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
        m_tree.Invalidate();
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CQelWatch::OnTreeFocus(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    // The tree keeps its own focus handling; the control only hears of it.
    bHandled = FALSE;
    return 0;
}
