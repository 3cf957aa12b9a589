// Drawing: pixels, lines, fills, frames and blits, all clipped to the device context.
#pragma once

#include "basetypes.h"

#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define NOTSRCCOPY 0x00330008
#define PATCOPY 0x00F00021
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

#define DFC_BUTTON 4
#define DFCS_BUTTONPUSH 0x0010

// The colour before; CLR_INVALID outside the clip rectangle or for no DC.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);

// A line in the selected pen from the current position to (x, y), that point left out;
// the position moves there. Dotted pens fill their gaps with the background colour in
// OPAQUE mode; the ROP2 mode combines the pen with what is there.
BOOL LineTo(HDC dc, int x, int y);
// The outline in the pen just inside the rectangle, the inside in the brush.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// `brush` may be a COLOR_ index + 1. The bottom and right edges are left out, as ever.
int FillRect(HDC dc, const RECT *rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT *rect, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT *rect);
// XORs white into every other pixel of the rectangle's outline, starting at the top-left
// one, so that drawing it twice leaves the surface as it was.
BOOL DrawFocusRect(HDC dc, const RECT *rect);
// A push button (DFC_BUTTON, DFCS_BUTTONPUSH): an outer ring COLOR_BTNHIGHLIGHT at top
// and left, COLOR_3DDKSHADOW at bottom and right, an inner ring COLOR_3DLIGHT and
// COLOR_BTNSHADOW, COLOR_BTNFACE inside. FALSE for every other kind.
BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state);

// The selected brush with the destination (PATCOPY, PATINVERT, DSTINVERT, BLACKNESS,
// WHITENESS).
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// Copies a block from `source` (any DC, itself among them) with SRCCOPY, SRCPAINT,
// SRCAND, SRCINVERT or NOTSRCCOPY, or a brush operation as PatBlt takes; what lies
// outside the source's surface is left alone.
BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop);
