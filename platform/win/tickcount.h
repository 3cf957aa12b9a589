// Milliseconds: the tick count and sleeping.
#pragma once

#include "basetypes.h"

// Milliseconds since the system started (Linux's CLOCK_BOOTTIME, which keeps counting
// through suspend as Windows' tick count does). It wraps to 0 after 2^32 ms, about 49.7
// days, so callers measure intervals with an unsigned subtraction, never a comparison.
DWORD GetTickCount();

// Suspends the calling thread for at least `milliseconds`; INFINITE never returns, and 0
// gives up the rest of the time slice.
void Sleep(DWORD milliseconds);
