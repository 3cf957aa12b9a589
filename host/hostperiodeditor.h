// The host's refresh-period editor (qelperiodeditor.h), an ActiveX control in the class
// table of the process (RegisterPeriodEditor), as the host offers it to dialogs.
//
// It shows its two periods. Its entry property (1) looks among the refresh queue's
// entries of kind (4, 2) for one with its periods and makes one when none has them, with
// the running period only when the target reads memory while it runs (else 0); the editor
// holds one reference on the entry it answered until it answers another or goes, so that
// the caller can add its own meanwhile. Without a debug server or a queue, reading it
// raises an exception (DISP_E_EXCEPTION, E_FAIL).
#pragma once

#include <atlbase.h>
#include <atlctl.h>
#include <hostinterfaces.h>
#include <qelperiodeditor.h>

namespace QelHost {

class CHostPeriodEditor : public CComObjectRootEx<CComSingleThreadModel>,
                          public CComCoClass<CHostPeriodEditor, &CLSID_QelPeriodEditor>,
                          public CComControl<CHostPeriodEditor>,
                          public IOleObjectImpl<CHostPeriodEditor>,
                          public IOleInPlaceObjectWindowlessImpl<CHostPeriodEditor>,
                          public IOleInPlaceActiveObjectImpl<CHostPeriodEditor>,
                          public IDispatch {
public:
    DECLARE_NOT_AGGREGATABLE(CHostPeriodEditor)

    BEGIN_COM_MAP(CHostPeriodEditor)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(IOleObject)
        COM_INTERFACE_ENTRY(IOleInPlaceObject)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
        COM_INTERFACE_ENTRY(IOleInPlaceActiveObject)
    END_COM_MAP()

    BEGIN_MSG_MAP(CHostPeriodEditor)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(CComControl<CHostPeriodEditor>)
    END_MSG_MAP()

    void FinalRelease();

    HRESULT OnDraw(ATL_DRAWINFO &di) override;
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);

    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;

private:
    HRESULT Entry(LONG *entry);
    void HoldEntry(LONG entry);
    bool RunningAccess();

    CComPtr<IUnknown> m_debugServer;
    LONG m_running = 0;
    LONG m_holded = 0;
    LONG m_entry = 0;
    OLE_COLOR m_backColor = RGB(255, 255, 255);
    CComPtr<IDispatch> m_font;
};

// Puts the editor's class into the process's class table; the cookie revokes it.
HRESULT RegisterPeriodEditor(DWORD *pCookie);

// The IDispatch of the host's control whose window is `window`, with a reference for the
// caller; NULL when the window is no such control's.
CComPtr<IDispatch> HostControlDispatch(HWND window);

} // namespace QelHost
