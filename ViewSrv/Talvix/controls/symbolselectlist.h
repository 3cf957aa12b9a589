// CQelSymbolSelectList: a drop-down list of program functions, sorted by name, with a
// tool tip that names the debugger. View servers (the program windows) add their
// functions with AddSymbolListEntry; when the user moves through the open list, each
// entry chosen sends its address to the view server that added it (final 0), and closing
// the list sends the chosen one once more (final 1).
//
// The map from address to view server holds a reference of each view server it names,
// so that a view server released without RemoveAllViewServerEntries is still there when
// a choice reaches it; a replaced or removed entry releases its reference, and the control
// releases all of them when it goes.
#pragma once

#include "talvixdispatch.h"

#include <qelsymbolselectlist.h>

#include <afx.h>
#include <atlbase.h>
#include <atlctl.h>

class CQelSymbolSelectList : public CComObjectRootEx<CComSingleThreadModel>,
                             public CComCoClass<CQelSymbolSelectList, &CLSID_QelSymbolSelectList>,
                             public CComControl<CQelSymbolSelectList>,
                             public CStockPropImpl<CQelSymbolSelectList, IQelSymbolSelectList,
                                                   &IID_IQelSymbolSelectList, &LIBID_QelSymbolSelectListLib>,
                             public IOleObjectImpl<CQelSymbolSelectList>,
                             public IOleInPlaceObjectWindowlessImpl<CQelSymbolSelectList>,
                             public IOleInPlaceActiveObjectImpl<CQelSymbolSelectList>,
                             public IConnectionPointContainerImpl<CQelSymbolSelectList>,
                             public IConnectionPointImpl<CQelSymbolSelectList, &IID_IPropertyNotifySink>,
                             public IConnectionPointImpl<CQelSymbolSelectList, &IID__IQelSymbolSelectListEvents> {
public:
    enum : UINT { kComboId = 1, kToolId = 1 };
    // The list's size as the host lays it out, in pixels.
    enum : int { kWidth = 150, kHeight = 20, kDropHeight = 100, kMaxTipWidth = 300 };

    CQelSymbolSelectList();
    ~CQelSymbolSelectList() override;
    void FinalRelease();

    DECLARE_REGISTRY_RESOURCEID(103)

    BEGIN_COM_MAP(CQelSymbolSelectList)
        COM_INTERFACE_ENTRY(IQelSymbolSelectList)
        COM_INTERFACE_ENTRY2(IDispatch, IQelSymbolSelectList)
        COM_INTERFACE_ENTRY(IOleObject)
        COM_INTERFACE_ENTRY(IOleInPlaceObject)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
        COM_INTERFACE_ENTRY(IOleInPlaceActiveObject)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CQelSymbolSelectList)
        CONNECTION_POINT_ENTRY(IID_IPropertyNotifySink)
        CONNECTION_POINT_ENTRY(IID__IQelSymbolSelectListEvents)
    END_CONNECTION_POINT_MAP()

    BEGIN_MSG_MAP(CQelSymbolSelectList)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        COMMAND_HANDLER(kComboId, CBN_SELCHANGE, OnSelChange)
        COMMAND_HANDLER(kComboId, CBN_CLOSEUP, OnCloseUp)
        CHAIN_MSG_MAP(CComControl<CQelSymbolSelectList>)
    ALT_MSG_MAP(1)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnComboMouseMove)
    END_MSG_MAP()

    // IQelSymbolSelectList
    STDMETHODIMP Init(IUnknown *pDbgSrvUnknown) override;
    STDMETHODIMP AddSymbolListEntry(BSTR pszName, UINT uiAddrVal, IUnknown *pUnkViewServer) override;
    STDMETHODIMP RemoveAllViewServerEntries(IUnknown *pUnkViewServer) override;

    // The new font shows at once.
    void OnFontChanged();
    HRESULT IOleInPlaceObject_SetObjectRects(LPCRECT prcPos, LPCRECT prcClip);

    // The combo box and the tool tip (NULL before the control window exists).
    HWND GetComboWindow() const { return m_wndCombo.m_hWnd; }
    HWND GetToolTipWindow() const { return m_hWndToolTip; }

private:
    // The index of the entry whose text is exactly `text`, blind to nothing; -1 for none.
    int FindExactText(const CString &text) const;
    // The first entry whose address is `address`; -1 for none.
    int FindAddress(UINT address) const;
    void SetViewServer(UINT address, IUnknown *viewServer);
    void ReleaseViewServers();
    // Sends the choice of the selected entry to its view server.
    void SendChoice(BOOL final);
    // The first word of the debugger's name from the host's GUI server; empty when the
    // host gives none. A failed query other than E_NOINTERFACE raises it.
    CString DebuggerWord(IUnknown *debugServer);
    void SetToolText(LPCSTR text);

    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnSelChange(WORD, WORD, HWND, BOOL &);
    LRESULT OnCloseUp(WORD, WORD, HWND, BOOL &);
    LRESULT OnComboMouseMove(UINT, WPARAM, LPARAM, BOOL &);

    CContainedWindow m_wndCombo;
    HWND m_hWndToolTip = nullptr;
    // The host's, without a reference of the list's own: the host keeps the list's
    // announcement (command 22, with the list in it) as long as itself.
    IUnknown *m_pDbgSrv = nullptr;
    CMap<UINT, UINT, IUnknown *, IUnknown *> m_viewServers;
};
