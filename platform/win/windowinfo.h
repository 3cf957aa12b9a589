// What the system asks about windows: whether a handle is one, its text, its thread, the
// top-level windows and the desktop.
#pragma once

#include "basetypes.h"

typedef BOOL(CALLBACK *WNDENUMPROC)(HWND window, LPARAM parameter);

// TRUE for a live window of any thread (the desktop among them), also while it is being
// destroyed; FALSE for anything else, a destroyed window's handle among them.
BOOL IsWindow(HWND window);

// The window's text (its title, as last set) in `text`, at most `maxCount` - 1
// characters and a terminator; answers the count copied. 0 for an empty text, for
// `maxCount` below 1, and with ERROR_INVALID_WINDOW_HANDLE for a handle that is not a
// window. The text is read, not asked for with WM_GETTEXT, as Windows does for windows of
// other threads.
int GetWindowTextA(HWND window, LPSTR text, int maxCount);

// The identifier of the window's thread, and the process's identifier in `*processId`
// when that is given. 0 with ERROR_INVALID_WINDOW_HANDLE for a handle that is not a
// window; 0 (and process 0) for the desktop, which no thread of this process owns.
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);

// Calls `callback` for each top-level window (every window that is not a child window,
// the desktop excepted), the most recently made first, until it answers FALSE. Windows
// destroyed during the walk are passed over. FALSE when the callback stopped the walk or
// without a callback (ERROR_INVALID_PARAMETER).
BOOL EnumWindows(WNDENUMPROC callback, LPARAM parameter);

HWND GetDesktopWindow();

// The name of an ANSI build, which the system's code uses.
inline int GetWindowText(HWND window, LPSTR text, int maxCount)
{
    return GetWindowTextA(window, text, maxCount);
}
