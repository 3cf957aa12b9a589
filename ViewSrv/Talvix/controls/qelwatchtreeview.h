// CQelWatchTreeView<T, TreeControl>: what the watch and the locals windows' ActiveX controls share.
// Each owns a tree of the common watch base, through which the host initialises it
// (IQelViewSrv) and the symbol server's variable code fills it (IQelCommonWatch, handed to
// the tree as it comes, under the module's state). T, the control, gives its text set
// (kTextSet), its help topic for -1 (kHelpTopic) and its tree's window style (kTreeStyle),
// and its COM and message maps, which name the handlers below.
//
// The host may call Init before the control has its window; the tree then meets its
// debug server when the window is made.
#pragma once

#include "qelipfcontrol.h"
#include <symbolprocessing.h>
#include "talvixdispatch.h"
#include "viewserverregistration.h"
#include "viewsrvstatusbar.h"

#include <qelcommonwatch.h>

#include <atlbase.h>
#include <atlctl.h>

template <class T, class TreeControl>
class CQelWatchTreeView : public CComControl<T>,
                          public IOleObjectImpl<T>,
                          public IOleInPlaceObjectWindowlessImpl<T>,
                          public IOleInPlaceActiveObjectImpl<T>,
                          public IDispatchImpl<IQelViewSrv, &IID_IQelViewSrv, &LIBID_TALVIXLib>,
                          public IQelCommonWatch,
                          public IOleCommandTarget,
                          public CQelIPFControlImpl<T>,
                          public CQelViewSrvStatusBar {
public:
    enum : UINT { kTreeId = 4711 };

    // The tree's messages go to the control's map; no cast to T, which is not made yet.
    CQelWatchTreeView() : m_wndTree(nullptr, static_cast<CMessageMap *>(this), 1) {}
    ~CQelWatchTreeView() override { m_tree.ReleaseServer(); }

    // The arrow keys move in the tree, not to the host as accelerators.
    BOOL PreTranslateAccelerator(LPMSG pMsg, HRESULT &hRet)
    {
        if (IsViewArrowKey(pMsg)) {
            hRet = S_FALSE;
            return TRUE;
        }
        return FALSE;
    }

    // IQelViewSrv
    STDMETHODIMP GetVersion(BSTR *pbstrVersion) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return ViewServerTextSetPart(T::kTextSet, kTextName, pbstrVersion);
    }
    STDMETHODIMP GetErrorInfo(BSTR *pbstrError) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        if (pbstrError == nullptr)
            return E_INVALIDARG;
        CString error = m_tree.TakeErrorText();
        if (error.IsEmpty())
            return S_FALSE;
        CString texts;
        texts.LoadString(T::kTextSet);
        CString text = ViewServerTextPart(texts, kTextTitle) + ":\n" + error;
        *pbstrError = text.AllocSysString();
        return *pbstrError != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP Init(IUnknown *pIUnkDbgSrv, IUnknown *pIUnkStg) override
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
    STDMETHODIMP Cleanup() override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        m_tree.ReleaseServer();
        m_pDbgSrv.Release();
        m_pStorage.Release();
        m_bInitPending = FALSE;
        return S_OK;
    }
    STDMETHODIMP GetTitle(BSTR *pbstrTitle) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return ViewServerTextSetPart(T::kTextSet, kTextTitle, pbstrTitle);
    }
    STDMETHODIMP StoreSettings() override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        m_tree.SaveSettings(m_tree.GetViewStorage(), nullptr);
        return S_OK;
    }
    STDMETHODIMP GetDbgServer(IUnknown **ppIUnkDbgSrv) override
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
    STDMETHODIMP HelpFunc(UINT uiHelpContext) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        int topic = uiHelpContext == 0xFFFFFFFFu ? T::kHelpTopic : static_cast<int>(uiHelpContext);
        return CSymbolProcessing::ShowHelp(topic) ? S_OK : E_FAIL;
    }

    // IQelCommonWatch, handed to the tree.
    STDMETHODIMP InsertItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG *pItem) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_tree.InsertItem(name, type, children, param, pItem);
    }
    STDMETHODIMP ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *pNewItem) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_tree.ChangeItem(name, type, children, param, item, pNewItem);
    }
    STDMETHODIMP CalculateItem(LONG item, LONG function, LONG mode, LONG value) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_tree.CalculateItem(item, function, mode, value);
    }
    STDMETHODIMP SetItemText(LONG item) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_tree.SetItemText(item);
    }
    STDMETHODIMP GetItemText(LONG item, BSTR *pText) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_tree.GetItemText(item, pText);
    }
    STDMETHODIMP DeleteItem(LONG item) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_tree.DeleteItem(item);
    }
    STDMETHODIMP InsertItemBatch(LONG function, BSTR name, LONG type, LONG childrenOrParent, IUnknown *param,
                                 VARIANT *pOut) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_tree.InsertItemBatch(function, name, type, childrenOrParent, param, pOut);
    }

    // IOleCommandTarget, handed to the status-bar part.
    STDMETHODIMP QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return CQelViewSrvStatusBar::QueryStatus(pguidCmdGroup, cCmds, prgCmds, pCmdText);
    }
    STDMETHODIMP Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn,
                      VARIANT *pvaOut) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return CQelViewSrvStatusBar::Exec(pguidCmdGroup, nCmdID, nCmdexecopt, pvaIn, pvaOut);
    }
    HRESULT RequestStatusBarRefresh() override { return RequestFrameStatusRefresh(this->m_spClientSite); }

    // The tree (its window is NULL before the control window exists).
    TreeControl &Tree() { return m_tree; }

protected:
    enum : int { kTextTitle = 0, kTextName = 1 };
    static constexpr DWORD kTreeListStyle = 0x00E00000;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &)
    {
        CRect client;
        this->GetClientRect(&client);
        if (!m_tree.Create(T::kTreeStyle, kTreeListStyle, client, CWnd::FromHandle(this->m_hWnd), kTreeId, nullptr))
            return -1;
        m_tree.SetRedraw(TRUE);
        m_wndTree.SubclassWindow(m_tree.m_hWnd);
        m_tree.InitControl();
        if (m_bInitPending)
            InitTree();
        return 0;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
    {
        m_tree.ReleaseServer();
        m_wndTree.UnsubclassWindow();
        if (m_tree.m_hWnd != nullptr)
            m_tree.DestroyWindow();
        m_tree.ExitControl();
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
    {
        LRESULT result = CComControlBase::OnSetFocus(uMsg, wParam, lParam, bHandled);
        if (m_tree.m_hWnd != nullptr)
            ::SetFocus(m_tree.m_hWnd);
        return result;
    }
    LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
    {
        return CComControlBase::OnKillFocus(uMsg, wParam, lParam, bHandled);
    }
    LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
    {
        return CComControlBase::OnPaint(uMsg, wParam, lParam, bHandled);
    }
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
    {
        if (m_tree.m_hWnd != nullptr) {
            m_tree.SetWindowPos(nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
            m_tree.Invalidate();
        }
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnTreeFocus(UINT, WPARAM, LPARAM, BOOL &bHandled)
    {
        // The tree keeps its own focus handling; the control only hears of it.
        bHandled = FALSE;
        return 0;
    }

    TreeControl m_tree;

private:
    // The tree meets the debug server; S_OK when it reached its services.
    HRESULT InitTree()
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

    CContainedWindow m_wndTree;
    CComPtr<IUnknown> m_pDbgSrv;
    CComPtr<IUnknown> m_pStorage;
    BOOL m_bInitPending = FALSE;
};
