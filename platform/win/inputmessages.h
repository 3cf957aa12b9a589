// Mouse and key messages, and the cursor position.
//
// There is no pointing device: the cursor is a point on the screen that SetCursorPos
// moves and GetCursorPos reads, and a caller that plays the user sends the messages.
#pragma once

#include "basetypes.h"

#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MOUSEACTIVATE 0x0021
#define WM_CONTEXTMENU 0x007B

// Answers to WM_MOUSEACTIVATE.
#define MA_ACTIVATE 1
#define MA_ACTIVATEANDEAT 2
#define MA_NOACTIVATE 3

#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002

#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28

#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))

// The cursor's position on the screen (process-wide, (0, 0) at the start). FALSE for a
// null pointer.
BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);
