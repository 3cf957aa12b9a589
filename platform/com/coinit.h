// Starting and ending COM on a thread.
//
// Apartments are not modelled: every object may be called from every thread, and
// nothing is marshalled, so the concurrency model that a thread asks for changes
// nothing. The calls are still counted per thread, so that they answer as the
// platform's do (S_FALSE when the thread had COM started already).
#pragma once

#include "comdecl.h"

enum COINIT {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
    COINIT_DISABLE_OLE1DDE = 0x4,
    COINIT_SPEED_OVER_MEMORY = 0x8,
};

// `pvReserved` must be NULL; E_INVALIDARG for flags other than the COINIT_ ones.
STDAPI CoInitialize(LPVOID pvReserved);
STDAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
STDAPI_(void) CoUninitialize();
