// Keys, mouse capture, cursors and the functions with which a test plays the user.
//
// There is no keyboard or pointing device. Each thread keeps the state of its keys
// (what QelSetKeyState and the Qel input functions press) and the window that holds its
// mouse capture; the cursor shape and position are process-wide. The Qel functions turn
// a user's act into the messages Windows would make of it: the cursor moves, the window
// under it is asked for a cursor (WM_SETCURSOR), a window that holds the capture gets
// the mouse messages instead, and a key gives its key-down, its character and its key-up.
//
// Its header stands apart from windows.h so that only the code that takes input reads it.
#pragma once

#include "basetypes.h"
#include "inputmessages.h"
#include "resources.h"

#define WM_ENABLE 0x000A
#define WM_CANCELMODE 0x001F
#define WM_SETCURSOR 0x0020
#define WM_NEXTDLGCTL 0x0028
#define WM_GETDLGCODE 0x0087
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MOUSEWHEEL 0x020A
#define WM_CAPTURECHANGED 0x0215

#define HTCLIENT 1

// Class styles of pop-ups that come and go over the pointer (kept, nothing changes).
#define CS_OWNDC 0x0020
#define CS_SAVEBITS 0x0800

#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define WHEEL_DELTA 120
#define GET_WHEEL_DELTA_WPARAM(wp) ((short)HIWORD(wp))
#define GET_KEYSTATE_WPARAM(wp) (LOWORD(wp))

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SUBTRACT 0x6D
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_OEM_PLUS 0xBB
#define VK_OEM_MINUS 0xBD

// WM_GETDLGCODE's answers.
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTCHARS 0x0080

// System cursors (LoadCursorA with a NULL instance).
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)

// Bit 15 set while the key is down; bit 0 toggles at each press.
SHORT GetKeyState(int virtualKey);

// The calling thread's 256 key states (bit 7 down, bit 0 toggled), as GetKeyState gives
// them. FALSE for a NULL buffer.
BOOL GetKeyboardState(PBYTE state);
// The character that `virtualKey` types on a US keyboard in `state` (Shift and Ctrl read
// from it; Ctrl with a letter types its control character): 1 with it in *character, 0
// for none. The scan code and flags change nothing here.
int ToAscii(UINT virtualKey, UINT scanCode, const BYTE *state, LPWORD character, UINT flags);

// The calling thread's capture: mouse messages go to `window` wherever the cursor is.
// The window that loses it gets WM_CAPTURECHANGED (lParam: the new holder). SetCapture
// answers the previous holder; NULL, changing nothing, for a window that is not the
// calling thread's. A window that is destroyed or hidden lets the capture go.
HWND SetCapture(HWND window);
HWND GetCapture();
BOOL ReleaseCapture();

// A system cursor (instance NULL, the IDC_ ids) or the RT_CURSOR resource `name` of the
// module; NULL when there is none. The handle stays valid for the process.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
inline HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name)
{
    return LoadCursorA(instance, name);
}
// The cursor's shape, answering the one before; GetCursor reads it.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// Test input. A mouse message at client point (x, y) of `window` (WM_MOUSEMOVE, the
// button messages, WM_MOUSEWHEEL): the cursor moves there; without a capture the window
// is asked WM_SETCURSOR (which DefWindowProcA hands to the parent, then answers with the
// class cursor); the message goes to the capture's holder when there is one, in its
// client coordinates (screen ones for the wheel). `keys` are MK_ bits, the wheel's delta
// in the high word. A double click on a window whose class lacks CS_DBLCLKS arrives as a
// press. The Send form answers what the window answers; the Post form queues it.
LRESULT QelSendMouse(HWND window, UINT message, int x, int y, WPARAM keys);
BOOL QelPostMouse(HWND window, UINT message, int x, int y, WPARAM keys);

// A key pressed and let go on `window` (NULL: the calling thread's focus): WM_KEYDOWN,
// WM_CHAR with the key's character on a US keyboard (none with Ctrl, none for keys
// without one), WM_KEYUP; the modifiers (MK_SHIFT, MK_CONTROL) are held down meanwhile.
// Send answers the key-down's answer; Post queues the three. FALSE/0 without a window.
LRESULT QelSendKey(HWND window, int virtualKey, UINT modifiers);
BOOL QelPostKey(HWND window, int virtualKey, UINT modifiers);
// Each character of `text` as WM_CHAR to the window (NULL: the focus).
BOOL QelSendText(HWND window, LPCSTR text);
void QelSetKeyState(int virtualKey, BOOL down);
// The virtual key of a name: a VK_ name less its VK_ ("RETURN", "F2", "PRIOR"), a letter
// or a digit; 0 for an unknown name.
int QelKeyFromName(LPCSTR name);

// Drags the thumb of the scroll-bar control `bar` to `position`: the parent gets
// SB_THUMBTRACK and, when `final`, SB_THUMBPOSITION and SB_ENDSCROLL, with the track
// position readable through SIF_TRACKPOS meanwhile. FALSE for a window that is no bar.
BOOL QelScrollBarThumb(HWND bar, int position, BOOL final);
