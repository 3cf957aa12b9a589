// Window classes and window procedures.
//
// Classes are process-wide and named blind to ASCII case. A class keeps its style, its
// background brush (which DefWindowProcA erases with) and its cursor; the instance handle
// and icons are kept by no one.
#pragma once

#include "basetypes.h"

typedef LRESULT(CALLBACK *WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;
typedef WNDCLASSA WNDCLASS;

// The class's atom; 0 with ERROR_INVALID_PARAMETER without a procedure or a name, with
// ERROR_CLASS_ALREADY_EXISTS when a class of that name exists (the system's "Button",
// "Edit", "Static" and the dialog class among them). Each window of the class gets
// cbWndExtra bytes of window words (GetWindowLongPtrA), at most 40 words' worth.
ATOM RegisterClassA(const WNDCLASSA *windowClass);

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008

// What a window does with a message that its procedure leaves to the system: WM_NCCREATE
// lets the creation go on (TRUE), WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH keep and
// answer the window's text, WM_CLOSE destroys the window, WM_PAINT validates the window
// (erasing it first when that is due), WM_ERASEBKGND fills the client area with the
// class's brush (TRUE; FALSE without one); every other message answers 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The names of an ANSI build, which the system's code uses.
inline ATOM RegisterClass(const WNDCLASSA *windowClass)
{
    return RegisterClassA(windowClass);
}

inline LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

namespace qelwin {

struct WindowClassEntry;

// The class of that name; false when there is none.
bool FindWindowClass(LPCSTR className, WindowClassEntry *found);

} // namespace qelwin
