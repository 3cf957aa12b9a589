#include "processthreads.h"

#include <unistd.h>

DWORD GetCurrentThreadId()
{
    // The system call is cheap, but the request engine asks on every lock; keep it.
    static thread_local DWORD id = static_cast<DWORD>(gettid());
    return id;
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(getpid());
}
