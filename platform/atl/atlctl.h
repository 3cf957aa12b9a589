// ActiveX controls of the template library, windowed only: CComControl<T> with the
// embedding interfaces' implementations IOleObjectImpl, IOleInPlaceObjectWindowlessImpl
// and IOleInPlaceActiveObjectImpl.
//
// The site activates the control: DoVerb with an activating verb makes the control
// window inside the site's window (CreateControlWindow) where the site's window context
// places it, and with OLEIVERB_UIACTIVATE (or the primary verb) also gives it the focus
// and makes it the frame's active object. SetObjectRects moves it, InPlaceDeactivate
// destroys the window. The control's WM_PAINT draws through OnDraw; a mouse click
// UI-activates it unless the site's ambient user mode says the container is being
// designed. A windowless control (IOleInPlaceObjectWindowless) is not offered: the
// implementation keeps the template library's name, as the controls name it.
//
// A control class derives from CComControl<T>, the three implementations and the COM
// base classes, lists the interfaces in its COM map and chains CComControl<T> from its
// message map. A control with the stock font property derives from CStockPropImpl too
// (atlstockprop.h); its container hears of the change through the control's point of
// IPropertyNotifySink (FireOnRequestEdit, FireOnChanged).
#pragma once

#include <ole2.h>

#include "atlcomptr.h"
#include "atlwin.h"

typedef struct _RECTL {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECTL, *LPRECTL;
typedef const RECTL *LPCRECTL;

#ifndef DV_E_DVASPECT
#define DV_E_DVASPECT QEL_HR(0x8004006BL)
#endif

// What OnDraw draws with: the device context and the control's bounds in it.
struct ATL_DRAWINFO {
    UINT cbSize;
    DWORD dwDrawAspect;
    LONG lindex;
    HDC hdcDraw;
    LPCRECTL prcBounds;
};

// Pixels of a screen of 96 dots per inch as HIMETRIC units (hundredths of a millimetre),
// rounded to the nearest.
void AtlPixelToHiMetric(const SIZEL *lpSizeInPix, LPSIZEL lpSizeInHiMetric);

class CComControlBase {
public:
    explicit CComControlBase(HWND &h) : m_hWndCD(h) {}
    virtual ~CComControlBase() = default;

    // The control's window inside `hWndParent` at `rcPos`; NULL when it cannot be made.
    virtual HWND CreateControlWindow(HWND hWndParent, RECT &rcPos) = 0;
    virtual HRESULT ControlQueryInterface(const IID &iid, void **ppv) = 0;
    virtual HRESULT OnDrawAdvanced(ATL_DRAWINFO &di) { return OnDraw(di); }
    virtual HRESULT OnDraw(ATL_DRAWINFO &) { return S_OK; }

    // TRUE with hRet when the control takes the key itself rather than offer it to the
    // site as an accelerator.
    BOOL PreTranslateAccelerator(LPMSG, HRESULT &) { return FALSE; }

    // The container's ambient property `dispid` through the site's IDispatch; E_FAIL
    // without a site or when the site has none.
    HRESULT GetAmbientProperty(DISPID dispid, VARIANT &var);
    HRESULT GetAmbientUserMode(BOOL &bUserMode);
    // Asks for the control to be drawn again.
    HRESULT FireViewChange();
    // What the sinks of the control's IPropertyNotifySink point hear of the property
    // `dispid`: FireOnRequestEdit answers S_FALSE when one of them forbids the change,
    // S_OK otherwise (also without a point or sinks); FireOnChanged tells them of it.
    HRESULT FireOnRequestEdit(DISPID dispid);
    HRESULT FireOnChanged(DISPID dispid);

    // Activates the control in its site's window for `iVerb` (at `prcPosRect` when
    // given): S_OK, S_FALSE when the site refuses, E_FAIL without an in-place site or
    // when the window cannot be made.
    HRESULT InPlaceActivate(LONG iVerb, const RECT *prcPosRect = nullptr);

    HRESULT IOleObject_SetClientSite(IOleClientSite *pClientSite);
    HRESULT IOleObject_GetClientSite(IOleClientSite **ppClientSite);
    HRESULT IOleObject_Close(DWORD dwSaveOption);
    HRESULT IOleObject_DoVerb(LONG iVerb, const RECT *prcPosRect);
    HRESULT IOleInPlaceObject_InPlaceDeactivate();
    HRESULT IOleInPlaceObject_UIDeactivate();
    HRESULT IOleInPlaceObject_SetObjectRects(LPCRECT prcPos, LPCRECT prcClip);
    // The key as the control's own (PreTranslateAccelerator) or the control site's
    // accelerator: S_OK when taken, S_FALSE when left to the container.
    HRESULT TranslateAcceleratorFor(const MSG &msg, BOOL bTaken, HRESULT hTaken);

    // The messages that every control handles, for its map to chain.
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult,
                              DWORD dwMsgMapID = 0);
    LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
    LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
    LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
    LRESULT OnMouseActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled);

    CComPtr<IOleClientSite> m_spClientSite;
    CComPtr<IOleInPlaceSite> m_spInPlaceSite;
    RECT m_rcPos{};
    SIZE m_sizeExtent{2540, 2540}; // HIMETRIC: one inch each way until the site sets it
    CComPtr<IFontDisp> m_pFont;    // the stock font property (CStockPropImpl)
    BOOL m_bInPlaceActive = FALSE;
    BOOL m_bUIActive = FALSE;
    HWND &m_hWndCD;
};

template <class T, class WinBase = CWindowImpl<T>>
class CComControl : public WinBase, public CComControlBase {
public:
    CComControl() : CComControlBase(this->m_hWnd) {}

    HRESULT ControlQueryInterface(const IID &iid, void **ppv) override
    {
        return static_cast<T *>(this)->_InternalQueryInterface(iid, ppv);
    }
    // A visible child that clips its siblings and children, id 0.
    HWND CreateControlWindow(HWND hWndParent, RECT &rcPos) override
    {
        return static_cast<T *>(this)->Create(hWndParent, rcPos, nullptr,
                                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0);
    }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult,
                              DWORD dwMsgMapID = 0) override
    {
        return CComControlBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID);
    }
};

template <class T>
class IOleObjectImpl : public IOleObject {
public:
    STDMETHODIMP SetClientSite(IOleClientSite *pClientSite) override
    {
        return static_cast<T *>(this)->IOleObject_SetClientSite(pClientSite);
    }
    STDMETHODIMP GetClientSite(IOleClientSite **ppClientSite) override
    {
        return static_cast<T *>(this)->IOleObject_GetClientSite(ppClientSite);
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD dwSaveOption) override { return static_cast<T *>(this)->IOleObject_Close(dwSaveOption); }
    STDMETHODIMP SetMoniker(DWORD, IMoniker *) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject *, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject **) override { return E_NOTIMPL; }
    // The site given here becomes the control's when it has none yet.
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite *pActiveSite, LONG, HWND, LPCRECT lprcPosRect) override
    {
        T *pT = static_cast<T *>(this);
        if (pT->m_spClientSite == nullptr && pActiveSite != nullptr)
            pT->IOleObject_SetClientSite(pActiveSite);
        return pT->IOleObject_DoVerb(iVerb, lprcPosRect);
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB **) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID *pClsid) override
    {
        if (pClsid == nullptr)
            return E_POINTER;
        *pClsid = T::GetObjectCLSID();
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD dwDrawAspect, SIZEL *psizel) override
    {
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (psizel == nullptr)
            return E_POINTER;
        static_cast<T *>(this)->m_sizeExtent = *psizel;
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, SIZEL *psizel) override
    {
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (psizel == nullptr)
            return E_POINTER;
        *psizel = static_cast<T *>(this)->m_sizeExtent;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE *) override { return E_NOTIMPL; }
};

template <class T>
class IOleInPlaceObjectWindowlessImpl : public IOleInPlaceObject {
public:
    STDMETHODIMP GetWindow(HWND *phwnd) override
    {
        if (phwnd == nullptr)
            return E_POINTER;
        *phwnd = static_cast<T *>(this)->m_hWndCD;
        return *phwnd != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override { return static_cast<T *>(this)->IOleInPlaceObject_InPlaceDeactivate(); }
    STDMETHODIMP UIDeactivate() override { return static_cast<T *>(this)->IOleInPlaceObject_UIDeactivate(); }
    STDMETHODIMP SetObjectRects(LPCRECT prcPos, LPCRECT prcClip) override
    {
        return static_cast<T *>(this)->IOleInPlaceObject_SetObjectRects(prcPos, prcClip);
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
};

template <class T>
class IOleInPlaceActiveObjectImpl : public IOleInPlaceActiveObject {
public:
    STDMETHODIMP GetWindow(HWND *phwnd) override
    {
        if (phwnd == nullptr)
            return E_POINTER;
        *phwnd = static_cast<T *>(this)->m_hWndCD;
        return *phwnd != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG pMsg) override
    {
        if (pMsg == nullptr)
            return E_POINTER;
        T *pT = static_cast<T *>(this);
        MSG msg = *pMsg;
        HRESULT hRet = S_OK;
        BOOL bTaken = pT->PreTranslateAccelerator(&msg, hRet);
        return pT->TranslateAcceleratorFor(msg, bTaken, hRet);
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
};

#include "atlstockprop.h"
