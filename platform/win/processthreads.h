// Identities of the calling thread and process.
#pragma once

#include "basetypes.h"

// Linux's thread id (gettid): unique in the system while the thread lives, and never 0.
DWORD GetCurrentThreadId();

DWORD GetCurrentProcessId();
