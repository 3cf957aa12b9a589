// Test support: a container's site for one ActiveX control, with its window, its frame
// and its ambient user mode, that remembers what the control told it.
#pragma once

#include "../atlbase.h"
#include "../atlctl.h"

#include <vector>

// The frame: it records Exec calls (null group and id) and the active object it is given.
class CQelTestFrame : public CComObjectRootEx<CComSingleThreadModel>,
                      public IOleInPlaceFrame,
                      public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CQelTestFrame)
        COM_INTERFACE_ENTRY(IOleInPlaceFrame)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    STDMETHODIMP GetWindow(HWND *) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject *active, LPCOLESTR) override
    {
        activeObject = active;
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD, VARIANT *, VARIANT *) override
    {
        execs.push_back(group == nullptr ? id : ~id);
        return S_OK;
    }

    std::vector<DWORD> execs; // ids of null-group commands; ~id for any other group
    CComPtr<IOleInPlaceActiveObject> activeObject;
};

class CQelTestSite : public CComObjectRootEx<CComSingleThreadModel>,
                     public IOleClientSite,
                     public IOleInPlaceSite,
                     public IOleControlSite,
                     public IDispatch {
public:
    BEGIN_COM_MAP(CQelTestSite)
        COM_INTERFACE_ENTRY(IOleClientSite)
        COM_INTERFACE_ENTRY(IOleInPlaceSite)
        COM_INTERFACE_ENTRY(IOleControlSite)
        COM_INTERFACE_ENTRY(IDispatch)
    END_COM_MAP()

    HRESULT FinalConstruct()
    {
        HRESULT hr = CComObject<CQelTestFrame>::CreateInstance(&frame);
        if (SUCCEEDED(hr))
            frame->AddRef();
        return hr;
    }
    void FinalRelease() { frame->Release(); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer **) override { return E_NOTIMPL; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND *phwnd) override
    {
        *phwnd = window;
        return window != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override
    {
        inPlaceActive = true;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override
    {
        uiActive = true;
        return S_OK;
    }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO) override
    {
        *ppFrame = frame;
        frame->AddRef();
        *ppDoc = nullptr;
        *pos = position;
        *clip = position;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override
    {
        uiActive = false;
        return S_OK;
    }
    STDMETHODIMP OnInPlaceDeactivate() override
    {
        inPlaceActive = false;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch **) override { return E_NOTIMPL; }
    STDMETHODIMP TransformCoords(POINTL *, POINTF *, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG *, DWORD) override { return acceleratorAnswer; }
    STDMETHODIMP OnFocus(BOOL fGotFocus) override
    {
        focusCalls.push_back(fGotFocus != FALSE);
        return S_OK;
    }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *result, EXCEPINFO *, UINT *) override
    {
        if (id != DISPID_AMBIENT_USERMODE || result == nullptr)
            return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = userMode ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HWND window = nullptr;
    RECT position{0, 0, 100, 60};
    bool userMode = true;
    bool inPlaceActive = false;
    bool uiActive = false;
    HRESULT acceleratorAnswer = S_FALSE;
    std::vector<bool> focusCalls;
    CComObject<CQelTestFrame> *frame = nullptr;
};

// Makes a site with one reference held by `hold`.
inline CQelTestSite *QelMakeTestSite(CComPtr<IOleClientSite> &hold)
{
    CComObject<CQelTestSite> *site = nullptr;
    if (FAILED(CComObject<CQelTestSite>::CreateInstance(&site)))
        return nullptr;
    hold = site;
    return site;
}
