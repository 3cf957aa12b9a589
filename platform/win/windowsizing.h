// WM_SIZING: the message of a frame whose edge the user drags.
#pragma once

// wParam the edge being dragged (WMSZ_), lParam the RECT* in screen coordinates that the
// window may change. Nothing here drags a frame, so only tests send it.
#define WM_SIZING 0x0214
#define WMSZ_LEFT 1
#define WMSZ_RIGHT 2
#define WMSZ_TOP 3
#define WMSZ_BOTTOM 6
#define WMSZ_BOTTOMRIGHT 8
