#include "critsec.h"

#include "processthreads.h"

// OwningThread is read by threads that do not hold the mutex, so it is read and written
// atomically. A thread can only ever find its own id there if it put it there itself,
// which is why a relaxed read suffices to tell "mine" from "not mine".
static DWORD Owner(LPCRITICAL_SECTION section)
{
    return __atomic_load_n(&section->OwningThread, __ATOMIC_RELAXED);
}

static void TakeOwnership(LPCRITICAL_SECTION section, DWORD me)
{
    __atomic_store_n(&section->OwningThread, me, __ATOMIC_RELAXED);
    section->RecursionCount = 1;
}

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutex_init(&section->Mutex, nullptr);
    section->OwningThread = 0;
    section->RecursionCount = 0;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutex_destroy(&section->Mutex);
    section->OwningThread = 0;
    section->RecursionCount = 0;
}

void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    DWORD me = GetCurrentThreadId();
    if (Owner(section) == me) {
        ++section->RecursionCount;
        return;
    }
    pthread_mutex_lock(&section->Mutex);
    TakeOwnership(section, me);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    DWORD me = GetCurrentThreadId();
    if (Owner(section) == me) {
        ++section->RecursionCount;
        return TRUE;
    }
    if (pthread_mutex_trylock(&section->Mutex) != 0)
        return FALSE;
    TakeOwnership(section, me);
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    if (Owner(section) != GetCurrentThreadId())
        return;
    if (--section->RecursionCount > 0)
        return;
    __atomic_store_n(&section->OwningThread, 0u, __ATOMIC_RELAXED);
    pthread_mutex_unlock(&section->Mutex);
}
