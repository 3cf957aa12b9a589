// Text: metrics, extents, text output and DrawTextA in the built-in font.
//
// Every font is the one built-in font of 6 by 13 pixel cells (ascent 10, descent 3, no
// leading); a font of weight 600 and up draws each glyph again one pixel to the right
// with the same advance. The extent of n bytes is (6n, 13). Tabs, where they are
// expanded, stand every 48 pixels from the text's start unless stops are given: one stop
// is the distance between all tabs, more are the positions of the first ones (then every
// 48 pixels); stops that do not grow count as none. Text cells are filled with the
// background colour first in OPAQUE mode. Any count, flag, rectangle and stop is taken:
// nothing is read past the count, and a negative count draws and measures nothing (-1
// means NUL-terminated where DrawTextA says so).
#pragma once

#include "basetypes.h"

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_END_ELLIPSIS 0x00008000

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *LPTEXTMETRICA;
typedef TEXTMETRICA TEXTMETRIC;
typedef LPTEXTMETRICA LPTEXTMETRIC;

// The selected font's metrics: height 13, ascent 10, descent 3, characters 6 wide.
BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
// (6 * count, 13); tabs are not expanded. FALSE for a negative count or no DC.
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size);
// MAKELONG(width, 13) with tabs expanded; 0 for no DC or a negative count.
DWORD GetTabbedTextExtentA(HDC dc, LPCSTR text, int count, int tabCount, const INT *tabStops);

// Draws at (x, y) the top left of the first cell; tabs are boxes.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
// ETO_OPAQUE fills `rect` with the background colour first, ETO_CLIPPED clips to it.
// Per-character advances are not taken: each is 6.
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT count, const INT *dx);
// Draws with tabs expanded, the stops measured from `tabOrigin`; answers the extent.
LONG TabbedTextOutA(HDC dc, int x, int y, LPCSTR text, int count, int tabCount, const INT *tabStops, int tabOrigin);

// Lines end at CR LF, LF or CR, except under DT_SINGLELINE, where those bytes are boxes
// (DT_SINGLELINE overrides DT_WORDBREAK). DT_WORDBREAK breaks a line at blanks where it
// would not fit, drops the blanks at the break and never splits a word: a word wider
// than the rectangle stands alone, clipped. A tab is a box unless DT_EXPANDTABS. Each
// line starts at the left edge, or at left + (width - line width) / 2 (DT_CENTER), or
// right - line width (DT_RIGHT); lines are 13 pixels apart from the top, or with
// DT_VCENTER|DT_SINGLELINE the line's top is top + (height - 13) / 2. DT_END_ELLIPSIS
// makes a line too wide its longest beginning that fits with "...", or "..." alone.
// DT_CALCRECT draws nothing and sets right to left + the widest line and bottom to top +
// 13 a line (an empty text gives an empty rectangle). Prefix characters are not
// processed. Output is clipped to the rectangle unless DT_NOCLIP. Answers the height of
// the text; 0 for no DC, no rectangle or a count below -1.
int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format);

inline BOOL GetTextMetrics(HDC dc, LPTEXTMETRICA metrics)
{
    return GetTextMetricsA(dc, metrics);
}

inline BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int count, LPSIZE size)
{
    return GetTextExtentPoint32A(dc, text, count, size);
}

inline DWORD GetTabbedTextExtent(HDC dc, LPCSTR text, int count, int tabCount, const INT *tabStops)
{
    return GetTabbedTextExtentA(dc, text, count, tabCount, tabStops);
}

inline BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int count)
{
    return TextOutA(dc, x, y, text, count);
}

inline BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT count, const INT *dx)
{
    return ExtTextOutA(dc, x, y, options, rect, text, count, dx);
}

inline LONG TabbedTextOut(HDC dc, int x, int y, LPCSTR text, int count, int tabCount, const INT *tabStops,
                          int tabOrigin)
{
    return TabbedTextOutA(dc, x, y, text, count, tabCount, tabStops, tabOrigin);
}

inline int DrawText(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format)
{
    return DrawTextA(dc, text, count, rect, format);
}
