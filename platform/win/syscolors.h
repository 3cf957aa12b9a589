// System colours and metrics: the classic colour table and a fixed screen.
#pragma once

#include "basetypes.h"

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT

#define WM_SYSCOLORCHANGE 0x0015

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CYVTHUMB 9
#define SM_CXHTHUMB 10
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21

// The colour of a COLOR_ index; 0 for an index out of range.
DWORD GetSysColor(int index);
// A brush that paints the index's colour as it stands, also after SetSysColors; it is
// a stock object. NULL for an index out of range.
HBRUSH GetSysColorBrush(int index);
// Sets `count` colours and sends WM_SYSCOLORCHANGE to every window of the calling
// thread, parents before their children. FALSE, with nothing changed, when an index is
// out of range or an array is missing.
BOOL SetSysColors(int count, const INT *indexes, const COLORREF *colors);

// Scroll bars and their thumbs 16 pixels, the screen 1024 by 768, the cursor 32 by 32,
// borders 1; 0 for what is not kept.
int GetSystemMetrics(int index);
