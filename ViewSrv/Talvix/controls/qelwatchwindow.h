// CQelWatch: the view of "StdQelWatchWin", the ActiveX control that the host embeds as the
// watch window. It owns the watch tree, through which the host initialises it
// (IQelViewSrv), the symbol server's variable code fills it (IQelCommonWatch) and the
// symbol server's watch commands add, change, delete and reorder its entries (IQelWatch),
// each handed to the tree as it comes, under the module's state.
//
// The host may call Init before the control has its window; the tree then meets its
// debug server when the window is made.
#pragma once

#include "watchcontrol.h"
#include "qelipfcontrol.h"
#include "talvixdispatch.h"
#include "viewsrvstatusbar.h"

#include <qelcommonwatch.h>
#include <qelwatch.h>

#include <atlbase.h>
#include <atlctl.h>

class CQelWatch : public CComObjectRootEx<CComSingleThreadModel>,
                   public CComCoClass<CQelWatch, &CLSID_QelWatch>,
                   public CComControl<CQelWatch>,
                   public IOleObjectImpl<CQelWatch>,
                   public IOleInPlaceObjectWindowlessImpl<CQelWatch>,
                   public IOleInPlaceActiveObjectImpl<CQelWatch>,
                   public IDispatchImpl<IQelViewSrv, &IID_IQelViewSrv, &LIBID_TALVIXLib>,
                   public IQelCommonWatch,
                   public IDispatchImpl<IQelWatch, &IID_IQelWatch, &LIBID_TALVIXLib>,
                   public IOleCommandTarget,
                   public CQelIPFControlImpl<CQelWatch>,
                   public CQelViewSrvStatusBar {
public:
    enum : UINT { kTreeId = 4711 };

    CQelWatch();
    ~CQelWatch() override;

    // Registers the control as the view server "StdQelWatchWin" of the symbol server.
    static HRESULT UpdateRegistry(BOOL bRegister);

    BEGIN_COM_MAP(CQelWatch)
        COM_INTERFACE_ENTRY(IQelViewSrv)
        COM_INTERFACE_ENTRY2(IDispatch, IQelViewSrv)
        COM_INTERFACE_ENTRY(IQelCommonWatch)
        COM_INTERFACE_ENTRY(IQelWatch)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IOleObject)
        COM_INTERFACE_ENTRY(IOleInPlaceObject)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
        COM_INTERFACE_ENTRY(IOleInPlaceActiveObject)
        COM_INTERFACE_ENTRY(IPersistFile)
    END_COM_MAP()

    BEGIN_MSG_MAP(CQelWatch)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        REFLECT_NOTIFICATIONS()
        CHAIN_MSG_MAP(CComControl<CQelWatch>)
    ALT_MSG_MAP(1)
        MESSAGE_HANDLER(WM_SETFOCUS, OnTreeFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnTreeFocus)
    END_MSG_MAP()

    // The arrow keys move in the tree, not to the host as accelerators.
    BOOL PreTranslateAccelerator(LPMSG pMsg, HRESULT &hRet);

    // IQelViewSrv
    STDMETHODIMP GetVersion(BSTR *pbstrVersion) override;
    STDMETHODIMP GetErrorInfo(BSTR *pbstrError) override;
    STDMETHODIMP Init(IUnknown *pIUnkDbgSrv, IUnknown *pIUnkStg) override;
    STDMETHODIMP Cleanup() override;
    STDMETHODIMP GetTitle(BSTR *pbstrTitle) override;
    STDMETHODIMP StoreSettings() override;
    STDMETHODIMP GetDbgServer(IUnknown **ppIUnkDbgSrv) override;
    STDMETHODIMP HelpFunc(UINT uiHelpContext) override;

    // IQelCommonWatch, handed to the tree.
    STDMETHODIMP InsertItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG *pItem) override;
    STDMETHODIMP ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *pNewItem) override;
    STDMETHODIMP CalculateItem(LONG item, LONG function, LONG mode, LONG value) override;
    STDMETHODIMP SetItemText(LONG item) override;
    STDMETHODIMP GetItemText(LONG item, BSTR *pText) override;
    STDMETHODIMP DeleteItem(LONG item) override;
    STDMETHODIMP InsertItemBatch(LONG function, BSTR name, LONG type, LONG childrenOrParent, IUnknown *param,
                                 VARIANT *pOut) override;

    // IQelWatch, handed to the tree. Ids are the tree's item numbers, checked.
    STDMETHODIMP Watches(VARIANT *pNames, VARIANT *pIds) override;
    STDMETHODIMP AddWatch(BSTR bstrText, LONG *pId) override;
    STDMETHODIMP NewOrder(VARIANT ids) override;
    STDMETHODIMP DeleteWatch(LONG nId) override;
    STDMETHODIMP ChangeWatch(BSTR bstrText, LONG nId) override;
    STDMETHODIMP AddWatchSymbol(LONG nId, LONG *pId) override;
    STDMETHODIMP VarEdChanged() override;

    // IOleCommandTarget, handed to the status-bar part.
    STDMETHODIMP QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText) override;
    STDMETHODIMP Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn,
                      VARIANT *pvaOut) override;
    HRESULT RequestStatusBarRefresh() override;

    // The tree (its window is NULL before the control window exists).
    CWatchControl &Tree() { return m_tree; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnTreeFocus(UINT, WPARAM, LPARAM, BOOL &);
    // The tree meets the debug server; S_OK when it reached its services.
    HRESULT InitTree();

    CWatchControl m_tree;
    CContainedWindow m_wndTree;
    CComPtr<IUnknown> m_pDbgSrv;
    CComPtr<IUnknown> m_pStorage;
    BOOL m_bInitPending = FALSE;
};
