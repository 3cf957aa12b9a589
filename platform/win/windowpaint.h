// Painting: each window's update rectangle and erase flag, and the device contexts that
// draw on its client area.
//
// A window keeps one update rectangle (in client coordinates); what is invalidated is
// added to it as its bounding box. The message loop makes WM_PAINT for a visible window
// of the thread whose rectangle is not empty, after the posted messages and before
// WM_TIMER, a parent before its children, until the window is validated (BeginPaint,
// ValidateRect, DefWindowProcA). Showing a window invalidates it whole.
#pragma once

#include "basetypes.h"

QEL_DECLARE_HANDLE(HRGN);

#define WM_PAINT 0x000F
#define WM_ERASEBKGND 0x0014

#define RDW_INVALIDATE 0x0001
#define RDW_INTERNALPAINT 0x0002
#define RDW_ERASE 0x0004
#define RDW_VALIDATE 0x0008
#define RDW_NOINTERNALPAINT 0x0010
#define RDW_NOERASE 0x0020
#define RDW_NOCHILDREN 0x0040
#define RDW_ALLCHILDREN 0x0080
#define RDW_UPDATENOW 0x0100
#define RDW_ERASENOW 0x0200
#define RDW_FRAME 0x0400
#define RDW_NOFRAME 0x0800

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase; // TRUE when the background still has to be erased
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

// A device context on the window's client area, which ReleaseDC gives back; NULL for no
// window. GetDC(NULL) draws nowhere and serves to make compatible bitmaps and DCs.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// Draws the frame, takes the update rectangle and validates the window; when the
// background is due to be erased, sends WM_ERASEBKGND with the DC first (fErase tells
// whether that left it undone). The DC is clipped to rcPaint.
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT *paint);

// Adds the rectangle (NULL: the whole client area), cut to the client area, to what is
// to be painted; `erase` asks for the background to be erased first. FALSE for no window.
BOOL InvalidateRect(HWND window, const RECT *rect, BOOL erase);
// Takes the rectangle (NULL: everything) out of what is to be painted, as far as one
// rectangle can say it.
BOOL ValidateRect(HWND window, const RECT *rect);
// The update rectangle; TRUE when it is not empty. With `erase`, a pending erase happens
// now.
BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
// Sends WM_PAINT now when the window is invalid.
BOOL UpdateWindow(HWND window);
// RDW_INVALIDATE (RDW_ERASE), RDW_VALIDATE (RDW_NOERASE), RDW_ERASENOW and RDW_UPDATENOW
// on `rect` (NULL: the whole client area), for the child windows too with
// RDW_ALLCHILDREN. Regions are not kept: a region answers FALSE.
BOOL RedrawWindow(HWND window, const RECT *rect, HRGN region, UINT flags);

namespace qelwin {

class MessageQueue;

// DefWindowProcA's part (windowclass.h).
LRESULT DefaultPaintMessage(HWND window, UINT message, WPARAM wParam);

// The window of the queue's thread that WM_PAINT is for next, or NULL.
HWND WindowToPaint(const MessageQueue &queue);

} // namespace qelwin
