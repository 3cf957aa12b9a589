#include "drawing.h"

#include "devicecontext.h"
#include "gdipixels.h"
#include "lasterror.h"
#include "syscolors.h"
#include "winerror.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using qelwin::DeviceContext;

namespace {

std::shared_ptr<DeviceContext> Find(HDC dc)
{
    std::shared_ptr<DeviceContext> found = qelwin::LookUpDC(dc);
    if (found == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return found;
}

// The logical rectangle in device coordinates, cut to where the DC draws.
RECT DeviceArea(const DeviceContext &dc, int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    DeviceContext::Point shift = dc.ToDevice(0, 0);
    return qelwin::Clamp(left + shift.x, top + shift.y, right + shift.x, bottom + shift.y, dc.Bounds());
}

void Fill(DeviceContext &dc, int64_t left, int64_t top, int64_t right, int64_t bottom, COLORREF color)
{
    qelwin::FillPixels(dc, DeviceArea(dc, left, top, right, bottom), qelwin::PixelOf(color));
}

struct Pen {
    UINT style = PS_SOLID;
    int width = 1;
    uint32_t pixel = 0;
};

Pen SelectedPen(const DeviceContext &dc)
{
    Pen pen;
    std::shared_ptr<qelwin::GdiObject> object = qelwin::LookUpGdiObject(dc.pen, qelwin::GdiKind::Pen);
    if (object != nullptr) {
        pen.style = object->pen.lopnStyle;
        pen.width = std::max<LONG>(object->pen.lopnWidth.x, 1);
        pen.pixel = qelwin::PixelOf(object->pen.lopnColor);
    }
    return pen;
}

void PutPenPixel(DeviceContext &dc, const RECT &bounds, int64_t x, int64_t y, uint32_t pixel, int width)
{
    int64_t from = -(width - 1) / 2;
    for (int64_t dy = from; dy < from + width; ++dy) {
        for (int64_t dx = from; dx < from + width; ++dx) {
            if (!qelwin::Inside(bounds, x + dx, y + dy))
                continue;
            uint32_t &target = qelwin::PixelAt(dc, static_cast<LONG>(x + dx), static_cast<LONG>(y + dy));
            switch (dc.rop2) {
            case R2_XORPEN:
                target ^= pixel;
                break;
            case R2_NOT:
                target ^= 0xFFFFFF;
                break;
            default:
                target = pixel;
            }
        }
    }
}

// The steps of a line at which one of its coordinates may lie within lo..hi: the
// coordinate starts at `start` and has moved by `sign` times moved(k) after step k, where
// moved(k) = k on the line's major axis and about k * minor / major on the other. The
// range is widened by a step or two where moved(k) is rounded; the pixels themselves are
// clipped one by one.
struct StepRange {
    int64_t first;
    int64_t last;
};

StepRange StepsWithin(int64_t start, int sign, int64_t lo, int64_t hi, bool major, int64_t majorLength,
                      int64_t minorLength)
{
    int64_t fewest = sign > 0 ? lo - start : start - hi, most = sign > 0 ? hi - start : start - lo;
    fewest = std::max<int64_t>(fewest, 0);
    if (most < fewest)
        return StepRange{1, 0};
    if (major)
        return StepRange{fewest, most};
    if (minorLength == 0)
        return fewest == 0 ? StepRange{0, INT64_MAX} : StepRange{1, 0};
    // moved(k) = floor((2k * minor + major) / (2 * major)) lies within k * minor / major
    // +- 1/2, so the steps for `fewest`..`most` lie within these.
    __int128 first = static_cast<__int128>(fewest - 1) * majorLength / minorLength - 1;
    __int128 last = static_cast<__int128>(most + 2) * majorLength / minorLength + 1;
    return StepRange{static_cast<int64_t>(std::max<__int128>(first, 0)),
                     static_cast<int64_t>(std::min<__int128>(last, INT64_MAX))};
}

// The line's pixels in device coordinates, its end left out. The line is Bresenham's
// (the form that steps the minor axis when twice the error is at most the major length),
// but it starts at the first step that may reach the bounds and stops after the last, so
// that a line between far-apart points costs what its visible part costs.
void DrawLine(DeviceContext &dc, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    Pen pen = SelectedPen(dc);
    RECT bounds = dc.Bounds();
    if (pen.style == PS_NULL || qelwin::IsEmpty(bounds))
        return;
    int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t steps = std::max(dx, -dy);
    int64_t reach = pen.width;
    bool xMajor = dx >= -dy;
    StepRange alongX = StepsWithin(x0, sx, bounds.left - reach, bounds.right - 1 + reach, xMajor, xMajor ? dx : -dy,
                                   xMajor ? -dy : dx);
    StepRange alongY = StepsWithin(y0, sy, bounds.top - reach, bounds.bottom - 1 + reach, !xMajor,
                                   xMajor ? dx : -dy, xMajor ? -dy : dx);
    int64_t first = std::max(alongX.first, alongY.first), last = std::min({alongX.last, alongY.last, steps - 1});
    if (first > last)
        return;
    // The state after `first` steps: the major axis moves every step, the minor one
    // floor((2k * minor + major) / (2 * major)) times in k steps.
    auto minorMoves = [](int64_t k, int64_t majorLength, int64_t minorLength) {
        return static_cast<int64_t>((2 * static_cast<__int128>(k) * minorLength + majorLength) / (2 * majorLength));
    };
    int64_t movesX = xMajor ? first : minorMoves(first, -dy, dx);
    int64_t movesY = xMajor ? minorMoves(first, dx, -dy) : first;
    int64_t error = static_cast<int64_t>(dx + dy + static_cast<__int128>(movesX) * dy + static_cast<__int128>(movesY) * dx);
    x0 += sx * movesX;
    y0 += sy * movesY;
    uint32_t gapPixel = qelwin::PixelOf(dc.bkColor);
    for (int64_t step = first; step <= last; ++step) {
        bool on = pen.style == PS_SOLID || (pen.style == PS_DOT ? step % 2 == 0 : step % 24 < 18);
        if (on)
            PutPenPixel(dc, bounds, x0, y0, pen.pixel, pen.width);
        else if (dc.bkMode == OPAQUE)
            PutPenPixel(dc, bounds, x0, y0, gapPixel, pen.width);
        int64_t twice = 2 * error;
        if (twice >= dy)
            error += dy, x0 += sx;
        if (twice <= dx)
            error += dx, y0 += sy;
    }
}

// What a brush operation makes of `target` with the brush's pixel.
bool BrushOperation(DWORD rop)
{
    return rop == PATCOPY || rop == PATINVERT || rop == DSTINVERT || rop == BLACKNESS || rop == WHITENESS;
}

void ApplyBrush(DeviceContext &dc, const RECT &area, DWORD rop)
{
    COLORREF color = 0;
    bool paints = qelwin::BrushColor(reinterpret_cast<HBRUSH>(dc.brush), &color);
    switch (rop) {
    case PATCOPY:
        if (paints)
            qelwin::FillPixels(dc, area, qelwin::PixelOf(color));
        break;
    case PATINVERT:
        if (paints)
            qelwin::InvertPixels(dc, area, qelwin::PixelOf(color));
        break;
    case DSTINVERT:
        qelwin::InvertPixels(dc, area, 0xFFFFFF);
        break;
    case BLACKNESS:
        qelwin::FillPixels(dc, area, 0);
        break;
    default:
        qelwin::FillPixels(dc, area, 0xFFFFFF);
        break;
    }
}

} // namespace

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return CLR_INVALID;
    DeviceContext::Point at = found->ToDevice(x, y);
    if (!qelwin::Inside(found->Bounds(), at.x, at.y))
        return CLR_INVALID;
    uint32_t &pixel = qelwin::PixelAt(*found, static_cast<LONG>(at.x), static_cast<LONG>(at.y));
    COLORREF before = qelwin::ColorOf(pixel);
    pixel = qelwin::PixelOf(color);
    return before;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return CLR_INVALID;
    DeviceContext::Point at = found->ToDevice(x, y);
    if (!qelwin::Inside(found->Bounds(), at.x, at.y))
        return CLR_INVALID;
    return qelwin::ColorOf(qelwin::PixelAt(*found, static_cast<LONG>(at.x), static_cast<LONG>(at.y)));
}

BOOL LineTo(HDC dc, int x, int y)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return FALSE;
    DeviceContext::Point from = found->ToDevice(found->position.x, found->position.y), to = found->ToDevice(x, y);
    if (found->surface != nullptr)
        DrawLine(*found, from.x, from.y, to.x, to.y);
    found->position = POINT{x, y};
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return FALSE;
    if (found->surface == nullptr)
        return TRUE;
    COLORREF color = 0;
    if (qelwin::BrushColor(reinterpret_cast<HBRUSH>(found->brush), &color))
        Fill(*found, int64_t(left) + 1, int64_t(top) + 1, int64_t(right) - 1, int64_t(bottom) - 1, color);
    if (right - int64_t(left) < 1 || bottom - int64_t(top) < 1)
        return TRUE;
    DeviceContext::Point a = found->ToDevice(left, top), b = found->ToDevice(int64_t(right) - 1, int64_t(bottom) - 1);
    DrawLine(*found, a.x, a.y, b.x, a.y);
    DrawLine(*found, b.x, a.y, b.x, b.y);
    DrawLine(*found, b.x, b.y, a.x, b.y);
    DrawLine(*found, a.x, b.y, a.x, a.y);
    if (a.x == b.x || a.y == b.y)
        DrawLine(*found, b.x, b.y, b.x + 1, b.y); // the corner that no side reached
    return TRUE;
}

int FillRect(HDC dc, const RECT *rect, HBRUSH brush)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    COLORREF color = 0;
    if (found == nullptr || rect == nullptr)
        return FALSE;
    if (found->surface != nullptr && qelwin::BrushColor(brush, &color))
        Fill(*found, rect->left, rect->top, rect->right, rect->bottom, color);
    return TRUE;
}

int FrameRect(HDC dc, const RECT *rect, HBRUSH brush)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    COLORREF color = 0;
    if (found == nullptr || rect == nullptr)
        return FALSE;
    if (found->surface == nullptr || !qelwin::BrushColor(brush, &color) || rect->right <= rect->left ||
        rect->bottom <= rect->top)
        return TRUE;
    int64_t l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    Fill(*found, l, t, r, t + 1, color);
    Fill(*found, l, b - 1, r, b, color);
    Fill(*found, l, t, l + 1, b, color);
    Fill(*found, r - 1, t, r, b, color);
    return TRUE;
}

BOOL InvertRect(HDC dc, const RECT *rect)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr || rect == nullptr)
        return FALSE;
    if (found->surface != nullptr)
        qelwin::InvertPixels(*found, DeviceArea(*found, rect->left, rect->top, rect->right, rect->bottom), 0xFFFFFF);
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT *rect)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr || rect == nullptr)
        return FALSE;
    if (found->surface == nullptr || rect->right <= rect->left || rect->bottom <= rect->top)
        return TRUE;
    RECT bounds = found->Bounds();
    DeviceContext::Point a = found->ToDevice(rect->left, rect->top);
    int64_t width = int64_t(rect->right) - rect->left, height = int64_t(rect->bottom) - rect->top;
    auto flip = [&](int64_t x, int64_t y) {
        // Every other pixel from the top-left one: those at an even distance from it.
        if ((x + y) % 2 == 0 && qelwin::Inside(bounds, a.x + x, a.y + y))
            qelwin::PixelAt(*found, static_cast<LONG>(a.x + x), static_cast<LONG>(a.y + y)) ^= 0xFFFFFF;
    };
    // Only the part of the outline within the bounds is walked.
    for (int64_t x = std::max<int64_t>(0, bounds.left - a.x); x < std::min<int64_t>(width, bounds.right - a.x); ++x) {
        flip(x, 0);
        if (height > 1)
            flip(x, height - 1);
    }
    for (int64_t y = std::max<int64_t>(1, bounds.top - a.y); y < std::min<int64_t>(height - 1, bounds.bottom - a.y);
         ++y) {
        flip(0, y);
        if (width > 1)
            flip(width - 1, y);
    }
    return TRUE;
}

BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr || rect == nullptr || type != DFC_BUTTON || (state & 0xF) != 0 ||
        (state & DFCS_BUTTONPUSH) == 0)
        return FALSE;
    if (found->surface == nullptr)
        return TRUE;
    int64_t l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    // Each ring: its light side the top row and left column without their far ends, its
    // dark side the bottom row and right column whole.
    auto ring = [&](int64_t inset, int light, int dark) {
        int64_t il = l + inset, it = t + inset, ir = r - inset, ib = b - inset;
        if (ir <= il || ib <= it)
            return;
        Fill(*found, il, it, ir - 1, it + 1, GetSysColor(light));
        Fill(*found, il, it, il + 1, ib - 1, GetSysColor(light));
        Fill(*found, il, ib - 1, ir, ib, GetSysColor(dark));
        Fill(*found, ir - 1, it, ir, ib, GetSysColor(dark));
    };
    ring(0, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
    ring(1, COLOR_3DLIGHT, COLOR_BTNSHADOW);
    Fill(*found, l + 2, t + 2, r - 2, b - 2, GetSysColor(COLOR_BTNFACE));
    return TRUE;
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr || !BrushOperation(rop))
        return FALSE;
    if (found->surface != nullptr)
        ApplyBrush(*found, DeviceArea(*found, x, y, int64_t(x) + width, int64_t(y) + height), rop);
    return TRUE;
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop)
{
    std::shared_ptr<DeviceContext> target = Find(dc);
    if (target == nullptr)
        return FALSE;
    if (BrushOperation(rop))
        return PatBlt(dc, x, y, width, height, rop);
    if (rop != SRCCOPY && rop != SRCPAINT && rop != SRCAND && rop != SRCINVERT && rop != NOTSRCCOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<DeviceContext> from = Find(source);
    if (from == nullptr)
        return FALSE;
    if (target->surface == nullptr || from->surface == nullptr || width <= 0 || height <= 0)
        return TRUE;
    DeviceContext::Point to = target->ToDevice(x, y), at = from->ToDevice(sourceX, sourceY);
    // Cut to the target's bounds, then to the source's surface area.
    RECT area = DeviceArea(*target, x, y, int64_t(x) + width, int64_t(y) + height);
    RECT sourceArea{0, 0, from->size.cx, from->size.cy};
    sourceArea = qelwin::Intersect(sourceArea, RECT{-from->offset.x, -from->offset.y,
                                                    from->surface->width - from->offset.x,
                                                    from->surface->height - from->offset.y});
    int64_t dx = int64_t(at.x) - to.x, dy = int64_t(at.y) - to.y;
    area = qelwin::Clamp(std::max<int64_t>(area.left, sourceArea.left - dx), std::max<int64_t>(area.top, sourceArea.top - dy),
                         std::min<int64_t>(area.right, sourceArea.right - dx),
                         std::min<int64_t>(area.bottom, sourceArea.bottom - dy), area);
    if (qelwin::IsEmpty(area))
        return TRUE;
    LONG rowWidth = area.right - area.left;
    // A copy within one surface may overlap: the source rows are taken first.
    std::vector<uint32_t> copy;
    bool same = target->surface == from->surface;
    if (same) {
        copy.resize(static_cast<size_t>(rowWidth) * static_cast<size_t>(area.bottom - area.top));
        for (LONG row = area.top; row < area.bottom; ++row)
            std::memcpy(&copy[static_cast<size_t>(row - area.top) * rowWidth],
                        &qelwin::PixelAt(*from, static_cast<LONG>(area.left + dx), static_cast<LONG>(row + dy)),
                        static_cast<size_t>(rowWidth) * sizeof(uint32_t));
    }
    for (LONG row = area.top; row < area.bottom; ++row) {
        const uint32_t *in = same ? &copy[static_cast<size_t>(row - area.top) * rowWidth]
                                  : &qelwin::PixelAt(*from, static_cast<LONG>(area.left + dx), static_cast<LONG>(row + dy));
        uint32_t *out = &qelwin::PixelAt(*target, area.left, row);
        switch (rop) {
        case SRCCOPY:
            std::memcpy(out, in, static_cast<size_t>(rowWidth) * sizeof(uint32_t));
            break;
        case SRCPAINT:
            for (LONG i = 0; i < rowWidth; ++i)
                out[i] |= in[i];
            break;
        case SRCAND:
            for (LONG i = 0; i < rowWidth; ++i)
                out[i] &= in[i];
            break;
        case SRCINVERT:
            for (LONG i = 0; i < rowWidth; ++i)
                out[i] ^= in[i];
            break;
        default:
            for (LONG i = 0; i < rowWidth; ++i)
                out[i] = ~in[i] & 0xFFFFFF;
        }
    }
    return TRUE;
}
