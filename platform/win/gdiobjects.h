// GDI objects: pens, brushes, fonts and bitmaps.
//
// Every font maps to the one built-in font (textdraw.h), and keeps its LOGFONTA for
// GetObjectA. Bitmaps are 32 bits a pixel whatever was asked. A stock object is never
// deleted; an object selected into a device context cannot be deleted either (FALSE),
// and stays as it was.
#pragma once

#include "basetypes.h"

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5

#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

#define FW_NORMAL 400
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define LF_FACESIZE 32

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *LPLOGBRUSH;

typedef struct tagLOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *LPLOGFONTA;
typedef LOGFONTA LOGFONT;
typedef LPLOGFONTA LPLOGFONT;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *LPBITMAP;

// NULL with ERROR_INVALID_PARAMETER for a style other than those above.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HFONT CreateFontIndirectA(const LOGFONTA *font);
// A bitmap of 32 bits a pixel, black; NULL for a size below 1 or beyond 16384 pixels a side
// (ERROR_INVALID_PARAMETER) or a `dc` that is not live.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HGDIOBJ GetStockObject(int which);
// FALSE for no live object, a stock object or one selected into a device context.
BOOL DeleteObject(HGDIOBJ object);
// Copies the object's LOGPEN, LOGBRUSH, LOGFONTA or BITMAP (bmBits NULL) and answers the
// count of bytes copied; with a NULL buffer the count it would copy. 0 for no live
// object or a buffer too small.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
// OBJ_ values; 0 for no live object.
DWORD GetObjectType(HGDIOBJ object);

// Live objects and device contexts, stock objects left out: what a test counts to see
// that nothing leaks.
size_t QelGdiLiveObjects();

inline HFONT CreateFontIndirect(const LOGFONTA *font)
{
    return CreateFontIndirectA(font);
}

inline int GetObject(HGDIOBJ object, int size, LPVOID buffer)
{
    return GetObjectA(object, size, buffer);
}
