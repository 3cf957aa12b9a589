// Device contexts: what draws where, in which colours, through which origins.
//
// A device context draws on a window's client area (windowpaint.h) or on the bitmap
// selected into a memory device context. Logical coordinates become device coordinates
// through the window and viewport origins; extents are kept but mean nothing, since
// MM_TEXT is the only mapping mode. Drawing is clipped to the area and to one clip
// rectangle. Every handle that comes in is checked: a call on no live DC answers FALSE,
// 0 or CLR_INVALID as its kind does.
#pragma once

#include "basetypes.h"

#define TRANSPARENT 1
#define OPAQUE 2

#define R2_NOT 6
#define R2_XORPEN 7
#define R2_COPYPEN 13

#define MM_TEXT 1

#define CLR_INVALID 0xFFFFFFFF

#define NULLREGION 1
#define SIMPLEREGION 2
#define ERROR 0

// A memory device context, with a bitmap of one black pixel until another is selected.
// `dc` may be NULL, else a live DC.
HDC CreateCompatibleDC(HDC dc);
// Deletes a memory DC (or one that GetDC gave: ReleaseDC is the way for those); what it
// had selected may then be deleted.
BOOL DeleteDC(HDC dc);

// Selects a pen, brush, font or bitmap (only into a memory DC) and answers the one
// before; NULL for an object that is not live or not of a kind that the DC takes.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
// TRANSPARENT or OPAQUE: whether text cells and dotted lines fill their gaps with the
// background colour. Answers the mode before, 0 for no DC or another mode.
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
// R2_COPYPEN, R2_XORPEN or R2_NOT for lines.
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);

int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT before);
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT before);
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT before);
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT before);
BOOL SetWindowExtEx(HDC dc, int cx, int cy, LPSIZE before);
BOOL GetWindowExtEx(HDC dc, LPSIZE extent);
BOOL SetViewportExtEx(HDC dc, int cx, int cy, LPSIZE before);
BOOL GetViewportExtEx(HDC dc, LPSIZE extent);

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT before);
BOOL GetCurrentPositionEx(HDC dc, LPPOINT position);

// Narrows the clip rectangle to `left`..`bottom` (logical); answers NULLREGION when
// nothing is left to draw on, SIMPLEREGION otherwise, ERROR for no DC.
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
// The rectangle drawing may reach, in logical coordinates.
int GetClipBox(HDC dc, LPRECT rect);
