// Dragging an image list's image over windows. Nothing is drawn here: the image, its hot
// spot and its position (in the entered window's client area) are kept for whoever asks.
#pragma once

#include "imagelist.h"

// Starts a drag of a copy of image `index` with its hot spot at (dx, dy) of the image;
// FALSE for no live list or an index out of it. A drag under way ends first.
BOOL ImageList_BeginDrag(HIMAGELIST list, int index, int dx, int dy);
// Where the image is, in the client coordinates of `window` (locking it for the drag);
// FALSE while no drag is under way.
BOOL ImageList_DragEnter(HWND window, int x, int y);
BOOL ImageList_DragMove(int x, int y);
BOOL ImageList_DragLeave(HWND window);
// Ends the drag and frees its copy.
void ImageList_EndDrag();
// The copy being dragged (NULL while none is), its position and its hot spot, each
// pointer may be NULL.
HIMAGELIST ImageList_GetDragImage(POINT *position, POINT *hotSpot);
