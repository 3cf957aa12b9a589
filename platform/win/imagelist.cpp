#include "imagelist.h"
#include "imagelistdrag.h"

#include "devicecontext.h"
#include "dibreader.h"
#include "gdipixels.h"
#include "gdistate.h"
#include "lasterror.h"
#include "resources.h"
#include "winerror.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

namespace {

const int kLargestSide = 16384;

// Image i's pixels are cx * cy words from pixels[i * cx * cy], row by row; transparent
// holds one flag a pixel in the same order.
struct ImageList {
    ImageList(int width, int height, int images, UINT listFlags) : cx(width), cy(height), count(images), flags(listFlags)
    {
    }

    int cx;
    int cy;
    int count;
    UINT flags;
    COLORREF background = CLR_NONE;
    // The image of each overlay 1 to 15, -1 for none.
    int overlays[15] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> transparent;

    size_t ImageSize() const { return static_cast<size_t>(cx) * static_cast<size_t>(cy); }
};

struct LiveLists {
    std::mutex lock;
    std::unordered_set<ImageList *> lists;
};

LiveLists &Live()
{
    static LiveLists *live = new LiveLists;
    return *live;
}

// The list, when `handle` is a live one; called with the lock held.
ImageList *Find(LiveLists &live, HIMAGELIST handle)
{
    auto found = live.lists.find(reinterpret_cast<ImageList *>(handle));
    return found != live.lists.end() ? *found : nullptr;
}

// Puts a new list into the live ones; NULL when memory runs out.
HIMAGELIST Insert(ImageList *list)
{
    if (list == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    LiveLists &live = Live();
    try {
        std::lock_guard<std::mutex> hold(live.lock);
        live.lists.insert(list);
    } catch (const std::bad_alloc &) {
        delete list;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return reinterpret_cast<HIMAGELIST>(list);
}

// Whether the pixel of the image bitmap at (x, y) is transparent.
typedef bool (*TransparentTest)(const qelwin::Surface &image, const qelwin::Surface *mask, uint32_t maskPixel,
                                LONG x, LONG y);

bool NotBlackInMask(const qelwin::Surface &, const qelwin::Surface *mask, uint32_t, LONG x, LONG y)
{
    return mask != nullptr && x < mask->width && y < mask->height &&
           (mask->pixels[static_cast<size_t>(y) * mask->width + x] & 0xFFFFFF) != 0;
}

bool OfMaskColor(const qelwin::Surface &image, const qelwin::Surface *, uint32_t maskPixel, LONG x, LONG y)
{
    return image.pixels[static_cast<size_t>(y) * image.width + x] == maskPixel;
}

std::shared_ptr<qelwin::Surface> BitmapPixels(HBITMAP bitmap)
{
    std::shared_ptr<qelwin::GdiObject> object = qelwin::LookUpGdiObject(bitmap, qelwin::GdiKind::Bitmap);
    return object != nullptr ? object->surface : nullptr;
}

int AddImages(HIMAGELIST handle, HBITMAP bitmap, HBITMAP maskBitmap, uint32_t maskPixel, TransparentTest test)
{
    std::shared_ptr<qelwin::Surface> image = BitmapPixels(bitmap);
    std::shared_ptr<qelwin::Surface> mask = maskBitmap != nullptr ? BitmapPixels(maskBitmap) : nullptr;
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    if (list == nullptr || image == nullptr || (maskBitmap != nullptr && mask == nullptr) || image->width < list->cx) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    int added = image->width / list->cx;
    if (added > INT32_MAX - list->count) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    size_t size = list->ImageSize();
    size_t first = static_cast<size_t>(list->count) * size;
    try {
        list->pixels.resize(first + static_cast<size_t>(added) * size, 0);
        list->transparent.resize(list->pixels.size(), 0);
    } catch (const std::bad_alloc &) {
        list->pixels.resize(first);
        list->transparent.resize(first);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    bool masked = (list->flags & ILC_MASK) != 0;
    LONG rows = std::min<LONG>(list->cy, image->height);
    for (int i = 0; i < added; ++i) {
        for (LONG y = 0; y < rows; ++y) {
            for (LONG x = 0; x < list->cx; ++x) {
                LONG from = static_cast<LONG>(i) * list->cx + x;
                size_t to = first + static_cast<size_t>(i) * size + static_cast<size_t>(y) * list->cx + x;
                list->pixels[to] = image->pixels[static_cast<size_t>(y) * image->width + from] & 0xFFFFFF;
                list->transparent[to] = masked && test(*image, mask.get(), maskPixel, from, y) ? 1 : 0;
            }
        }
    }
    int index = list->count;
    list->count += added;
    return index;
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int)
{
    if (cx < 1 || cy < 1 || cx > kLargestSide || cy > kLargestSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Insert(new (std::nothrow) ImageList(cx, cy, 0, flags));
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask)
{
    return AddImages(list, image, mask, 0, NotBlackInMask);
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask)
{
    return AddImages(list, image, nullptr, qelwin::PixelOf(mask), OfMaskColor);
}

namespace {

// Image `index` at device point `at`; transparent pixels keep what is under them when
// `keepUnder`, else take the background.
void DrawImage(const ImageList &list, int index, qelwin::DeviceContext &target, qelwin::DeviceContext::Point at,
               bool keepUnder)
{
    uint32_t backgroundPixel = qelwin::PixelOf(list.background);
    RECT area = qelwin::Clamp(at.x, at.y, at.x + list.cx, at.y + list.cy, target.Bounds());
    size_t first = static_cast<size_t>(index) * list.ImageSize();
    for (LONG row = area.top; row < area.bottom; ++row) {
        size_t from = first + static_cast<size_t>(row - at.y) * list.cx + static_cast<size_t>(area.left - at.x);
        uint32_t *out = &qelwin::PixelAt(target, area.left, row);
        for (LONG i = 0; i < area.right - area.left; ++i, ++from) {
            if (list.transparent[from] == 0)
                out[i] = list.pixels[from];
            else if (!keepUnder)
                out[i] = backgroundPixel;
        }
    }
}

} // namespace

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC dc, int x, int y, UINT style)
{
    std::shared_ptr<qelwin::DeviceContext> target = qelwin::LookUpDC(dc);
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    if (list == nullptr || target == nullptr || index < 0 || index >= list->count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (target->surface == nullptr)
        return TRUE;
    bool keepUnder = (style & ILD_TRANSPARENT) != 0 || list->background == CLR_NONE ||
                     list->background == CLR_DEFAULT;
    qelwin::DeviceContext::Point at = target->ToDevice(x, y);
    DrawImage(*list, index, *target, at, keepUnder);
    UINT overlay = (style & ILD_OVERLAYMASK) >> 8;
    if (overlay >= 1 && overlay <= 15) {
        int image = list->overlays[overlay - 1];
        if (image >= 0 && image < list->count)
            DrawImage(*list, image, *target, at, true);
    }
    return TRUE;
}

BOOL ImageList_SetOverlayImage(HIMAGELIST handle, int image, int overlay)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    if (list == nullptr || image < 0 || image >= list->count || overlay < 1 || overlay > 15) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    list->overlays[overlay - 1] = image;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF color)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    if (list == nullptr)
        return CLR_NONE;
    COLORREF before = list->background;
    list->background = color == CLR_DEFAULT ? CLR_NONE : color;
    return before;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    return list != nullptr ? list->background : CLR_NONE;
}

BOOL ImageList_GetImageInfo(HIMAGELIST handle, int index, IMAGEINFO *info)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    if (list == nullptr || info == nullptr || index < 0 || index >= list->count)
        return FALSE;
    *info = IMAGEINFO{};
    info->rcImage = RECT{index * list->cx, 0, (index + 1) * list->cx, list->cy};
    return TRUE;
}

HIMAGELIST ImageList_Duplicate(HIMAGELIST handle)
{
    ImageList *copy = nullptr;
    {
        LiveLists &live = Live();
        std::lock_guard<std::mutex> hold(live.lock);
        ImageList *list = Find(live, handle);
        if (list == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        try {
            copy = new ImageList(*list);
        } catch (const std::bad_alloc &) {
            copy = nullptr;
        }
    }
    return Insert(copy);
}

HIMAGELIST ImageList_Merge(HIMAGELIST first, int firstIndex, HIMAGELIST second, int secondIndex, int dx, int dy)
{
    ImageList *merged = nullptr;
    {
        LiveLists &live = Live();
        std::lock_guard<std::mutex> hold(live.lock);
        ImageList *a = Find(live, first), *b = Find(live, second);
        if (a == nullptr || b == nullptr || firstIndex < 0 || firstIndex >= a->count || secondIndex < 0 ||
            secondIndex >= b->count || dx < 0 || dy < 0 || dx > kLargestSide - b->cx || dy > kLargestSide - b->cy) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        int cx = std::max(a->cx, dx + b->cx), cy = std::max(a->cy, dy + b->cy);
        try {
            merged = new ImageList(cx, cy, 1, ILC_MASK);
            merged->pixels.assign(merged->ImageSize(), 0);
            merged->transparent.assign(merged->ImageSize(), 1);
        } catch (const std::bad_alloc &) {
            delete merged;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        auto lay = [&](const ImageList &from, int index, int left, int top) {
            size_t start = static_cast<size_t>(index) * from.ImageSize();
            for (int y = 0; y < from.cy; ++y)
                for (int x = 0; x < from.cx; ++x) {
                    size_t at = start + static_cast<size_t>(y) * from.cx + x;
                    size_t to = static_cast<size_t>(top + y) * cx + static_cast<size_t>(left + x);
                    if (from.transparent[at] == 0) {
                        merged->pixels[to] = from.pixels[at];
                        merged->transparent[to] = 0;
                    }
                }
        };
        lay(*a, firstIndex, 0, 0);
        lay(*b, secondIndex, dx, dy);
    }
    return Insert(merged);
}

HIMAGELIST ImageList_LoadImageA(HINSTANCE instance, LPCSTR name, int cx, int, COLORREF mask, UINT type, UINT)
{
    if (type != IMAGE_BITMAP || cx < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HRSRC resource = FindResourceA(instance, name, RT_BITMAP);
    if (resource == nullptr)
        return nullptr;
    const void *data = LockResource(LoadResource(instance, resource));
    DWORD size = SizeofResource(instance, resource);
    qelwin::DibPixels dib;
    if (!qelwin::ReadDib(data, size, &dib) || dib.width < cx) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    bool masked = mask != CLR_NONE;
    uint32_t maskPixel = mask == CLR_DEFAULT ? dib.pixels[0] : qelwin::PixelOf(mask);
    ImageList *list = new (std::nothrow) ImageList(cx, dib.height, dib.width / cx, masked ? ILC_MASK : 0);
    if (list == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    try {
        list->pixels.assign(static_cast<size_t>(list->count) * list->ImageSize(), 0);
        list->transparent.assign(list->pixels.size(), 0);
    } catch (const std::bad_alloc &) {
        delete list;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    for (int i = 0; i < list->count; ++i)
        for (LONG y = 0; y < dib.height; ++y)
            for (LONG x = 0; x < cx; ++x) {
                uint32_t pixel = dib.pixels[static_cast<size_t>(y) * dib.width + static_cast<size_t>(i) * cx + x];
                size_t to = static_cast<size_t>(i) * list->ImageSize() + static_cast<size_t>(y) * cx + x;
                list->pixels[to] = pixel;
                list->transparent[to] = masked && pixel == maskPixel ? 1 : 0;
            }
    return Insert(list);
}

int ImageList_GetImageCount(HIMAGELIST handle)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    return list != nullptr ? list->count : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int *cx, int *cy)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    if (list == nullptr || cx == nullptr || cy == nullptr)
        return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

BOOL ImageList_Destroy(HIMAGELIST handle)
{
    LiveLists &live = Live();
    ImageList *list = nullptr;
    {
        std::lock_guard<std::mutex> hold(live.lock);
        list = Find(live, handle);
        if (list == nullptr)
            return FALSE;
        live.lists.erase(list);
    }
    delete list;
    return TRUE;
}

namespace {

// The drag of this process: the list copy, its hot spot, its place.
struct DragState {
    std::mutex lock;
    HIMAGELIST image = nullptr;
    POINT hotSpot{};
    POINT position{};
    HWND window = nullptr;
};

DragState &Drag()
{
    static DragState *drag = new DragState;
    return *drag;
}

} // namespace

BOOL ImageList_BeginDrag(HIMAGELIST list, int index, int dx, int dy)
{
    if (index < 0 || index >= ImageList_GetImageCount(list)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HIMAGELIST copy = ImageList_Merge(list, index, list, index, 0, 0);
    if (copy == nullptr)
        return FALSE;
    ImageList_EndDrag();
    DragState &drag = Drag();
    std::lock_guard<std::mutex> hold(drag.lock);
    drag.image = copy;
    drag.hotSpot = POINT{dx, dy};
    drag.position = POINT{0, 0};
    drag.window = nullptr;
    return TRUE;
}

BOOL ImageList_DragEnter(HWND window, int x, int y)
{
    DragState &drag = Drag();
    std::lock_guard<std::mutex> hold(drag.lock);
    if (drag.image == nullptr)
        return FALSE;
    drag.window = window;
    drag.position = POINT{x, y};
    return TRUE;
}

BOOL ImageList_DragMove(int x, int y)
{
    DragState &drag = Drag();
    std::lock_guard<std::mutex> hold(drag.lock);
    if (drag.image == nullptr)
        return FALSE;
    drag.position = POINT{x, y};
    return TRUE;
}

BOOL ImageList_DragLeave(HWND)
{
    DragState &drag = Drag();
    std::lock_guard<std::mutex> hold(drag.lock);
    if (drag.image == nullptr)
        return FALSE;
    drag.window = nullptr;
    return TRUE;
}

void ImageList_EndDrag()
{
    HIMAGELIST image;
    {
        DragState &drag = Drag();
        std::lock_guard<std::mutex> hold(drag.lock);
        image = drag.image;
        drag.image = nullptr;
        drag.window = nullptr;
    }
    if (image != nullptr)
        ImageList_Destroy(image);
}

HIMAGELIST ImageList_GetDragImage(POINT *position, POINT *hotSpot)
{
    DragState &drag = Drag();
    std::lock_guard<std::mutex> hold(drag.lock);
    if (position != nullptr)
        *position = drag.position;
    if (hotSpot != nullptr)
        *hotSpot = drag.hotSpot;
    return drag.image;
}
