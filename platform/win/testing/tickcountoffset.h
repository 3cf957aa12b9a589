// For tests: time that passes for GetTickCount without waiting for it.
#pragma once

#include "basetypes.h"

// Every later GetTickCount answers `milliseconds` more (process-wide; it adds up).
// Sleep and timers are not affected.
void QelAdvanceTickCount(DWORD milliseconds);
