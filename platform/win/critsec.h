// Critical sections: the lock of one process.
//
// As on Windows, the owner thread may enter again and must leave as often as it entered.
// The section is a POSIX mutex with the owner's thread id and an entry count beside it.
// Two things that Windows leaves to chance are made safe: LeaveCriticalSection by a thread
// that does not own the section does nothing (instead of releasing another thread's lock),
// and a section is never found owned by a thread that has left it.
#pragma once

#include "basetypes.h"

#include <pthread.h>

typedef struct _RTL_CRITICAL_SECTION {
    pthread_mutex_t Mutex;
    DWORD OwningThread;  // GetCurrentThreadId of the owner; 0 while free
    LONG RecursionCount; // entries of the owner not yet left
} CRITICAL_SECTION, *LPCRITICAL_SECTION, *PCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);

// Not while any thread owns or waits for it, as on Windows.
void DeleteCriticalSection(LPCRITICAL_SECTION section);

void EnterCriticalSection(LPCRITICAL_SECTION section);

// Enters without waiting: TRUE when the section was free or already the caller's.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);

void LeaveCriticalSection(LPCRITICAL_SECTION section);
