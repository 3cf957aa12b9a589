#include "gdiobjects.h"

#include "gdipixels.h"
#include "gdistate.h"
#include "lasterror.h"
#include "syscolors.h"
#include "winerror.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace qelwin {

namespace {

const LONG kLargestBitmapSide = 16384;
const uintptr_t kKindBits = 3;

// Handles are never used again, so a stale one names nothing.
struct GdiTable {
    std::mutex lock;
    uintptr_t serial = 0;
    std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
    std::unordered_map<uintptr_t, std::shared_ptr<DeviceContext>> dcs;
    size_t stockCount = 0;

    uintptr_t NextHandle(GdiKind kind) { return (++serial << kKindBits) | static_cast<uintptr_t>(kind); }
};

GdiTable &Table()
{
    static GdiTable *table = new GdiTable;
    return *table;
}

GdiKind KindOf(uintptr_t handle)
{
    return static_cast<GdiKind>(handle & ((uintptr_t(1) << kKindBits) - 1));
}

LOGFONTA StockFont()
{
    LOGFONTA font{};
    font.lfHeight = -13;
    font.lfWeight = FW_NORMAL;
    std::strcpy(font.lfFaceName, "QelSans");
    return font;
}

std::shared_ptr<GdiObject> NewObject(GdiKind kind)
{
    auto object = std::make_shared<GdiObject>();
    object->kind = kind;
    return object;
}

HGDIOBJ Stock(std::shared_ptr<GdiObject> object)
{
    object->stock = true;
    return InsertGdiObject(std::move(object));
}

struct StockObjects {
    HGDIOBJ brushes[NULL_BRUSH + 1];
    HGDIOBJ pens[3]; // white, black, null
    HGDIOBJ font;
    HGDIOBJ bitmap; // what a memory DC starts with: one black pixel

    StockObjects()
    {
        const COLORREF greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        for (int i = 0; i <= BLACK_BRUSH; ++i) {
            auto brush = NewObject(GdiKind::Brush);
            brush->brush = LOGBRUSH{BS_SOLID, greys[i], 0};
            brushes[i] = Stock(std::move(brush));
        }
        auto none = NewObject(GdiKind::Brush);
        none->brush = LOGBRUSH{BS_NULL, 0, 0};
        brushes[NULL_BRUSH] = Stock(std::move(none));
        const UINT styles[] = {PS_SOLID, PS_SOLID, PS_NULL};
        const COLORREF colors[] = {0xFFFFFF, 0x000000, 0x000000};
        for (int i = 0; i < 3; ++i) {
            auto pen = NewObject(GdiKind::Pen);
            pen->pen = LOGPEN{styles[i], POINT{1, 0}, colors[i]};
            pens[i] = Stock(std::move(pen));
        }
        auto stockFont = NewObject(GdiKind::Font);
        stockFont->font = StockFont();
        font = Stock(std::move(stockFont));
        auto pixel = NewObject(GdiKind::Bitmap);
        pixel->surface = std::make_shared<Surface>();
        pixel->surface->Resize(1, 1);
        bitmap = Stock(std::move(pixel));
    }
};

StockObjects &Stocks()
{
    static StockObjects *stocks = new StockObjects;
    return *stocks;
}

} // namespace

void Surface::Resize(LONG newWidth, LONG newHeight)
{
    newWidth = std::max<LONG>(newWidth, 0);
    newHeight = std::max<LONG>(newHeight, 0);
    if (newWidth == width && newHeight == height)
        return;
    std::vector<uint32_t> resized(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight), 0);
    LONG keptWidth = std::min(width, newWidth), keptHeight = std::min(height, newHeight);
    for (LONG y = 0; y < keptHeight; ++y)
        std::copy_n(&pixels[static_cast<size_t>(y) * width], keptWidth, &resized[static_cast<size_t>(y) * newWidth]);
    pixels.swap(resized);
    width = newWidth;
    height = newHeight;
}

RECT Intersect(const RECT &a, const RECT &b)
{
    RECT both{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return IsEmpty(both) ? RECT{0, 0, 0, 0} : both;
}

RECT DeviceContext::ToDevice(const RECT &rect, const RECT &within) const
{
    Point topLeft = ToDevice(rect.left, rect.top), bottomRight = ToDevice(rect.right, rect.bottom);
    return Clamp(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, within);
}

RECT DeviceContext::Bounds() const
{
    if (surface == nullptr)
        return RECT{0, 0, 0, 0};
    // The surface may have shrunk under a window's DC since it was made.
    RECT area = Intersect(RECT{0, 0, size.cx, size.cy},
                          RECT{-offset.x, -offset.y, surface->width - offset.x, surface->height - offset.y});
    return clipped ? Intersect(area, clip) : area;
}

std::shared_ptr<GdiObject> LookUpGdiObject(HGDIOBJ handle, GdiKind kind)
{
    uintptr_t key = reinterpret_cast<uintptr_t>(handle);
    if (KindOf(key) != kind)
        return nullptr;
    GdiTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.objects.find(key);
    return found != table.objects.end() ? found->second : nullptr;
}

HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object)
{
    GdiTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    uintptr_t key = table.NextHandle(object->kind);
    if (object->stock)
        ++table.stockCount;
    table.objects.emplace(key, std::move(object));
    return reinterpret_cast<HGDIOBJ>(key);
}

std::shared_ptr<DeviceContext> LookUpDC(HDC dc)
{
    uintptr_t key = reinterpret_cast<uintptr_t>(dc);
    if (KindOf(key) != GdiKind::DC)
        return nullptr;
    GdiTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.dcs.find(key);
    return found != table.dcs.end() ? found->second : nullptr;
}

HDC InsertDC(std::shared_ptr<DeviceContext> dc)
{
    GdiTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    uintptr_t key = table.NextHandle(GdiKind::DC);
    table.dcs.emplace(key, std::move(dc));
    return reinterpret_cast<HDC>(key);
}

void RemoveDC(HDC handle)
{
    GdiTable &table = Table();
    std::shared_ptr<DeviceContext> dc;
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.dcs.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.dcs.end())
        return;
    dc = std::move(found->second);
    table.dcs.erase(found);
    for (HGDIOBJ selected : {dc->pen, dc->brush, dc->font, dc->bitmap}) {
        auto object = table.objects.find(reinterpret_cast<uintptr_t>(selected));
        if (object != table.objects.end())
            --object->second->selections;
    }
}

HGDIOBJ SelectInto(DeviceContext &dc, HGDIOBJ *slot, HGDIOBJ handle)
{
    GdiTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    auto object = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (object == table.objects.end())
        return nullptr;
    HGDIOBJ before = *slot;
    auto previous = table.objects.find(reinterpret_cast<uintptr_t>(before));
    if (previous != table.objects.end())
        --previous->second->selections;
    ++object->second->selections;
    *slot = handle;
    if (object->second->kind == GdiKind::Bitmap) {
        dc.surface = object->second->surface;
        dc.size = SIZE{dc.surface->width, dc.surface->height};
    }
    return before;
}

std::shared_ptr<DeviceContext> NewDeviceContext()
{
    auto dc = std::make_shared<DeviceContext>();
    StockObjects &stocks = Stocks();
    SelectInto(*dc, &dc->pen, stocks.pens[1]);
    SelectInto(*dc, &dc->brush, stocks.brushes[WHITE_BRUSH]);
    SelectInto(*dc, &dc->font, stocks.font);
    return dc;
}

HGDIOBJ StockBitmap()
{
    return Stocks().bitmap;
}

bool BrushColor(HBRUSH handle, COLORREF *color)
{
    // A system colour index + 1 stands for a brush where a class or a fill takes one.
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value >= 1 && value <= COLOR_INFOBK + 1) {
        *color = GetSysColor(static_cast<int>(value - 1));
        return true;
    }
    std::shared_ptr<GdiObject> brush = LookUpGdiObject(handle, GdiKind::Brush);
    if (brush == nullptr)
        return false;
    if (brush->systemColor >= 0) {
        *color = GetSysColor(brush->systemColor);
        return true;
    }
    *color = brush->brush.lbColor;
    return brush->brush.lbStyle == BS_SOLID;
}

} // namespace qelwin

using qelwin::GdiKind;
using qelwin::GdiObject;

HPEN CreatePen(int style, int width, COLORREF color)
{
    if (style != PS_SOLID && style != PS_DASH && style != PS_DOT && style != PS_NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pen = std::make_shared<GdiObject>();
    pen->kind = GdiKind::Pen;
    pen->pen = LOGPEN{static_cast<UINT>(style), POINT{std::max(width, 1), 0}, color & 0xFFFFFF};
    return reinterpret_cast<HPEN>(qelwin::InsertGdiObject(std::move(pen)));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto brush = std::make_shared<GdiObject>();
    brush->kind = GdiKind::Brush;
    brush->brush = LOGBRUSH{BS_SOLID, color & 0xFFFFFF, 0};
    return reinterpret_cast<HBRUSH>(qelwin::InsertGdiObject(std::move(brush)));
}

HFONT CreateFontIndirectA(const LOGFONTA *logFont)
{
    if (logFont == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto font = std::make_shared<GdiObject>();
    font->kind = GdiKind::Font;
    font->font = *logFont;
    font->font.lfFaceName[LF_FACESIZE - 1] = '\0';
    return reinterpret_cast<HFONT>(qelwin::InsertGdiObject(std::move(font)));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (qelwin::LookUpDC(dc) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (width < 1 || height < 1 || width > qelwin::kLargestBitmapSide || height > qelwin::kLargestBitmapSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = std::make_shared<GdiObject>();
    bitmap->kind = GdiKind::Bitmap;
    bitmap->surface = std::make_shared<qelwin::Surface>();
    bitmap->surface->Resize(width, height);
    return reinterpret_cast<HBITMAP>(qelwin::InsertGdiObject(std::move(bitmap)));
}

HGDIOBJ GetStockObject(int which)
{
    qelwin::StockObjects &stocks = qelwin::Stocks();
    switch (which) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH:
        return stocks.brushes[which];
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN:
        return stocks.pens[which - WHITE_PEN];
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
        return stocks.font;
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ handle)
{
    qelwin::GdiTable &table = qelwin::Table();
    std::shared_ptr<GdiObject> object;
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.objects.end() || found->second->stock || found->second->selections > 0)
        return FALSE;
    object = std::move(found->second);
    table.objects.erase(found);
    return TRUE;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer)
{
    uintptr_t key = reinterpret_cast<uintptr_t>(handle);
    std::shared_ptr<GdiObject> object = qelwin::LookUpGdiObject(handle, qelwin::KindOf(key));
    if (object == nullptr)
        return 0;
    BITMAP bitmap{};
    LOGBRUSH brush = object->brush;
    if (object->systemColor >= 0)
        brush = LOGBRUSH{BS_SOLID, GetSysColor(object->systemColor), 0};
    const void *source = nullptr;
    int count = 0;
    switch (object->kind) {
    case GdiKind::Pen:
        source = &object->pen, count = sizeof(LOGPEN);
        break;
    case GdiKind::Brush:
        source = &brush, count = sizeof(LOGBRUSH);
        break;
    case GdiKind::Font:
        source = &object->font, count = sizeof(LOGFONTA);
        break;
    case GdiKind::Bitmap:
        bitmap.bmWidth = object->surface->width;
        bitmap.bmHeight = object->surface->height;
        bitmap.bmWidthBytes = bitmap.bmWidth * 4;
        bitmap.bmPlanes = 1;
        bitmap.bmBitsPixel = 32;
        source = &bitmap, count = sizeof(BITMAP);
        break;
    case GdiKind::DC:
        return 0;
    }
    if (buffer == nullptr)
        return count;
    if (size < count)
        return 0;
    std::memcpy(buffer, source, static_cast<size_t>(count));
    return count;
}

DWORD GetObjectType(HGDIOBJ handle)
{
    uintptr_t key = reinterpret_cast<uintptr_t>(handle);
    GdiKind kind = qelwin::KindOf(key);
    if (kind == GdiKind::DC) {
        std::shared_ptr<qelwin::DeviceContext> dc = qelwin::LookUpDC(reinterpret_cast<HDC>(handle));
        return dc == nullptr ? 0 : dc->memory ? OBJ_MEMDC : OBJ_DC;
    }
    if (qelwin::LookUpGdiObject(handle, kind) == nullptr)
        return 0;
    switch (kind) {
    case GdiKind::Pen:
        return OBJ_PEN;
    case GdiKind::Brush:
        return OBJ_BRUSH;
    case GdiKind::Font:
        return OBJ_FONT;
    default:
        return OBJ_BITMAP;
    }
}

size_t QelGdiLiveObjects()
{
    qelwin::GdiTable &table = qelwin::Table();
    std::lock_guard<std::mutex> hold(table.lock);
    return table.objects.size() - table.stockCount + table.dcs.size();
}
