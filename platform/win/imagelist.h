// Image lists, as far as lists of little pictures of equal width go without drawing:
// one made from a bitmap resource knows its image size and count.
#pragma once

#include "basetypes.h"

QEL_DECLARE_HANDLE(HIMAGELIST);

#define IMAGE_BITMAP 0
#define LR_DEFAULTCOLOR 0x0000
#define CLR_NONE 0xFFFFFFFFL

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
// of `instance` (a device-independent bitmap: its BITMAPINFOHEADER first). Only the
// header is read, checked against the resource's size: NULL (ERROR_INVALID_DATA) for a
// resource too short for its header, a header size beyond the resource, or no whole
// image; NULL for a missing resource, a type other than IMAGE_BITMAP or `cx` < 1. The
// grow count, mask colour and flags mean nothing without drawing.
HIMAGELIST ImageList_LoadImageA(HINSTANCE instance, LPCSTR name, int cx, int grow, COLORREF mask, UINT type, UINT flags);
inline HIMAGELIST ImageList_LoadImage(HINSTANCE instance, LPCSTR name, int cx, int grow, COLORREF mask, UINT type,
                                      UINT flags)
{
    return ImageList_LoadImageA(instance, name, cx, grow, mask, type, flags);
}
// The image count; 0 for a list that is not live.
int ImageList_GetImageCount(HIMAGELIST list);
// The images' width and height. FALSE for a list that is not live, here and below.
BOOL ImageList_GetIconSize(HIMAGELIST list, int *cx, int *cy);
BOOL ImageList_Destroy(HIMAGELIST list);
