// The base of the framework's event sinks: a dispatch sink of one event interface that
// remembers the source it was advised on.
//
// The sink keeps a reference on its source while it is connected, so that ending the
// connection stays safe when everyone else has let the source go already (a control
// destroyed after the debug-server object was released, for example).
//
// The source is given a relay of the sink (eventsinkrelay.h), never the sink itself, so
// a source that fires on another thread cannot call into a sink that is going: once
// Unadvise has returned, no event reaches the sink, and a call that was in progress has
// returned. Unadvise therefore waits for such a call, so a handler must not wait for the
// thread that ends the connection. A class whose events come on another thread ends the
// connection in its own destructor, before its members go; the base's destructor would be
// too late for the class's handlers.
#pragma once

#include <atlbase.h>

#include "eventsinkadvise.h"
#include "eventsinkrelay.h"

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
        // Each connection has a relay of its own: the one of an earlier connection may
        // still be held by its source, cut.
        CComPtr<Relay> relay;
        relay.Attach(new Relay(static_cast<T *>(this)));
        DWORD cookie = kSinkNotConnected;
        if (FAILED(AdviseEventSink(source, *pdiid, relay, &cookie))) {
            relay->Cut();
            return FALSE;
        }
        this->m_dwEventCookie = cookie;
        m_source = source;
        m_relay = relay;
        return TRUE;
    }

    // TRUE at once when not connected; else TRUE when the source ended the connection.
    // Not connected afterwards in either case, and no event reaches the sink any more.
    BOOL Unadvise()
    {
        if (this->m_dwEventCookie == kSinkNotConnected)
            return TRUE;
        m_relay->Cut();
        HRESULT hr = UnadviseEventSink(m_source, *pdiid, &this->m_dwEventCookie);
        m_relay.Release();
        m_source.Release();
        return SUCCEEDED(hr);
    }

    BOOL IsAdvised() const { return this->m_dwEventCookie != kSinkNotConnected; }
    IUnknown *GetEventSource() const { return m_source; }

private:
    typedef CQelSinkRelay<T, pdiid> Relay;

    CComPtr<IUnknown> m_source;
    CComPtr<Relay> m_relay;
};
