// ActiveX controls in framework windows: the control site through which CWnd::CreateControl
// embeds a control of a class identifier in a parent window, and through which
// CWnd::InvokeHelper calls the control's IDispatch.
//
// The site activates the control in place in the parent's window (OLEIVERB_INPLACEACTIVATE)
// at the given rectangle; the control's window gets the item's id and the CWnd is bound
// to it. The site answers the ambient user mode as running. Close deactivates the control
// (its window goes), closes it and lets it go; a site lives while the control or a CWnd
// holds it.
#pragma once

#include "afxwnd.h"

#include <ole2.h>

#include <atomic>

class COleControlSite : public IOleClientSite, public IOleInPlaceSite, public IOleControlSite, public IDispatch {
public:
    // A site for a control in `parent`, with the caller's one reference.
    static COleControlSite *New(HWND parent);

    // Makes the control and activates it at `rect` of the parent; E_... when it cannot be
    // made, has no window after activation, or refuses to be a control.
    HRESULT CreateControl(REFCLSID clsid, LPCTSTR windowName, DWORD style, const RECT &rect, UINT id);
    HWND ControlWindow() const { return m_controlWindow; }
    IUnknown *ControlUnknown() const { return m_object; }
    // The control's IDispatch, NULL when it has none or is closed.
    IDispatch *Dispatch() const { return m_dispatch; }
    // The CWnd bound to the control's window through this site; NULL for none.
    CWnd *Owner() const { return m_owner; }
    void SetOwner(CWnd *owner) { m_owner = owner; }
    void Close();

    // IUnknown, of all the interfaces.
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer **) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow: the parent window.
    STDMETHODIMP GetWindow(HWND *phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
    // IOleInPlaceSite: the control's place is the rectangle given to CreateControl.
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleControlSite: a dialog's control takes no keys of its site.
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch **ppDisp) override;
    STDMETHODIMP TransformCoords(POINTL *, POINTF *, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG *, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties; only the user mode (TRUE) is known.
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;

private:
    explicit COleControlSite(HWND parent) : m_parent(parent) {}
    virtual ~COleControlSite();

    std::atomic<ULONG> m_references{1};
    HWND m_parent;
    RECT m_rect{};
    IOleObject *m_object = nullptr;
    IDispatch *m_dispatch = nullptr;
    HWND m_controlWindow = nullptr;
    CWnd *m_owner = nullptr;
};
