// Threads as kernel objects: CreateThread and what the system does with thread handles.
//
// A thread runs on a POSIX thread of its own. Its handle is signalled when the thread has
// ended, after the destructors of its thread-local objects have run (so its message
// queue, its error information and the like are gone), and keeps the exit code until
// CloseHandle. The thread's identifier is the one GetCurrentThreadId answers inside it.
#pragma once

#include "basetypes.h"
#include "handles.h"

typedef DWORD(WINAPI *PTHREAD_START_ROUTINE)(LPVOID parameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

#define CREATE_SUSPENDED 0x00000004
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000

// GetExitCodeThread's answer while the thread runs.
#define STILL_ACTIVE 259

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15

// Starts `start`(`parameter`) on a new thread and answers its handle (closed with
// CloseHandle), with its identifier in `*threadId` when that is given. CREATE_SUSPENDED
// holds the thread before `start` until ResumeThread. A stack size larger than the
// system's default is given to the thread; a smaller one gets the default, which is never
// less than Windows would give. The security attributes are ignored. NULL with
// ERROR_NOT_SUPPORTED for any other flag, or ERROR_NOT_ENOUGH_MEMORY when no thread can
// be made.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);

// Lets a thread made with CREATE_SUSPENDED run. Answers the suspend count before the call
// (1 for a held thread, 0 for one already running), or (DWORD)-1 with
// ERROR_INVALID_HANDLE.
DWORD ResumeThread(HANDLE thread);

// Ends the calling thread with `exitCode`. The stack is unwound, so destructors run, and
// the thread's handle is signalled as when its start function returns. Only for threads
// made by CreateThread; any other thread just ends.
[[noreturn]] void ExitThread(DWORD exitCode);

// STILL_ACTIVE while the thread runs, then its exit code. FALSE with ERROR_INVALID_HANDLE
// when the handle is not a live thread handle, ERROR_INVALID_PARAMETER without `exitCode`.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

// Takes one of the THREAD_PRIORITY_ values for a thread handle or GetCurrentThread; FALSE
// with ERROR_INVALID_PARAMETER for any other value, ERROR_INVALID_HANDLE for a handle that
// is not a thread.
//
// The priority is checked and accepted but Linux's scheduler is not told: an unprivileged
// process may lower a thread's priority but never raise it again, and the system's worker
// drops to idle priority whenever its queue is empty and rises again with the next
// request. Lowering for good would starve the worker behind any busy thread.
BOOL SetThreadPriority(HANDLE thread, int priority);

// The pseudo handle that means "the calling thread" to SetThreadPriority. It is not in
// the handle table: it cannot be waited for or closed.
HANDLE GetCurrentThread();
