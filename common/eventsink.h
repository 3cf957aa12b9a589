// The base of the framework's event sinks: a dispatch sink of one event interface that
// remembers the source it was advised on.
//
// The sink keeps a reference on its source while it is connected, so that ending the
// connection stays safe when everyone else has let the source go already (a control
// destroyed after the debug-server object was released, for example).
#pragma once

#include <atlbase.h>

#include "eventsinkadvise.h"

template <class T, const IID *pdiid, const GUID *plibid>
class CQelEventSink : public IDispEventImpl<0, T, pdiid, plibid, 1, 0> {
public:
    CQelEventSink() = default;
    virtual ~CQelEventSink() { Unadvise(); }

    // Connects the sink to `source`, first ending a connection made before. TRUE when the
    // new connection was made.
    BOOL Advise(IUnknown *source)
    {
        Unadvise();
        if (source == nullptr)
            return FALSE;
        DWORD cookie = kSinkNotConnected;
        if (FAILED(AdviseEventSink(source, *pdiid, this->QelSinkUnknown(), &cookie)))
            return FALSE;
        this->m_dwEventCookie = cookie;
        m_source = source;
        return TRUE;
    }

    // TRUE at once when not connected; else TRUE when the source ended the connection.
    // Not connected afterwards in either case.
    BOOL Unadvise()
    {
        if (this->m_dwEventCookie == kSinkNotConnected)
            return TRUE;
        HRESULT hr = UnadviseEventSink(m_source, *pdiid, &this->m_dwEventCookie);
        m_source.Release();
        return SUCCEEDED(hr);
    }

    BOOL IsAdvised() const { return this->m_dwEventCookie != kSinkNotConnected; }
    IUnknown *GetEventSource() const { return m_source; }

private:
    CComPtr<IUnknown> m_source;
};
