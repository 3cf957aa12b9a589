// Connecting an event sink to an event source through the source's connection points.
#pragma once

#include <ole2.h>

// The cookie of a sink that is not connected.
constexpr DWORD kSinkNotConnected = 0xFEFEFEFE;

// Connects `sink` to the point of `iid` of `source`; *cookie gets the connection's cookie,
// or kSinkNotConnected when it failed. E_POINTER without a cookie.
HRESULT AdviseEventSink(IUnknown *source, REFIID iid, IUnknown *sink, DWORD *cookie);

// Ends the connection of *cookie at the point of `iid` of `source`; *cookie is
// kSinkNotConnected afterwards, also when the source refused. S_OK at once, without
// asking the source, when the cookie is not connected.
HRESULT UnadviseEventSink(IUnknown *source, REFIID iid, DWORD *cookie);
