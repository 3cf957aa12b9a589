#include "hostcontrolsite.h"

#include <qelviewsrv.h>

namespace QelHost {

namespace {

const char kClassName[] = "QelHostViewWindow";

// The site lives in the window's one word, from Embed until Remove.
LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE) {
        auto *site = reinterpret_cast<CHostControlSite *>(GetWindowLongPtrA(window, 0));
        CComQIPtr<IOleInPlaceObject> inPlace(site != nullptr ? site->Control() : nullptr);
        if (inPlace != nullptr) {
            RECT rect{0, 0, LOWORD(lParam), HIWORD(lParam)};
            inPlace->SetObjectRects(&rect, &rect);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterViewWindowClass()
{
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ViewWindowProc;
        windowClass.cbWndExtra = sizeof(LONG_PTR);
        windowClass.lpszClassName = kClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered;
}

HWND FindChildIn(HWND parent, const char *className)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = "";
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, className) == 0)
            return child;
        if (HWND found = FindChildIn(child, className))
            return found;
    }
    return nullptr;
}

} // namespace

HRESULT CHostControlSite::Embed(IUnknown *control, IUnknown *debugServer, IStorage *storage, int width, int height,
                                CHostControlSite **site)
{
    *site = nullptr;
    CComQIPtr<IOleObject> object(control);
    if (object == nullptr)
        return E_NOINTERFACE;
    if (!RegisterViewWindowClass())
        return E_FAIL;
    CComObject<CHostControlSite> *made = nullptr;
    HRESULT hr = CComObject<CHostControlSite>::CreateInstance(&made);
    if (FAILED(hr))
        return hr;
    CComPtr<IOleClientSite> hold(made);
    made->m_window = CreateWindowExA(0, kClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                     nullptr, nullptr);
    if (made->m_window == nullptr)
        return E_FAIL;
    SetWindowLongPtrA(made->m_window, 0, reinterpret_cast<LONG_PTR>(made));
    made->m_control = control;
    hr = object->SetClientSite(hold);
    // A control without the view-server interface is shown all the same; one that has it
    // gets the debug-server object, whose failing there leaves the control without data.
    if (CComQIPtr<IQelViewSrv> view = control)
        view->Init(debugServer, storage);
    if (SUCCEEDED(hr))
        hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, hold, 0, made->m_window, nullptr);
    if (FAILED(hr)) {
        made->Remove();
        return hr;
    }
    *site = made;
    made->AddRef();
    return S_OK;
}

void CHostControlSite::Remove()
{
    CComPtr<IUnknown> control;
    control.Attach(m_control.Detach());
    if (control != nullptr) {
        if (CComQIPtr<IQelViewSrv> view{control.p})
            view->Cleanup();
        if (CComQIPtr<IOleInPlaceObject> inPlace{control.p})
            inPlace->InPlaceDeactivate();
        if (CComQIPtr<IOleObject> object{control.p}) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
    }
    if (m_window != nullptr) {
        SetWindowLongPtrA(m_window, 0, 0);
        DestroyWindow(m_window);
        m_window = nullptr;
    }
}

void CHostControlSite::FinalRelease()
{
    Remove();
}

HRESULT CHostControlSite::StoreSettings()
{
    CComQIPtr<IQelViewSrv> view(m_control);
    return view != nullptr ? view->StoreSettings() : S_FALSE;
}

void CHostControlSite::Resize(int width, int height)
{
    if (m_window != nullptr)
        SetWindowPos(m_window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CHostControlSite::FindChild(const char *className) const
{
    return m_window != nullptr ? FindChildIn(m_window, className) : nullptr;
}

STDMETHODIMP CHostControlSite::GetWindow(HWND *phwnd)
{
    if (phwnd == nullptr)
        return E_POINTER;
    *phwnd = m_window;
    return m_window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP CHostControlSite::GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc,
                                                LPRECT lprcPosRect, LPRECT lprcClipRect,
                                                LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    if (ppFrame == nullptr || ppDoc == nullptr || lprcPosRect == nullptr || lprcClipRect == nullptr)
        return E_POINTER;
    *ppFrame = this;
    AddRef();
    *ppDoc = nullptr;
    RECT client{};
    ::GetClientRect(m_window, &client);
    *lprcPosRect = client;
    *lprcClipRect = client;
    if (lpFrameInfo != nullptr) {
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = m_window;
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP CHostControlSite::Exec(const GUID *group, DWORD id, DWORD, VARIANT *, VARIANT *)
{
    m_execs.push_back({group != nullptr ? *group : GUID_NULL, id});
    return S_OK;
}

} // namespace QelHost
