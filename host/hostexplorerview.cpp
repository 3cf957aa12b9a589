#include "hostexplorerview.h"

#include "hostreports.h"
#include "qelhostscript.h"

namespace QelHost {

STDMETHODIMP CHostExplorerView::SignalLoadingPrgFile(LONG bLoaded, LONG lProgId)
{
    ExplorerViewCall call;
    call.method = "SignalLoadingPrgFile";
    call.loaded = bLoaded;
    call.programId = lProgId;
    m_calls.push_back(call);
    return S_OK;
}

// Read as the explorer reads them: the names' array, and the numbers' data in storage
// order whatever the dimensions; the arrays stay the caller's.
STDMETHODIMP CHostExplorerView::SignalBreakpoints(VARIANT vsNames, VARIANT vsValues)
{
    ExplorerViewCall call;
    call.method = "SignalBreakpoints";
    call.wellFormed = vsNames.vt == (VT_ARRAY | VT_BSTR) && vsValues.vt == (VT_ARRAY | VT_I4) && vsNames.parray &&
                      vsValues.parray && SafeArrayGetDim(vsNames.parray) == 1;
    if (call.wellFormed) {
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(vsNames.parray, 1, &lower);
        SafeArrayGetUBound(vsNames.parray, 1, &upper);
        for (LONG i = lower; i <= upper; ++i) {
            BSTR name = nullptr;
            if (SUCCEEDED(SafeArrayGetElement(vsNames.parray, &i, &name))) {
                call.names.push_back(AnsiText(name ? name : u""));
                SysFreeString(name);
            }
        }
        ULONG elements = 1;
        for (UINT d = 1; d <= SafeArrayGetDim(vsValues.parray); ++d) {
            LONG low = 0, high = -1;
            SafeArrayGetLBound(vsValues.parray, d, &low);
            SafeArrayGetUBound(vsValues.parray, d, &high);
            call.dimensions.push_back(static_cast<ULONG>(high - low + 1));
            elements *= static_cast<ULONG>(high - low + 1);
        }
        LONG *data = nullptr;
        if (SUCCEEDED(SafeArrayAccessData(vsValues.parray, reinterpret_cast<void **>(&data)))) {
            call.numbers.assign(data, data + elements);
            SafeArrayUnaccessData(vsValues.parray);
        }
    }
    m_calls.push_back(call);
    return S_OK;
}

HostViewFactory ExplorerViewFactory()
{
    return [](IUnknown **view, CHostView **object) {
        *view = nullptr;
        *object = nullptr;
        CComObject<CHostExplorerView> *explorer = nullptr;
        HRESULT hr = CComObject<CHostExplorerView>::CreateInstance(&explorer);
        if (FAILED(hr))
            return hr;
        hr = explorer->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(view));
        if (SUCCEEDED(hr))
            *object = explorer;
        return hr;
    };
}

std::string ExplorerCallText(const ExplorerViewCall &call)
{
    std::string text = call.method;
    if (call.method == "SignalLoadingPrgFile")
        return text + " " + std::to_string(call.loaded) + " " + std::to_string(call.programId);
    if (!call.wellFormed)
        return text + " malformed";
    for (const std::string &name : call.names)
        text += " " + QuoteText(name, false);
    text += " |";
    std::string dimensions;
    for (ULONG count : call.dimensions)
        dimensions += (dimensions.empty() ? "" : "x") + std::to_string(count);
    text += " " + dimensions;
    for (LONG number : call.numbers)
        text += " " + std::to_string(number);
    return text;
}

} // namespace QelHost
