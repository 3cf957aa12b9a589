// Window classes and window procedures.
//
// Classes are process-wide and named blind to ASCII case; the instance handle, icons,
// cursors and brushes of a class are kept by no one, since nothing is drawn.
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

// What a window does with a message that its procedure leaves to the system: WM_NCCREATE
// lets the creation go on (TRUE), WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH keep and
// answer the window's text, WM_CLOSE destroys the window; every other message answers 0.
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

// The procedure and the window words of the class of that name; false when there is none.
bool FindWindowClass(LPCSTR className, WNDPROC *procedure, int *extraBytes);

} // namespace qelwin
