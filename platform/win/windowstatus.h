// The state of a window as GetWindowInfo tells it, and the foreground window.
//
// A window with WS_BORDER and no WS_DLGFRAME has borders of 1 pixel and its client
// rectangle lies inside them; any other window's client rectangle is its window
// rectangle. The foreground window is the top-level window that SetForegroundWindow last
// named (the one the user would be working in); it alone has an active caption, and until
// a window is named, or after it is destroyed, none has.
#pragma once

#include "basetypes.h"

#define WS_ACTIVECAPTION 0x0001

typedef struct tagWINDOWINFO {
    DWORD cbSize;
    RECT rcWindow;
    RECT rcClient;
    DWORD dwStyle;
    DWORD dwExStyle;
    DWORD dwWindowStatus; // WS_ACTIVECAPTION for the foreground window, else 0
    UINT cxWindowBorders;
    UINT cyWindowBorders;
    ATOM atomWindowType;
    WORD wCreatorVersion;
} WINDOWINFO, *PWINDOWINFO, *LPWINDOWINFO;

// Fills `info` for a live window: its styles, its status, its rectangles on the screen,
// its borders. FALSE with ERROR_INVALID_WINDOW_HANDLE for a handle that is not
// a window, ERROR_INVALID_PARAMETER for a NULL `info`.
BOOL GetWindowInfo(HWND window, PWINDOWINFO info);

// Makes a top-level window (of any thread of the process) the foreground window and the
// active window of its thread; FALSE for a handle that is not a window, a child window or
// the desktop.
BOOL SetForegroundWindow(HWND window);

// The foreground window, or NULL when none is named or it was destroyed.
HWND GetForegroundWindow();
