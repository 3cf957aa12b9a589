// What tests use to see what was drawn: pixels read back as text, windows captured and
// painted, PNG snapshots. Not part of Windows.
#pragma once

#include "basetypes.h"

// The text drawn in `color` within `rect` (logical coordinates of `dc`), as lines from
// the top, split by '\n': regular or bold glyphs at any position, blanks between them
// from the width of the gap. A glyph counts where its cell holds exactly its pattern in
// that colour (a regular one's column to the left, too); a box reads as 127. At most `size` - 1 bytes and a
// NUL; answers the count written.
int QelReadText(HDC dc, const RECT *rect, COLORREF color, LPSTR buffer, int size);

// As QelReadText, telling also how each byte of the text was drawn: `styles` (room for
// `size` bytes too, or NULL) gets 'b' for a bold glyph, 'r' for a regular one and a blank
// for a blank or a line end between them.
int QelReadTextStyles(HDC dc, const RECT *rect, COLORREF color, LPSTR buffer, LPSTR styles, int size);

// A glyph that QelReadText reads: the left and top of its cell in device coordinates of
// the DC's surface, its byte, and whether it was drawn bold.
typedef struct QELGLYPH {
    LONG x;
    LONG top;
    char byte;
    BOOL bold;
} QELGLYPH;

// The glyphs that QelReadText reads within `rect`, line by line from the top and each
// line from the left; writes at most `count` of them and answers how many there are.
int QelFindGlyphs(HDC dc, const RECT *rect, COLORREF color, QELGLYPH *glyphs, int count);

// Writes the bitmap as an 8-bit RGB PNG file. FALSE for no live bitmap or a file that
// cannot be written.
BOOL QelWritePng(HBITMAP bitmap, LPCSTR path);

// Sends WM_PAINT until no window of the calling thread is invalid, parents first.
void QelPaintPending();

// A new bitmap of the window's surface, with its visible child windows over it in their
// Z order and clipped to it when `withChildren`. NULL for no window.
HBITMAP QelCaptureWindow(HWND window, BOOL withChildren);

// Writes the window's capture with its children to `name`.png in the folder that
// QEL_SHOT_DIR names; does nothing (TRUE) when it is not set.
BOOL QelShot(HWND window, LPCSTR name);
