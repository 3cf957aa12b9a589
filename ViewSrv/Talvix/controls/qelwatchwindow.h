// CQelWatch: the view of "StdQelWatchWin", the ActiveX control that the host embeds as the
// watch window, over the watch tree (qelwatchtreeview.h). The symbol server's watch
// commands add, change, delete and reorder its entries (IQelWatch), each handed to the tree
// as it comes, under the module's state.
#pragma once

#include "qelwatchtreeview.h"
#include "talvixstrings.h"
#include "watchcontrol.h"

#include <qelwatch.h>

class CQelWatch : public CComObjectRootEx<CComSingleThreadModel>,
                  public CComCoClass<CQelWatch, &CLSID_QelWatch>,
                  public CQelWatchTreeView<CQelWatch, CWatchControl>,
                  public IDispatchImpl<IQelWatch, &IID_IQelWatch, &LIBID_TALVIXLib> {
public:
    static constexpr UINT kTextSet = IDS_WATCH_TEXTS;
    static constexpr int kHelpTopic = 5;
    // Buttons and lines at the root, names edited in place.
    static constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS;

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

    // IQelWatch, handed to the tree. Ids are the tree's item numbers, checked.
    STDMETHODIMP Watches(VARIANT *pNames, VARIANT *pIds) override;
    STDMETHODIMP AddWatch(BSTR bstrText, LONG *pId) override;
    STDMETHODIMP NewOrder(VARIANT ids) override;
    STDMETHODIMP DeleteWatch(LONG nId) override;
    STDMETHODIMP ChangeWatch(BSTR bstrText, LONG nId) override;
    STDMETHODIMP AddWatchSymbol(LONG nId, LONG *pId) override;
    STDMETHODIMP VarEdChanged() override;
};
