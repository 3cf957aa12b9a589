// Waiting for kernel objects.
#pragma once

#include "basetypes.h"
#include "winerror.h"

#define WAIT_OBJECT_0 ((DWORD)0x00000000L)
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
// WAIT_TIMEOUT is an error code too, so it stands in winerror.h as on Windows.

// Waits until the object is signalled (WAIT_OBJECT_0) or `milliseconds` have passed
// (WAIT_TIMEOUT); INFINITE waits for ever, 0 only tests. WAIT_FAILED with
// ERROR_INVALID_HANDLE when the handle is not a live object that can be waited for.
// A wait for an auto-reset event takes its signal.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
