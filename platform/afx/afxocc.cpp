#include "afxocc.h"

#include "afxdisp.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

IMPLEMENT_DYNAMIC(COleException, CException)
IMPLEMENT_DYNAMIC(COleDispatchException, CException)

BOOL COleException::GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext)
{
    char text[32];
    std::snprintf(text, sizeof text, "COM error 0x%08X", static_cast<unsigned>(m_sc));
    if (helpContext != nullptr)
        *helpContext = 0;
    if (error != nullptr && maxError > 0)
        lstrcpynA(error, text, maxError > INT_MAX ? INT_MAX : static_cast<int>(maxError));
    return TRUE;
}

BOOL COleDispatchException::GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext)
{
    if (helpContext != nullptr)
        *helpContext = m_dwHelpContext;
    if (error != nullptr && maxError > 0)
        lstrcpynA(error, m_strDescription, maxError > INT_MAX ? INT_MAX : static_cast<int>(maxError));
    return !m_strDescription.IsEmpty();
}

void AfxThrowOleException(SCODE sc)
{
    throw new COleException(sc);
}

void AfxThrowOleDispatchException(WORD code, LPCTSTR description, UINT helpContext)
{
    throw new COleDispatchException(description, helpContext, code);
}

COleControlSite *COleControlSite::New(HWND parent)
{
    return new COleControlSite(parent);
}

COleControlSite::~COleControlSite()
{
    Close();
}

HRESULT COleControlSite::CreateControl(REFCLSID clsid, LPCTSTR windowName, DWORD style, const RECT &rect, UINT id)
{
    if (m_object != nullptr)
        return E_UNEXPECTED;
    m_rect = rect;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void **>(&m_object));
    if (FAILED(hr))
        return hr;
    hr = m_object->SetClientSite(this);
    if (SUCCEEDED(hr))
        hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_parent, &m_rect);
    IOleInPlaceObject *inPlace = nullptr;
    if (SUCCEEDED(hr))
        hr = m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(&inPlace));
    if (SUCCEEDED(hr)) {
        hr = inPlace->GetWindow(&m_controlWindow);
        inPlace->Release();
    }
    if (SUCCEEDED(hr) && m_controlWindow == nullptr)
        hr = E_FAIL;
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    m_object->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&m_dispatch));
    // The item's id and text, as a dialog's own items have them; the control keeps its
    // own style bits beside the visibility asked for.
    SetWindowLongPtrA(m_controlWindow, GWLP_ID, static_cast<LONG_PTR>(id));
    if (windowName != nullptr)
        SetWindowTextA(m_controlWindow, windowName);
    ShowWindow(m_controlWindow, (style & WS_VISIBLE) != 0 ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}

void COleControlSite::Close()
{
    if (m_dispatch != nullptr) {
        m_dispatch->Release();
        m_dispatch = nullptr;
    }
    if (m_object == nullptr)
        return;
    IOleObject *object = m_object;
    m_object = nullptr;
    // The control's window goes with its deactivation; the control lets its site go.
    IOleInPlaceObject *inPlace = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(&inPlace)))) {
        inPlace->InPlaceDeactivate();
        inPlace->Release();
    }
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    object->Release();
    m_controlWindow = nullptr;
}

STDMETHODIMP COleControlSite::QueryInterface(REFIID iid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *ppv = static_cast<IOleClientSite *>(this);
    else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow)
        *ppv = static_cast<IOleInPlaceSite *>(this);
    else if (iid == qel_uuidof<IOleControlSite>())
        *ppv = static_cast<IOleControlSite *>(this);
    else if (iid == IID_IDispatch)
        *ppv = static_cast<IDispatch *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlSite::AddRef()
{
    return ++m_references;
}

STDMETHODIMP_(ULONG) COleControlSite::Release()
{
    ULONG count = --m_references;
    if (count == 0)
        delete this;
    return count;
}

STDMETHODIMP COleControlSite::GetWindow(HWND *phwnd)
{
    if (phwnd == nullptr)
        return E_POINTER;
    *phwnd = m_parent;
    return m_parent != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP COleControlSite::GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    if (ppFrame == nullptr || ppDoc == nullptr || lprcPosRect == nullptr || lprcClipRect == nullptr)
        return E_POINTER;
    // A dialog is no frame: the control has none to show tools in.
    *ppFrame = nullptr;
    *ppDoc = nullptr;
    *lprcPosRect = m_rect;
    *lprcClipRect = m_rect;
    if (lpFrameInfo != nullptr) {
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = m_parent;
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP COleControlSite::GetExtendedControl(IDispatch **ppDisp)
{
    if (ppDisp == nullptr)
        return E_POINTER;
    *ppDisp = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetTypeInfoCount(UINT *pctinfo)
{
    if (pctinfo == nullptr)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP COleControlSite::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS *, VARIANT *pVarResult,
                                     EXCEPINFO *, UINT *)
{
    if (dispIdMember != DISPID_AMBIENT_USERMODE || (wFlags & DISPATCH_PROPERTYGET) == 0)
        return DISP_E_MEMBERNOTFOUND;
    if (pVarResult != nullptr) {
        VariantInit(pVarResult);
        pVarResult->vt = VT_BOOL;
        pVarResult->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

BOOL CWnd::CreateControl(REFCLSID clsid, LPCTSTR pszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                         UINT nID)
{
    if (m_hWnd != nullptr || m_pCtrlSite != nullptr || pParentWnd == nullptr || pParentWnd->m_hWnd == nullptr)
        return FALSE;
    COleControlSite *site = COleControlSite::New(pParentWnd->m_hWnd);
    if (FAILED(site->CreateControl(clsid, pszWindowName, dwStyle, rect, nID)) || !Attach(site->ControlWindow())) {
        site->Close();
        site->Release();
        return FALSE;
    }
    m_pCtrlSite = site;
    site->SetOwner(this);
    return TRUE;
}

IUnknown *CWnd::GetControlUnknown()
{
    return m_pCtrlSite != nullptr ? m_pCtrlSite->ControlUnknown() : nullptr;
}

BOOL CWnd::AttachControlSite(CWnd *pWndParent, UINT nIDC)
{
    if (pWndParent == nullptr || m_hWnd != nullptr || m_pCtrlSite != nullptr)
        return FALSE;
    HWND item = ::GetDlgItem(pWndParent->m_hWnd, static_cast<int>(nIDC));
    CWnd *holder = item != nullptr ? FromHandlePermanent(item) : nullptr;
    if (holder == nullptr || holder->m_pCtrlSite == nullptr)
        return FALSE;
    // The site and the window move to this object; the holder keeps nothing.
    COleControlSite *site = holder->m_pCtrlSite;
    holder->m_pCtrlSite = nullptr;
    holder->Detach();
    m_pCtrlSite = site;
    site->SetOwner(this);
    return Attach(item);
}

void CWnd::CloseControlSite()
{
    if (m_pCtrlSite == nullptr)
        return;
    COleControlSite *site = m_pCtrlSite;
    m_pCtrlSite = nullptr;
    site->SetOwner(nullptr);
    // The control's window goes with the control: the binding ends first.
    if (m_hWnd != nullptr)
        Detach();
    site->Close();
    site->Release();
}

namespace {

// The arguments of InvokeHelper as VARIANTs, last first as IDispatch::Invoke takes them.
std::vector<VARIANT> ReadArguments(const BYTE *paramInfo, va_list arguments)
{
    std::vector<VARIANT> values;
    for (const BYTE *type = paramInfo; type != nullptr && *type != 0; ++type) {
        VARIANT value;
        VariantInit(&value);
        value.vt = *type;
        switch (*type) {
        case VT_I2:
            value.iVal = static_cast<SHORT>(va_arg(arguments, int));
            break;
        case VT_I4:
            value.lVal = va_arg(arguments, LONG);
            break;
        case VT_R8:
            value.dblVal = va_arg(arguments, double);
            break;
        case VT_BOOL:
            value.boolVal = va_arg(arguments, int) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_BSTR:
            value.bstrVal = CString(va_arg(arguments, LPCSTR)).AllocSysString();
            break;
        case VT_DISPATCH:
            value.pdispVal = va_arg(arguments, IDispatch *);
            break;
        case VT_UNKNOWN:
            value.punkVal = va_arg(arguments, IUnknown *);
            break;
        default:
            for (VARIANT &made : values)
                if (made.vt == VT_BSTR)
                    VariantClear(&made);
            AfxThrowOleException(E_INVALIDARG);
        }
        values.insert(values.begin(), value);
    }
    return values;
}

// The result into the caller's variable of type `vtRet`.
void StoreResult(VARIANT &result, VARTYPE vtRet, void *pvRet)
{
    if (vtRet == VT_EMPTY || pvRet == nullptr) {
        VariantClear(&result);
        return;
    }
    HRESULT hr = VariantChangeType(&result, &result, 0, vtRet);
    if (FAILED(hr)) {
        VariantClear(&result);
        AfxThrowOleException(hr);
    }
    switch (vtRet) {
    case VT_I2:
        *static_cast<SHORT *>(pvRet) = result.iVal;
        break;
    case VT_I4:
        *static_cast<LONG *>(pvRet) = result.lVal;
        break;
    case VT_R8:
        *static_cast<double *>(pvRet) = result.dblVal;
        break;
    case VT_BOOL:
        *static_cast<BOOL *>(pvRet) = result.boolVal != VARIANT_FALSE;
        break;
    case VT_BSTR: // the caller's BSTR
        *static_cast<BSTR *>(pvRet) = result.bstrVal;
        return;
    case VT_DISPATCH: // the caller's reference
        *static_cast<IDispatch **>(pvRet) = result.pdispVal;
        return;
    case VT_UNKNOWN:
        *static_cast<IUnknown **>(pvRet) = result.punkVal;
        return;
    default:
        VariantClear(&result);
        AfxThrowOleException(E_INVALIDARG);
    }
    VariantClear(&result);
}

} // namespace

void CWnd::InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void *pvRet, const BYTE *pbParamInfo, ...)
{
    IDispatch *dispatch = m_pCtrlSite != nullptr ? m_pCtrlSite->Dispatch() : nullptr;
    if (dispatch == nullptr)
        AfxThrowOleException(E_NOINTERFACE);
    va_list arguments;
    va_start(arguments, pbParamInfo);
    std::vector<VARIANT> values;
    try {
        values = ReadArguments(pbParamInfo, arguments);
    } catch (...) {
        va_end(arguments);
        throw;
    }
    va_end(arguments);

    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{};
    parameters.rgvarg = values.empty() ? nullptr : values.data();
    parameters.cArgs = static_cast<UINT>(values.size());
    if ((wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argumentError = 0;
    HRESULT hr = dispatch->Invoke(dwDispID, IID_NULL, 0, wFlags, &parameters, vtRet != VT_EMPTY ? &result : nullptr,
                                  &exception, &argumentError);
    for (VARIANT &value : values)
        if (value.vt == VT_BSTR)
            VariantClear(&value);
    if (hr == DISP_E_EXCEPTION) {
        auto *error = new COleDispatchException(nullptr, exception.dwHelpContext, exception.wCode);
        if (exception.bstrDescription != nullptr)
            error->m_strDescription = CString(exception.bstrDescription);
        if (exception.bstrSource != nullptr)
            error->m_strSource = CString(exception.bstrSource);
        error->m_scError = exception.scode;
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrHelpFile);
        VariantClear(&result);
        throw error;
    }
    if (FAILED(hr)) {
        VariantClear(&result);
        AfxThrowOleException(hr);
    }
    StoreResult(result, vtRet, pvRet);
}
