// Image lists: little pictures of one size, each with a mask that says which of its
// pixels are transparent, drawn into device contexts.
//
// A list keeps its images' pixels itself (no GDI object of its own), so duplicating it
// copies them and it counts for nothing in QelGdiLiveObjects.
#pragma once

#include "basetypes.h"

QEL_DECLARE_HANDLE(HIMAGELIST);

#define IMAGE_BITMAP 0
#define LR_DEFAULTCOLOR 0x0000
#define CLR_NONE 0xFFFFFFFFL
#define CLR_DEFAULT 0xFF000000L

#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLOR4 0x0004
#define ILC_COLOR8 0x0008
#define ILC_COLOR16 0x0010
#define ILC_COLOR24 0x0018
#define ILC_COLOR32 0x0020
#define ILC_COLORDDB 0x00FE

#define ILD_NORMAL 0x0000
#define ILD_TRANSPARENT 0x0001
#define ILD_OVERLAYMASK 0x0F00
#define INDEXTOOVERLAYMASK(i) ((UINT)(i) << 8)

typedef struct _IMAGEINFO {
    HBITMAP hbmImage;
    HBITMAP hbmMask;
    int Unused1;
    int Unused2;
    RECT rcImage;
} IMAGEINFO, *LPIMAGEINFO;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

// The list of the images `cx` pixels wide side by side in the RT_BITMAP resource `name`
// of `instance`: a device-independent bitmap (dibreader.h) of BI_RGB pixels of 4, 8, 24
// or 32 bits, rows in either order. Pixels of colour `mask` are transparent (CLR_DEFAULT:
// the top-left pixel's colour; CLR_NONE: none is). NULL (ERROR_INVALID_DATA) for a
// bitmap that the resource does not hold whole or that is narrower than one image; NULL
// for a missing resource, a type other than IMAGE_BITMAP or `cx` < 1. The grow count and
// flags mean nothing here.
HIMAGELIST ImageList_LoadImageA(HINSTANCE instance, LPCSTR name, int cx, int grow, COLORREF mask, UINT type, UINT flags);
inline HIMAGELIST ImageList_LoadImage(HINSTANCE instance, LPCSTR name, int cx, int grow, COLORREF mask, UINT type,
                                      UINT flags)
{
    return ImageList_LoadImageA(instance, name, cx, grow, mask, type, flags);
}
// An empty list of images `cx` by `cy` (1 to 16384 pixels a side; else NULL with
// ERROR_INVALID_PARAMETER). Every colour depth keeps 32-bit pixels; only ILC_MASK
// counts: without it no pixel is transparent. The initial and grow counts mean nothing.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
// Adds the bitmap's images, `cx` wide side by side from its left (a rest narrower than
// one is left out; rows below `cy` too, missing ones are black), and answers the index
// of the first; -1 for no live list or bitmap, or a bitmap narrower than one image. A
// pixel is transparent where `mask` (may be NULL: none is) is not black, in lists with
// ILC_MASK.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// As ImageList_Add, the pixels of colour `mask` transparent (in lists with ILC_MASK);
// the bitmap is left as it is.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
// Draws the image with its top left at (x, y), clipped to the DC. Transparent pixels
// keep what is there with ILD_TRANSPARENT or while the background colour is CLR_NONE,
// and become the background colour otherwise. FALSE, drawing nothing, for an index out
// of the list, no live list or no live DC.
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// The colour that transparent pixels take in ILD_NORMAL drawing, CLR_NONE (as new lists
// have it) for none; CLR_DEFAULT counts as CLR_NONE. Answers the one before (CLR_NONE
// for no live list).
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
// Makes `image` overlay `overlay` (1 to 15), which ImageList_Draw puts over an image when
// the style holds INDEXTOOVERLAYMASK(overlay), its transparent pixels keeping what is
// under them. FALSE for an image out of the list or another overlay number.
BOOL ImageList_SetOverlayImage(HIMAGELIST list, int image, int overlay);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
// The image's rectangle in the list's strip of images (i * cx, 0, (i + 1) * cx, cy). The
// bitmaps are not given out (NULL): the list keeps its pixels to itself. FALSE for an
// index out of the list.
BOOL ImageList_GetImageInfo(HIMAGELIST list, int index, IMAGEINFO *info);
// A new list with copies of the images, masks, size, flags and background colour,
// independent of the source from then on; NULL for no live list.
HIMAGELIST ImageList_Duplicate(HIMAGELIST list);

// A new masked list of one image: image `firstIndex` of `first` with image
// `secondIndex` of `second` laid over it at (dx, dy), both with their transparent
// pixels, sized to hold both; NULL for a list or index that is not there or a negative
// offset.
HIMAGELIST ImageList_Merge(HIMAGELIST first, int firstIndex, HIMAGELIST second, int secondIndex, int dx, int dy);

// The image count; 0 for a list that is not live.
int ImageList_GetImageCount(HIMAGELIST list);
// The images' width and height. FALSE for a list that is not live, here and below.
BOOL ImageList_GetIconSize(HIMAGELIST list, int *cx, int *cy);
BOOL ImageList_Destroy(HIMAGELIST list);
