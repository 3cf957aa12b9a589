// The changeable state of a window: its text, its styles, its parent and identifier, its
// window words and its procedure.
//
// Texts go through messages, as on Windows: SetWindowTextA sends WM_SETTEXT, which
// DefWindowProcA keeps, so a control can watch its text change. A window is visible when
// it and every parent has WS_VISIBLE; WS_DISABLED keeps a control from being clicked.
// The state may be read from any thread.
#pragma once

#include "basetypes.h"
#include "windowclass.h"

#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E

#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_VSCROLL 0x00200000L

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_SHOWNA 8

#define GWLP_WNDPROC (-4)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
// A dialog's window words: the result of the message it handles, its dialog procedure,
// and a word for its user.
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC ((int)sizeof(LRESULT))
#define DWLP_USER (DWLP_DLGPROC + (int)sizeof(void *))
#define DLGWINDOWEXTRA (3 * (int)sizeof(LONG_PTR))

// Sends WM_SETTEXT; TRUE when the window took the text. NULL sets "".
BOOL SetWindowTextA(HWND window, LPCSTR text);

// The length of the window's text; 0 with ERROR_INVALID_WINDOW_HANDLE for no window.
int GetWindowTextLengthA(HWND window);

// Shows (any other command than SW_HIDE) or hides the window, and answers whether it was
// visible. Showing a top-level window activates it, unless the command is SW_SHOWNA or
// SW_SHOWNOACTIVATE; hiding the active window activates its owner. FALSE with
// ERROR_INVALID_WINDOW_HANDLE for no window.
BOOL ShowWindow(HWND window, int command);

// TRUE when the window and all its parents have WS_VISIBLE.
BOOL IsWindowVisible(HWND window);

// Clears or sets WS_DISABLED; answers whether the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);

// FALSE for a disabled window or no window.
BOOL IsWindowEnabled(HWND window);

// The parent of a child window, the owner of another; NULL for none or no window.
HWND GetParent(HWND window);

// A child window's identifier; 0 for no window and for a top-level window.
int GetDlgCtrlID(HWND window);

// The name of the window's class as it was made (not as it was registered), at most
// `maxCount` - 1 characters and a NUL; answers the count. 0 with
// ERROR_INVALID_WINDOW_HANDLE for no window.
int GetClassNameA(HWND window, LPSTR name, int maxCount);

#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_CHILD 5

// GW_CHILD: the window's first child window; GW_HWNDNEXT and GW_HWNDPREV: the child
// window after or before this one in the siblings' Z order (the order they were made in
// unless SetWindowPos moved one). NULL when there is none, for another command and for
// no window.
HWND GetWindow(HWND window, UINT command);

// The 32-bit values: GWL_STYLE, GWL_EXSTYLE, GWLP_ID. SetWindowLongA answers the value
// before (0 with the last error cleared when that was 0). 0 with ERROR_INVALID_INDEX for
// another index, ERROR_INVALID_WINDOW_HANDLE for no window. WS_CHILD stays as the window
// was made.
LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);

// As above, and also GWLP_WNDPROC (setting it subclasses the window: its messages go to
// the new procedure from then on) and the window words of its class, by byte offset
// (a multiple of the word size, DWLP_ values for a dialog).
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);

// Calls `procedure` with the message, as a subclass hands on what it does not handle.
// 0 without a procedure.
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace qelwin {

// DefWindowProcA's part: WM_SETTEXT (lParam: the text, NULL for "") keeps the text and
// answers TRUE; WM_GETTEXT copies at most wParam - 1 characters and a NUL to lParam and
// answers the count; WM_GETTEXTLENGTH answers the length.
LRESULT DefaultTextMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace qelwin

// The names of an ANSI build, which the system's code uses.
inline BOOL SetWindowText(HWND window, LPCSTR text)
{
    return SetWindowTextA(window, text);
}

inline int GetWindowTextLength(HWND window)
{
    return GetWindowTextLengthA(window);
}

inline int GetClassName(HWND window, LPSTR name, int maxCount)
{
    return GetClassNameA(window, name, maxCount);
}

inline LONG GetWindowLong(HWND window, int index)
{
    return GetWindowLongA(window, index);
}

inline LONG SetWindowLong(HWND window, int index, LONG value)
{
    return SetWindowLongA(window, index, value);
}

inline LONG_PTR GetWindowLongPtr(HWND window, int index)
{
    return GetWindowLongPtrA(window, index);
}

inline LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value)
{
    return SetWindowLongPtrA(window, index, value);
}

inline LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(procedure, window, message, wParam, lParam);
}
