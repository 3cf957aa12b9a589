// Making and destroying windows.
//
// A window belongs to the thread that makes it: its messages are handled there, and only
// that thread destroys it. There is no display: position and size are kept
// (windowgeometry.h), nothing is drawn.
#pragma once

#include "basetypes.h"

#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L

// The child does not tell its parent of its creation and destruction (nor does any
// window here).
#define WS_EX_NOPARENTNOTIFY 0x00000004L

// In place of a position or size: the system chooses, here the origin and no size.
#define CW_USEDEFAULT ((int)0x80000000)

typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;
typedef CREATESTRUCTA CREATESTRUCT;
typedef LPCREATESTRUCTA LPCREATESTRUCT;

// Makes a window of a registered class on the calling thread. Its procedure gets
// WM_NCCREATE and then WM_CREATE, each with the CREATESTRUCTA in lParam, before the call
// returns; FALSE from the first or -1 from the second destroys the window again and the
// call answers NULL. `name` is the window's text (its title). A child window (WS_CHILD)
// needs a parent, and `menu` is its identifier; the parent of any other window is its
// owner. `x`, `y`, `width` and `height` place it in its parent's client area (a child)
// or on the screen; a negative size is taken as 0. No WM_SIZE comes with the creation. Both must be windows of
// the calling thread, since only it could destroy them with theirs. NULL with
// ERROR_CANNOT_FIND_WND_CLASS, ERROR_TLW_WITH_WSCHILD, ERROR_INVALID_WINDOW_HANDLE (the
// parent), ERROR_ACCESS_DENIED (a parent of another thread) or ERROR_NOT_ENOUGH_MEMORY
// (65535 windows exist).
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR name, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);

// Destroys the window: it loses the focus and the activation (which goes to its owner),
// WM_DESTROY to it, then its child and owned windows are destroyed,
// then WM_NCDESTROY to it. Afterwards its handle is refused everywhere, what was posted to
// it is dropped and what was sent to it from other threads is answered 0. FALSE with
// ERROR_INVALID_WINDOW_HANDLE for a handle that is not a live window, ERROR_ACCESS_DENIED
// for a window of another thread or the desktop. A window whose destruction has begun is
// not destroyed again (TRUE).
BOOL DestroyWindow(HWND window);

// The name of an ANSI build, which the system's code uses.
inline HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR name, DWORD style, int x, int y, int width,
                           int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter)
{
    return CreateWindowExA(exStyle, className, name, style, x, y, width, height, parent, menu, instance, parameter);
}
