#include "atlctl.h"

#include <memory>

namespace {

bool VerbUIActivates(LONG iVerb)
{
    return iVerb == OLEIVERB_UIACTIVATE || iVerb == OLEIVERB_PRIMARY;
}

// The frame and document window of the site, as GetWindowContext gives them.
struct WindowContext {
    CComPtr<IOleInPlaceFrame> frame;
    CComPtr<IOleInPlaceUIWindow> document;
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO info{};

    explicit WindowContext(IOleInPlaceSite *site)
    {
        info.cb = sizeof info;
        if (site->GetWindowContext(&frame, &document, &position, &clip, &info) != S_OK) {
            frame.Release();
            document.Release();
        }
    }
};

} // namespace

HRESULT CComControlBase::GetAmbientProperty(DISPID dispid, VARIANT &var)
{
    if (m_spClientSite == nullptr)
        return E_FAIL;
    CComPtr<IDispatch> ambient;
    if (FAILED(m_spClientSite->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&ambient))) ||
        ambient == nullptr)
        return E_FAIL;
    DISPPARAMS none{};
    return ambient->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &var, nullptr, nullptr);
}

HRESULT CComControlBase::GetAmbientUserMode(BOOL &bUserMode)
{
    VARIANT var;
    VariantInit(&var);
    HRESULT hr = GetAmbientProperty(DISPID_AMBIENT_USERMODE, var);
    if (SUCCEEDED(hr)) {
        hr = VariantChangeType(&var, &var, 0, VT_BOOL);
        if (SUCCEEDED(hr))
            bUserMode = V_BOOL(&var) != VARIANT_FALSE;
    }
    VariantClear(&var);
    return hr;
}

HRESULT CComControlBase::FireViewChange()
{
    if (m_bInPlaceActive && m_hWndCD != nullptr)
        ::InvalidateRect(m_hWndCD, nullptr, TRUE);
    return S_OK;
}

void AtlPixelToHiMetric(const SIZEL *lpSizeInPix, LPSIZEL lpSizeInHiMetric)
{
    const LONGLONG kHiMetricPerInch = 2540, kPixelsPerInch = 96;
    auto convert = [&](LONG pixels) {
        LONGLONG scaled = pixels * kHiMetricPerInch;
        return static_cast<LONG>((scaled + (scaled < 0 ? -kPixelsPerInch : kPixelsPerInch) / 2) / kPixelsPerInch);
    };
    lpSizeInHiMetric->cx = convert(lpSizeInPix->cx);
    lpSizeInHiMetric->cy = convert(lpSizeInPix->cy);
}

namespace {

// Calls `tell` on every sink of the control's IPropertyNotifySink point, until it answers
// false.
template <class Tell>
void ForEachPropertySink(CComControlBase &control, Tell tell)
{
    CComPtr<IConnectionPointContainer> container;
    CComPtr<IConnectionPoint> point;
    CComPtr<IEnumConnections> connections;
    if (FAILED(control.ControlQueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container))) ||
        container == nullptr || FAILED(container->FindConnectionPoint(IID_IPropertyNotifySink, &point)) ||
        FAILED(point->EnumConnections(&connections)))
        return;
    CONNECTDATA connection{};
    while (connections->Next(1, &connection, nullptr) == S_OK) {
        CComQIPtr<IPropertyNotifySink> sink(connection.pUnk);
        if (connection.pUnk != nullptr)
            connection.pUnk->Release();
        if (sink != nullptr && !tell(sink.p))
            return;
    }
}

} // namespace

HRESULT CComControlBase::FireOnRequestEdit(DISPID dispid)
{
    HRESULT answer = S_OK;
    ForEachPropertySink(*this, [&](IPropertyNotifySink *sink) {
        if (sink->OnRequestEdit(dispid) != S_FALSE)
            return true;
        answer = S_FALSE;
        return false;
    });
    return answer;
}

HRESULT CComControlBase::FireOnChanged(DISPID dispid)
{
    ForEachPropertySink(*this, [&](IPropertyNotifySink *sink) {
        sink->OnChanged(dispid);
        return true;
    });
    return S_OK;
}

HRESULT CComControlBase::InPlaceActivate(LONG iVerb, const RECT *prcPosRect)
{
    if (m_spClientSite == nullptr)
        return S_OK;
    if (prcPosRect != nullptr)
        m_rcPos = *prcPosRect;
    if (m_spInPlaceSite == nullptr)
        m_spClientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void **>(&m_spInPlaceSite));
    if (m_spInPlaceSite == nullptr)
        return E_FAIL;
    if (!m_bInPlaceActive) {
        if (m_spInPlaceSite->CanInPlaceActivate() != S_OK)
            return S_FALSE;
        m_spInPlaceSite->OnInPlaceActivate();
        m_bInPlaceActive = TRUE;
    }

    HWND hWndParent = nullptr;
    std::unique_ptr<WindowContext> context;
    if (m_spInPlaceSite->GetWindow(&hWndParent) == S_OK) {
        context = std::make_unique<WindowContext>(m_spInPlaceSite);
        if (m_hWndCD != nullptr) {
            ::ShowWindow(m_hWndCD, SW_SHOW);
        } else if (CreateControlWindow(hWndParent, context->position) == nullptr) {
            // Active without a window would leave the site waiting for one.
            m_bInPlaceActive = FALSE;
            m_spInPlaceSite->OnInPlaceDeactivate();
            return E_FAIL;
        }
        IOleInPlaceObject_SetObjectRects(&context->position, &context->clip);
    }

    if (VerbUIActivates(iVerb) && !m_bUIActive) {
        m_bUIActive = TRUE;
        HRESULT hr = m_spInPlaceSite->OnUIActivate();
        if (FAILED(hr)) {
            m_bUIActive = FALSE;
            return hr;
        }
        if (m_hWndCD != nullptr) {
            HWND focus = ::GetFocus();
            if (focus != m_hWndCD && !CWindow(m_hWndCD).IsChild(focus))
                ::SetFocus(m_hWndCD);
        }
        CComPtr<IOleInPlaceActiveObject> active;
        ControlQueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void **>(&active));
        if (context != nullptr) {
            if (context->frame != nullptr) {
                context->frame->SetActiveObject(active, nullptr);
                context->frame->SetBorderSpace(nullptr);
            }
            if (context->document != nullptr) {
                context->document->SetActiveObject(active, nullptr);
                context->document->SetBorderSpace(nullptr);
            }
        }
    }
    m_spClientSite->ShowObject();
    return S_OK;
}

HRESULT CComControlBase::IOleObject_SetClientSite(IOleClientSite *pClientSite)
{
    m_spClientSite = pClientSite;
    // A site that goes takes its in-place side along: holding it would keep the
    // container alive by the control it holds.
    if (pClientSite == nullptr)
        m_spInPlaceSite.Release();
    return S_OK;
}

HRESULT CComControlBase::IOleObject_GetClientSite(IOleClientSite **ppClientSite)
{
    if (ppClientSite == nullptr)
        return E_POINTER;
    *ppClientSite = m_spClientSite;
    if (*ppClientSite != nullptr)
        (*ppClientSite)->AddRef();
    return S_OK;
}

HRESULT CComControlBase::IOleObject_Close(DWORD)
{
    if (m_bInPlaceActive)
        IOleInPlaceObject_InPlaceDeactivate();
    return S_OK;
}

HRESULT CComControlBase::IOleObject_DoVerb(LONG iVerb, const RECT *prcPosRect)
{
    switch (iVerb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(iVerb, prcPosRect);
    case OLEIVERB_HIDE:
        IOleInPlaceObject_UIDeactivate();
        if (m_hWndCD != nullptr)
            ::ShowWindow(m_hWndCD, SW_HIDE);
        return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK;
    default:
        return OLEOBJ_E_INVALIDVERB;
    }
}

HRESULT CComControlBase::IOleInPlaceObject_InPlaceDeactivate()
{
    if (!m_bInPlaceActive)
        return S_OK;
    IOleInPlaceObject_UIDeactivate();
    m_bInPlaceActive = FALSE;
    if (m_hWndCD != nullptr && ::IsWindow(m_hWndCD))
        ::DestroyWindow(m_hWndCD);
    m_hWndCD = nullptr;
    CComPtr<IOleInPlaceSite> site;
    site.Attach(m_spInPlaceSite.Detach());
    if (site != nullptr)
        site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT CComControlBase::IOleInPlaceObject_UIDeactivate()
{
    if (!m_bUIActive)
        return S_OK;
    m_bUIActive = FALSE;
    HWND hWndParent = nullptr;
    if (m_spInPlaceSite != nullptr && m_spInPlaceSite->GetWindow(&hWndParent) == S_OK) {
        WindowContext context(m_spInPlaceSite);
        if (context.document != nullptr)
            context.document->SetActiveObject(nullptr, nullptr);
        if (context.frame != nullptr)
            context.frame->SetActiveObject(nullptr, nullptr);
    }
    if (m_spInPlaceSite != nullptr)
        m_spInPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT CComControlBase::IOleInPlaceObject_SetObjectRects(LPCRECT prcPos, LPCRECT prcClip)
{
    if (prcPos == nullptr || prcClip == nullptr)
        return E_POINTER;
    m_rcPos = *prcPos;
    // Without window regions the clip rectangle clips nothing: the window takes the
    // position whole.
    if (m_hWndCD != nullptr)
        ::SetWindowPos(m_hWndCD, nullptr, m_rcPos.left, m_rcPos.top, m_rcPos.right - m_rcPos.left,
                       m_rcPos.bottom - m_rcPos.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT CComControlBase::TranslateAcceleratorFor(const MSG &msg, BOOL bTaken, HRESULT hTaken)
{
    if (bTaken)
        return hTaken;
    if (m_spClientSite == nullptr)
        return S_FALSE;
    CComPtr<IOleControlSite> site;
    if (FAILED(m_spClientSite->QueryInterface(IID_IOleControlSite, reinterpret_cast<void **>(&site))) ||
        site == nullptr)
        return S_FALSE;
    MSG copy = msg;
    return site->TranslateAccelerator(&copy, 0) == S_OK ? S_OK : S_FALSE;
}

BOOL CComControlBase::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult,
                                           DWORD dwMsgMapID)
{
    if (dwMsgMapID != 0)
        return FALSE;
    LRESULT (CComControlBase::*handler)(UINT, WPARAM, LPARAM, BOOL &) = nullptr;
    switch (uMsg) {
    case WM_PAINT:
        handler = &CComControlBase::OnPaint;
        break;
    case WM_SETFOCUS:
        handler = &CComControlBase::OnSetFocus;
        break;
    case WM_KILLFOCUS:
        handler = &CComControlBase::OnKillFocus;
        break;
    case WM_MOUSEACTIVATE:
        handler = &CComControlBase::OnMouseActivate;
        break;
    default:
        return FALSE;
    }
    BOOL bHandled = TRUE;
    lResult = (this->*handler)(uMsg, wParam, lParam, bHandled);
    return bHandled;
}

LRESULT CComControlBase::OnPaint(UINT, WPARAM wParam, LPARAM, BOOL &)
{
    PAINTSTRUCT ps{};
    HDC hdc = wParam != 0 ? reinterpret_cast<HDC>(wParam) : ::BeginPaint(m_hWndCD, &ps);
    if (hdc == nullptr)
        return 0;
    RECT client{};
    ::GetClientRect(m_hWndCD, &client);
    RECTL bounds{client.left, client.top, client.right, client.bottom};
    ATL_DRAWINFO di{};
    di.cbSize = sizeof di;
    di.dwDrawAspect = DVASPECT_CONTENT;
    di.lindex = -1;
    di.hdcDraw = hdc;
    di.prcBounds = &bounds;
    OnDrawAdvanced(di);
    if (wParam == 0)
        ::EndPaint(m_hWndCD, &ps);
    return 0;
}

LRESULT CComControlBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    CComPtr<IOleControlSite> site;
    if (m_bInPlaceActive && m_spClientSite != nullptr &&
        SUCCEEDED(m_spClientSite->QueryInterface(IID_IOleControlSite, reinterpret_cast<void **>(&site))) &&
        site != nullptr)
        site->OnFocus(TRUE);
    bHandled = FALSE;
    return 1;
}

LRESULT CComControlBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    CComPtr<IOleControlSite> site;
    if (m_bInPlaceActive && m_bUIActive && m_spClientSite != nullptr &&
        SUCCEEDED(m_spClientSite->QueryInterface(IID_IOleControlSite, reinterpret_cast<void **>(&site))) &&
        site != nullptr)
        site->OnFocus(FALSE);
    bHandled = FALSE;
    return 1;
}

LRESULT CComControlBase::OnMouseActivate(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    BOOL bUserMode = TRUE;
    HRESULT hr = GetAmbientUserMode(bUserMode);
    // A container that cannot tell its mode runs.
    if (FAILED(hr) || bUserMode) {
        CComPtr<IOleObject> object;
        ControlQueryInterface(IID_IOleObject, reinterpret_cast<void **>(&object));
        if (object != nullptr)
            object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, m_spClientSite, 0, m_hWndCD, &m_rcPos);
    }
    bHandled = FALSE;
    return 1;
}
