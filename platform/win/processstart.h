// Starting programs: CreateProcessA, WaitForInputIdle and their structures.
//
// A program is started as itself: the application name is the path of the file to run,
// with no search and no shell, and it gets that path as its only argument. It inherits
// nothing of this layer but its standard input, output and error. A child that has
// ended is always reaped, whether its handles are still open or not.
#pragma once

#include "basetypes.h"
#include "handles.h"

#define NORMAL_PRIORITY_CLASS 0x00000020
#define STARTF_USESHOWWINDOW 0x00000001
#define STARTF_FORCEONFEEDBACK 0x00000040

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;
typedef STARTUPINFOA STARTUPINFO;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// Starts `applicationName`. A command line, an environment, a folder, inherited handles or
// creation flags other than NORMAL_PRIORITY_CLASS are refused (ERROR_INVALID_PARAMETER);
// the show state is taken and has nothing to show. ERROR_FILE_NOT_FOUND (or the error of
// the start) when the program cannot be started. The process handle is signalled when
// the child has ended; both handles are closed with CloseHandle.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);

// 0 once the child's message loop has first waited for input (a program on this layer
// reports it through the descriptor that QEL_INPUT_IDLE_FD names in its environment);
// WAIT_TIMEOUT when it has not within `milliseconds` (a program of another kind never
// reports it); WAIT_FAILED when the child ended first or the handle is not a process
// that CreateProcessA started.
DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds);

// STILL_ACTIVE while the child runs, then its exit status (128 + the signal for a child
// that a signal ended).
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

inline BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                          LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                          LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                          LPPROCESS_INFORMATION processInformation)
{
    return CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes, inheritHandles,
                          creationFlags, environment, currentDirectory, startupInfo, processInformation);
}

namespace qelwin {
// Called by a message loop that is about to wait: tells the parent, once, that this
// program is ready for input.
void ReportInputIdle();
} // namespace qelwin
