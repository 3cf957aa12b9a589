// The focus and the active window.
//
// Each thread has its own: the window that takes its keyboard input (the focus, any
// window of the thread) and its active window (a top-level window: a dialog, a frame).
// Showing a top-level window activates it; hiding or destroying the active window
// activates its owner, or none when it has no owner. A hidden or destroyed window loses
// the focus, also when the focus is on one of its children; then no window has it.
#pragma once

#include "basetypes.h"

#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008

// Gives the focus to a window of the calling thread (NULL: to none) and activates the
// top-level window that holds it. WM_KILLFOCUS goes to the window that loses the focus
// (wParam: the one that gets it), then WM_SETFOCUS to the one that gets it (wParam: the
// one that lost it); nothing happens when it has the focus already. Answers the window
// that had it. NULL with ERROR_INVALID_WINDOW_HANDLE for a handle that is not a live
// window, ERROR_ACCESS_DENIED for a window of another thread.
HWND SetFocus(HWND window);

// The calling thread's focus, or NULL.
HWND GetFocus();

// Makes a top-level window of the calling thread (NULL: none) its active window and
// answers the one that was. NULL with ERROR_INVALID_WINDOW_HANDLE for a handle that is not
// a live top-level window of the calling thread.
HWND SetActiveWindow(HWND window);

// The calling thread's active window, or NULL.
HWND GetActiveWindow();
