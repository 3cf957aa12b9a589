// The control "ScrollBar": a range, a page and a position, painted as two arrow boxes, the
// shaft between them and a thumb as long as the page is of the range.
//
// Its header stands apart from windows.h so that only the code that drives scroll bars
// reads it.
#pragma once

#include "basetypes.h"

#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115

// What a scroll-bar message asks for (LOWORD of wParam of WM_HSCROLL and WM_VSCROLL).
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

// Which bar the scroll calls mean; only SB_CTL, a scroll-bar control, is kept here.
#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3

#define SBS_HORZ 0x0000L
#define SBS_VERT 0x0001L

#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_DISABLENOSCROLL 0x0008
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

#define SBM_SETSCROLLINFO 0x00E9
#define SBM_GETSCROLLINFO 0x00EA

typedef struct tagSCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
} SCROLLINFO, *LPSCROLLINFO;
typedef const SCROLLINFO *LPCSCROLLINFO;

// Sets what fMask names and answers the position that results: a maximum below the
// minimum becomes the minimum, the page is at most the range's count (max - min + 1), and
// the position stays within min..max - max(page - 1, 0). The track position follows the
// position, as nothing drags the thumb here. `redraw` repaints the bar. A bar other than
// SB_CTL, a window that is no scroll bar or a wrong cbSize answer 0 and change nothing.
int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw);

// Fills what fMask names; FALSE, as for SetScrollInfo, when there is no such bar.
BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info);
