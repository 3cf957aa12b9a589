#include "hostperiodeditor.h"

#include <qelperiodeditor.h>

#include <cstdio>
#include <map>
#include <mutex>

namespace QelHost {

namespace {

// The queue entries that the windows' trees use.
constexpr LONG kEntryKind = 4;
constexpr LONG kEntrySubKind = 2;

struct EditorWindows {
    std::mutex lock;
    std::map<HWND, IDispatch *> editors; // the editor's own pointer while its window lives
};

EditorWindows &Windows()
{
    static EditorWindows windows;
    return windows;
}

// An exception of the editor as Invoke hands it to its caller.
HRESULT Raise(EXCEPINFO *exception, HRESULT code, const char16_t *description)
{
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = code;
        exception->bstrSource = SysAllocString(u"QelPeriodEditor");
        exception->bstrDescription = SysAllocString(description);
    }
    return DISP_E_EXCEPTION;
}

// The one argument of a put or a method, converted to `type`.
HRESULT Argument(const DISPPARAMS *parameters, VARTYPE type, VARIANT *value, UINT *argumentError)
{
    if (parameters == nullptr || parameters->cArgs != 1)
        return DISP_E_BADPARAMCOUNT;
    VariantInit(value);
    if (FAILED(VariantChangeType(value, &parameters->rgvarg[0], 0, type))) {
        if (argumentError != nullptr)
            *argumentError = 0;
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

} // namespace

void CHostPeriodEditor::FinalRelease()
{
    HoldEntry(0);
}

void CHostPeriodEditor::HoldEntry(LONG entry)
{
    CComQIPtr<IQelRefreshQueue> queue(m_debugServer);
    if (m_entry != 0 && m_entry != entry && queue != nullptr)
        queue->ReleaseEntry(m_entry);
    m_entry = entry;
}

bool CHostPeriodEditor::RunningAccess()
{
    CComQIPtr<IQelMemoryAccess> holder(m_debugServer);
    CComPtr<IQelMemoryAccessObject> access;
    if (holder == nullptr || FAILED(holder->GetMemoryAccess(&access)) || access == nullptr)
        return false;
    for (LONG property : {289, 278}) {
        LONG value = 0;
        if (SUCCEEDED(access->GetProperty(1, property, &value)) && value != 0)
            return true;
    }
    return false;
}

HRESULT CHostPeriodEditor::Entry(LONG *entry)
{
    CComQIPtr<IQelRefreshQueue> queue(m_debugServer);
    if (queue == nullptr)
        return E_FAIL;
    const LONG running = RunningAccess() ? m_running : 0;
    auto matches = [&](LONG candidate) {
        LONG first = -1, second = -1;
        return SUCCEEDED(queue->GetPeriod(candidate, QEL_PERIOD_RUNNING, &first)) &&
               SUCCEEDED(queue->GetPeriod(candidate, QEL_PERIOD_HOLDED, &second)) && first == running &&
               second == m_holded;
    };
    if (m_entry != 0 && matches(m_entry)) {
        *entry = m_entry;
        return S_OK;
    }
    LONG candidate = 0;
    while (queue->NextEntry(kEntryKind, kEntrySubKind, candidate, &candidate) == S_OK && candidate != 0) {
        if (matches(candidate)) {
            HoldEntry(candidate); // with the reference that the enumeration gave
            *entry = candidate;
            return S_OK;
        }
        queue->ReleaseEntry(candidate);
    }
    LONG made = 0;
    HRESULT hr = queue->CreateEntry(kEntryKind, kEntrySubKind, &made);
    if (SUCCEEDED(hr))
        hr = queue->SetPeriod(made, QEL_PERIOD_HOLDED, m_holded);
    if (SUCCEEDED(hr))
        hr = queue->SetPeriod(made, QEL_PERIOD_RUNNING, running);
    if (FAILED(hr)) {
        if (made != 0)
            queue->ReleaseEntry(made);
        return hr;
    }
    HoldEntry(made);
    *entry = made;
    return S_OK;
}

HRESULT CHostPeriodEditor::OnDraw(ATL_DRAWINFO &di)
{
    const RECT &bounds = *reinterpret_cast<const RECT *>(di.prcBounds);
    HBRUSH brush = ::CreateSolidBrush(m_backColor);
    ::FillRect(di.hdcDraw, &bounds, brush);
    ::DeleteObject(brush);
    char text[64];
    std::snprintf(text, sizeof text, "Running: %d ms\nHolded: %d ms", static_cast<int>(m_running),
                  static_cast<int>(m_holded));
    RECT place{bounds.left + 4, bounds.top + 4, bounds.right - 4, bounds.bottom - 4};
    ::SetBkMode(di.hdcDraw, TRANSPARENT);
    ::DrawTextA(di.hdcDraw, text, -1, &place, DT_LEFT | DT_TOP);
    return S_OK;
}

LRESULT CHostPeriodEditor::OnCreate(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    EditorWindows &windows = Windows();
    std::lock_guard<std::mutex> hold(windows.lock);
    windows.editors[m_hWnd] = static_cast<IDispatch *>(this);
    bHandled = FALSE;
    return 0;
}

LRESULT CHostPeriodEditor::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
    EditorWindows &windows = Windows();
    std::lock_guard<std::mutex> hold(windows.lock);
    windows.editors.erase(m_hWnd);
    bHandled = FALSE;
    return 0;
}

STDMETHODIMP CHostPeriodEditor::GetTypeInfoCount(UINT *pctinfo)
{
    if (pctinfo == nullptr)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CHostPeriodEditor::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS *pDispParams,
                                       VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr)
{
    const bool get = (wFlags & DISPATCH_PROPERTYGET) != 0, put = (wFlags & DISPATCH_PROPERTYPUT) != 0;
    VARIANT value;
    HRESULT hr = S_OK;
    auto answer = [&](const VARIANT &result) {
        if (pVarResult != nullptr)
            return VariantCopy(pVarResult, &result);
        return S_OK;
    };
    switch (dispIdMember) {
    case DISPID_PERIODEDITOR_ENTRY: {
        if (!get)
            return DISP_E_MEMBERNOTFOUND;
        LONG entry = 0;
        if (FAILED(Entry(&entry)))
            return Raise(pExcepInfo, E_FAIL, u"The debug server offers no refresh queue.");
        return answer(CComVariant(entry));
    }
    case DISPID_PERIODEDITOR_SETDEBUGSERVER:
        if ((wFlags & DISPATCH_METHOD) == 0)
            return DISP_E_MEMBERNOTFOUND;
        hr = Argument(pDispParams, VT_UNKNOWN, &value, puArgErr);
        if (FAILED(hr))
            return hr;
        HoldEntry(0);
        m_debugServer = value.punkVal;
        VariantClear(&value);
        return S_OK;
    case DISPID_PERIODEDITOR_RUNNING:
    case DISPID_PERIODEDITOR_HOLDED:
    case DISPID_BACKCOLOR: {
        LONG &field = dispIdMember == DISPID_PERIODEDITOR_RUNNING ? m_running
                      : dispIdMember == DISPID_PERIODEDITOR_HOLDED ? m_holded
                                                                   : reinterpret_cast<LONG &>(m_backColor);
        if (put) {
            hr = Argument(pDispParams, VT_I4, &value, puArgErr);
            if (FAILED(hr))
                return hr;
            if (value.lVal < 0 && dispIdMember != DISPID_BACKCOLOR)
                return Raise(pExcepInfo, E_INVALIDARG, u"A period is no less than 0 ms.");
            field = value.lVal;
            FireViewChange();
            return S_OK;
        }
        if (!get)
            return DISP_E_MEMBERNOTFOUND;
        return answer(CComVariant(field));
    }
    case DISPID_FONT:
        if (put) {
            hr = Argument(pDispParams, VT_DISPATCH, &value, puArgErr);
            if (FAILED(hr))
                return hr;
            m_font = value.pdispVal;
            VariantClear(&value);
            return S_OK;
        }
        if (!get)
            return DISP_E_MEMBERNOTFOUND;
        return answer(CComVariant(m_font.p));
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT RegisterPeriodEditor(DWORD *pCookie)
{
    if (pCookie == nullptr)
        return E_POINTER;
    *pCookie = 0;
    CComPtr<IClassFactory> factory;
    HRESULT hr = CHostPeriodEditor::_ClassFactoryCreatorClass::CreateInstance(
        reinterpret_cast<void *>(&CHostPeriodEditor::_CreatorClass::CreateInstance), IID_IClassFactory,
        reinterpret_cast<void **>(&factory));
    if (SUCCEEDED(hr))
        hr = CoRegisterClassObject(CLSID_QelPeriodEditor, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, pCookie);
    return hr;
}

CComPtr<IDispatch> HostControlDispatch(HWND window)
{
    EditorWindows &windows = Windows();
    std::lock_guard<std::mutex> hold(windows.lock);
    auto found = windows.editors.find(window);
    return found != windows.editors.end() ? CComPtr<IDispatch>(found->second) : CComPtr<IDispatch>();
}

} // namespace QelHost
