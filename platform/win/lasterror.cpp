#include "lasterror.h"

// One code per thread, so that a failure on one thread never shows through on another.
static thread_local DWORD lastError = 0;

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD errorCode)
{
    lastError = errorCode;
}
