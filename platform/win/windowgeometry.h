// Where windows are and how big: rectangles kept without a display.
//
// A child window's rectangle lies in its parent's client area, any other window's on
// the screen, a fixed 1024 by 768 pixels (the desktop's rectangle). A window with
// WS_BORDER and without WS_DLGFRAME has a frame of 1 pixel, and its client area lies 1
// pixel inside it; every other window's client area is the whole window. Child windows
// stand in a Z order among their siblings (windowstate.h's GetWindow), which
// SetWindowPos changes; top-level windows keep theirs.
#pragma once

#include "basetypes.h"

#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L

#define WM_SIZE 0x0005
#define SIZE_RESTORED 0

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

#define HWND_TOP ((HWND)0)

// The window's rectangle in screen coordinates. FALSE with ERROR_INVALID_WINDOW_HANDLE for
// no window, ERROR_INVALID_PARAMETER for a NULL rectangle.
BOOL GetWindowRect(HWND window, LPRECT rect);

// The client area: 0, 0, width, height.
BOOL GetClientRect(HWND window, LPRECT rect);

// Moves and sizes the window; a change of size sends WM_SIZE (SIZE_RESTORED, the new
// client width and height in lParam). A negative size is taken as 0. The window's
// surface keeps its old pixels at the top left; what is new is invalidated, the whole
// client area when the class has CS_HREDRAW (a change of width) or CS_VREDRAW (of
// height). `repaint` is taken as TRUE.
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);

// As MoveWindow, but SWP_NOMOVE and SWP_NOSIZE keep the position or the size;
// SWP_SHOWWINDOW and SWP_HIDEWINDOW show or hide the window as ShowWindow does (without
// activation under SWP_NOACTIVATE). Unless SWP_NOZORDER a child window moves in its
// siblings' Z order: to the top for HWND_TOP, else right after the sibling
// `insertAfter` (FALSE with ERROR_INVALID_PARAMETER, nothing changed, for a window that
// is no sibling).
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// Between a window's client coordinates and the screen's.
BOOL ClientToScreen(HWND window, LPPOINT point);
BOOL ScreenToClient(HWND window, LPPOINT point);

// Turns a rectangle in dialog units into pixels: one unit is two pixels both ways.
// FALSE with ERROR_INVALID_WINDOW_HANDLE when `dialog` is no window.
BOOL MapDialogRect(HWND dialog, LPRECT rect);

namespace qelwin {

struct WindowRecord;

// The width of the window's frame: 1 or 0.
LONG FrameOf(const WindowRecord &window);

} // namespace qelwin
