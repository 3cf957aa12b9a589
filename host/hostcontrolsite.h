// The site of a view server's control, as the host embeds one as a view: a host window
// that the control is activated in, the in-place frame of that window and its command
// target, which records what the control asks of the frame.
//
// Embed makes the window, gives the control its site, initialises it with the
// debug-server object and the view's storage (IQelViewSrv::Init) and activates it in
// place over the whole window; a resized window moves the control (SetObjectRects).
// Remove lets it go as a host lets a view go: Cleanup, InPlaceDeactivate, Close.
#pragma once

#include <atlbase.h>
#include <atlctl.h>

#include <string>
#include <vector>

namespace QelHost {

// One command that the control sent to its frame: its group (GUID_NULL for none) and id.
struct FrameExec {
    GUID group;
    DWORD id;
};

class CHostControlSite : public CComObjectRootEx<CComSingleThreadModel>,
                         public IOleClientSite,
                         public IOleInPlaceSite,
                         public IOleInPlaceFrame,
                         public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CHostControlSite)
        COM_INTERFACE_ENTRY(IOleClientSite)
        COM_INTERFACE_ENTRY(IOleInPlaceSite)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceSite)
        COM_INTERFACE_ENTRY(IOleInPlaceFrame)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    // A site with `control` embedded in a new host window `width` by `height`, with one
    // reference for the caller in *site; the control's answer when it cannot be embedded
    // (the site then holds nothing).
    static HRESULT Embed(IUnknown *control, IUnknown *debugServer, IStorage *storage, int width, int height,
                         CHostControlSite **site);
    // Lets the control go and destroys the window.
    void Remove();
    // The control's IQelViewSrv::StoreSettings; S_FALSE for a control without one.
    HRESULT StoreSettings();
    // Resizes the host window, and with it the control.
    void Resize(int width, int height);

    HWND Window() const { return m_window; }
    IUnknown *Control() const { return m_control; }
    const std::vector<FrameExec> &Execs() const { return m_execs; }
    // The first window of class `className` inside the host window, depth first; NULL when none.
    HWND FindChild(const char *className) const;

    void FinalRelease();

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer **) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow, of the site and the frame alike: the host window.
    STDMETHODIMP GetWindow(HWND *phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
    // IOleInPlaceSite
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
    // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, borders or status line here.
    STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject *, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IOleCommandTarget of the frame: every command is recorded and taken.
    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD, VARIANT *, VARIANT *) override;

private:
    HWND m_window = nullptr;
    CComPtr<IUnknown> m_control;
    std::vector<FrameExec> m_execs;
};

} // namespace QelHost
