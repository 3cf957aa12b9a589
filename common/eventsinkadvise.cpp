#include "eventsinkadvise.h"

#include <atlbase.h>

HRESULT AdviseEventSink(IUnknown *source, REFIID iid, IUnknown *sink, DWORD *cookie)
{
    if (cookie == nullptr)
        return E_POINTER;
    HRESULT hr = AtlAdvise(source, sink, iid, cookie);
    if (FAILED(hr))
        *cookie = kSinkNotConnected;
    return hr;
}

HRESULT UnadviseEventSink(IUnknown *source, REFIID iid, DWORD *cookie)
{
    if (cookie == nullptr)
        return E_POINTER;
    if (*cookie == kSinkNotConnected)
        return S_OK;
    HRESULT hr = AtlUnadvise(source, iid, *cookie);
    *cookie = kSinkNotConnected;
    return hr;
}
