// The drawing layer's own state (inside this layer only; not part of windows.h): pixel
// surfaces, the table of GDI objects and device contexts.
//
// Pixels are 32-bit words 0x00RRGGBB, as in a 32-bit device-independent bitmap; a
// COLORREF is 0x00BBGGRR, so colours are turned around on their way in and out.
//
// Objects and device contexts share one table whose handles are small numbers with a
// kind in their low bits, so that a handle of the wrong kind is refused rather than
// misread. The table's lock guards the slots and the selection counts only; a device
// context belongs to the thread that uses it, as on Windows, and is drawn on without it.
#pragma once

#include "gdiobjects.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qelwin {

inline uint32_t PixelOf(COLORREF color)
{
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

inline COLORREF ColorOf(uint32_t pixel)
{
    return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// A rectangle of pixels; row y starts at pixels[y * width].
struct Surface {
    LONG width = 0;
    LONG height = 0;
    std::vector<uint32_t> pixels;

    // Keeps the old pixels at the top left; new ones are black.
    void Resize(LONG newWidth, LONG newHeight);
};

enum class GdiKind { Pen = 1, Brush = 2, Font = 3, Bitmap = 4, DC = 5 };

struct GdiObject {
    GdiKind kind;
    bool stock = false;
    int selections = 0; // device contexts that have it selected; guarded by the table's lock
    LOGPEN pen{};
    LOGBRUSH brush{};
    int systemColor = -1; // a system colour brush paints that colour as it stands
    LOGFONTA font{};
    std::shared_ptr<Surface> surface; // a bitmap's pixels
};

struct DeviceContext {
    HWND window = nullptr; // the window whose client area it draws on, or NULL
    bool memory = false;   // made by CreateCompatibleDC: draws on its selected bitmap
    std::shared_ptr<Surface> surface;
    POINT offset{};    // the drawing area's top-left corner in the surface
    SIZE size{};       // the drawing area's size; the surface may have shrunk since
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = 2; // OPAQUE
    int rop2 = 13;  // R2_COPYPEN
    int mapMode = 1; // MM_TEXT, the only one that draws
    POINT position{};
    POINT windowOrigin{};
    POINT viewportOrigin{};
    SIZE windowExtent{1, 1};
    SIZE viewportExtent{1, 1};
    bool clipped = false;
    RECT clip{}; // in device coordinates, when `clipped`

    // Logical to device coordinates, in 64 bits: origins and coordinates may each be any
    // 32-bit value, and their sum need not fit in one.
    struct Point {
        int64_t x;
        int64_t y;
    };
    Point ToDevice(int64_t x, int64_t y) const
    {
        return Point{x - windowOrigin.x + viewportOrigin.x, y - windowOrigin.y + viewportOrigin.y};
    }
    // The logical rectangle in device coordinates, cut to `within`.
    RECT ToDevice(const RECT &rect, const RECT &within) const;
    // Where drawing may land, in device coordinates: the area within the surface and the
    // clip rectangle.
    RECT Bounds() const;
};

std::shared_ptr<GdiObject> LookUpGdiObject(HGDIOBJ handle, GdiKind kind);
HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object);

std::shared_ptr<DeviceContext> LookUpDC(HDC dc);
HDC InsertDC(std::shared_ptr<DeviceContext> dc);
// Lets go of the DC's selections and takes it out of the table.
void RemoveDC(HDC dc);

// Selects `object` into `dc` in place of `*slot` and answers the object before; NULL
// for an object that is not live.
HGDIOBJ SelectInto(DeviceContext &dc, HGDIOBJ *slot, HGDIOBJ object);

// A device context with the stock pen, brush, font and (memory contexts) bitmap.
std::shared_ptr<DeviceContext> NewDeviceContext();

// The brush's colour, when it paints at all: a brush handle or a system colour index + 1.
bool BrushColor(HBRUSH brush, COLORREF *color);

// The stock objects' own handles.
HGDIOBJ StockBitmap();

// Intersection of two rectangles; empty ones come out as {0, 0, 0, 0}.
RECT Intersect(const RECT &a, const RECT &b);
inline bool IsEmpty(const RECT &rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

} // namespace qelwin
