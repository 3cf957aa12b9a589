// The calling thread's last error code, as Win32 keeps it.
//
// Functions of this layer that fail set it to an ERROR_ code; as on Windows, a function
// that succeeds does not promise to clear it, so callers read it only after a failure.
#pragma once

#include "basetypes.h"

DWORD GetLastError();
void SetLastError(DWORD errorCode);
