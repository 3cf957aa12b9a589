#include "tickcount.h"

#include "testing/tickcountoffset.h"

#include <atomic>

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <unistd.h>

namespace {

std::atomic<DWORD> g_tickOffset{0};

} // namespace

void QelAdvanceTickCount(DWORD milliseconds)
{
    g_tickOffset += milliseconds;
}

DWORD GetTickCount()
{
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    ULONGLONG ms = static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms) + g_tickOffset.load();
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            pause();
    }
    timespec left;
    left.tv_sec = milliseconds / 1000;
    left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    // A signal handler interrupts nanosleep; the remaining time is slept out, since the
    // caller was promised the whole interval.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
