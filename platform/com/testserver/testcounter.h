// The one class of the test server library: a counter, with the identifiers that the
// tests and the library share.
#pragma once

#include "ole2.h"

interface ITestCounter;
QEL_DEFINE_IID(ITestCounter, 0x5E0C1A01, 0x7B2D, 0x4C3E, 0x9F, 0x10, 0x2A, 0x3B, 0x4C, 0x5D, 0x6E, 0x7F);

interface ITestCounter : public IUnknown {
    // Adds one and gives the new count.
    STDMETHOD(Increment)(LONG *count) PURE;
    // The server's name as a BSTR, made by the COM layer that the host and the server share.
    STDMETHOD(GetName)(BSTR *name) PURE;
    // How many counters the library has made since it was loaded.
    STDMETHOD(GetInstancesMade)(LONG *count) PURE;
};

DEFINE_GUID(CLSID_TestCounter, 0x5E0C1A02, 0x7B2D, 0x4C3E, 0x9F, 0x10, 0x2A, 0x3B, 0x4C, 0x5D, 0x6E, 0x7F);
