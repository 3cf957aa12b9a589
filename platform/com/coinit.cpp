#include "coinit.h"

namespace {

// How often the calling thread has started COM and not yet ended it.
thread_local LONG initCount = 0;

constexpr DWORD kKnownFlags =
    COINIT_MULTITHREADED | COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

} // namespace

STDAPI CoInitialize(LPVOID pvReserved)
{
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

STDAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit)
{
    if (pvReserved || (dwCoInit & ~kKnownFlags))
        return E_INVALIDARG;
    return initCount++ == 0 ? S_OK : S_FALSE;
}

STDAPI_(void) CoUninitialize()
{
    if (initCount > 0)
        initCount--;
}
