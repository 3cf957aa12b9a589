// Event objects.
#pragma once

#include "basetypes.h"
#include "handles.h"

// A new event: manual reset (stays signalled until ResetEvent) or auto reset (a wait that
// succeeds clears it again, so one SetEvent releases one waiter), signalled or not at the
// start. The security attributes are ignored. Events are unnamed in this layer: a name
// fails with NULL and ERROR_NOT_SUPPORTED, since no caller shares an event by name.
// Closed with CloseHandle.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);

// FALSE with ERROR_INVALID_HANDLE when the handle is not a live event.
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
