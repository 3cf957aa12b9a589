#include "textdraw.h"

#include "devicecontext.h"
#include "gdipixels.h"
#include "glyphs.h"
#include "lasterror.h"
#include "textrun.h"
#include "winerror.h"

#include <cstring>

namespace qelwin {

TabStops::TabStops(int count, const INT *stops)
{
    if (count < 1 || stops == nullptr)
        return;
    for (int i = 0; i < count; ++i) {
        if (stops[i] <= 0 || (i > 0 && stops[i] <= stops[i - 1]))
            return; // stops that do not grow: every 48 pixels
    }
    if (count == 1) {
        interval_ = stops[0];
        return;
    }
    count_ = count;
    stops_ = stops;
}

int64_t TabStops::Next(int64_t position) const
{
    if (count_ > 0 && position < stops_[count_ - 1]) {
        // Few stops, and a run seldom has many tabs: a walk is enough.
        for (int i = 0; i < count_; ++i) {
            if (stops_[i] > position)
                return stops_[i];
        }
    }
    return (position / interval_ + 1) * interval_;
}

int64_t RunWidth(const char *text, size_t count, const TabStops *tabs, int64_t start)
{
    if (count == 0 || tabs == nullptr || std::memchr(text, '\t', count) == nullptr)
        return static_cast<int64_t>(count) * kCellWidth;
    int64_t x = start;
    for (size_t i = 0; i < count; ++i)
        x = text[i] == '\t' ? tabs->Next(x) : x + kCellWidth;
    return x - start;
}

void DrawRun(DeviceContext &dc, int64_t x, int64_t y, const char *text, size_t count, const TabStops *tabs,
             int64_t tabOrigin, const RECT &bounds)
{
    if (count == 0 || IsEmpty(bounds) || y >= bounds.bottom || y + kCellHeight <= bounds.top || x >= bounds.right)
        return;
    if (dc.bkMode == OPAQUE) {
        int64_t width = RunWidth(text, count, tabs, x - tabOrigin);
        FillPixels(dc, Clamp(x, y, x + width, y + kCellHeight, bounds), PixelOf(dc.bkColor));
    }
    bool bold = BoldFont(dc);
    uint32_t pixel = PixelOf(dc.textColor);
    for (size_t i = 0; i < count && x < bounds.right; ++i) {
        if (tabs != nullptr && text[i] == '\t') {
            x = tabOrigin + tabs->Next(x - tabOrigin);
            continue;
        }
        DrawGlyph(dc, x, y, static_cast<unsigned char>(text[i]), bold, pixel, bounds);
        x += kCellWidth;
    }
}

} // namespace qelwin

namespace {

std::shared_ptr<qelwin::DeviceContext> Find(HDC dc)
{
    std::shared_ptr<qelwin::DeviceContext> found = qelwin::LookUpDC(dc);
    if (found == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return found;
}

bool Drawable(const qelwin::DeviceContext &dc)
{
    return dc.surface != nullptr && !qelwin::IsEmpty(dc.Bounds());
}

} // namespace

BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics)
{
    std::shared_ptr<qelwin::DeviceContext> found = Find(dc);
    if (found == nullptr || metrics == nullptr)
        return FALSE;
    std::shared_ptr<qelwin::GdiObject> font = qelwin::LookUpGdiObject(found->font, qelwin::GdiKind::Font);
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = qelwin::kCellHeight;
    metrics->tmAscent = qelwin::kAscent;
    metrics->tmDescent = qelwin::kDescent;
    metrics->tmAveCharWidth = qelwin::kCellWidth;
    metrics->tmMaxCharWidth = qelwin::kCellWidth;
    metrics->tmWeight = font != nullptr ? font->font.lfWeight : FW_NORMAL;
    metrics->tmDigitizedAspectX = 96;
    metrics->tmDigitizedAspectY = 96;
    metrics->tmFirstChar = 32;
    metrics->tmLastChar = 126;
    metrics->tmDefaultChar = 127;
    metrics->tmBreakChar = ' ';
    return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size)
{
    if (Find(dc) == nullptr || size == nullptr || count < 0 || (text == nullptr && count > 0))
        return FALSE;
    *size = SIZE{count > 0x7FFFFFFF / qelwin::kCellWidth ? 0x7FFFFFFF : count * qelwin::kCellWidth, qelwin::kCellHeight};
    return TRUE;
}

DWORD GetTabbedTextExtentA(HDC dc, LPCSTR text, int count, int tabCount, const INT *tabStops)
{
    if (Find(dc) == nullptr || count < 0 || (text == nullptr && count > 0))
        return 0;
    qelwin::TabStops tabs(tabCount, tabStops);
    int64_t width = qelwin::RunWidth(text, static_cast<size_t>(count), &tabs);
    return static_cast<DWORD>(MAKELONG(width > 0xFFFF ? 0xFFFF : width, qelwin::kCellHeight));
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count)
{
    return ExtTextOutA(dc, x, y, 0, nullptr, text, count < 0 ? 0 : static_cast<UINT>(count), nullptr) &&
           count >= 0;
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT count, const INT *)
{
    std::shared_ptr<qelwin::DeviceContext> found = Find(dc);
    if (found == nullptr || (text == nullptr && count > 0) || count > 0x7FFFFFFF)
        return FALSE;
    if (!Drawable(*found))
        return TRUE;
    RECT bounds = found->Bounds();
    if (rect != nullptr) {
        RECT device = found->ToDevice(*rect, bounds);
        if ((options & ETO_OPAQUE) != 0)
            qelwin::FillPixels(*found, device, qelwin::PixelOf(found->bkColor));
        if ((options & ETO_CLIPPED) != 0)
            bounds = device;
    }
    qelwin::DeviceContext::Point at = found->ToDevice(x, y);
    qelwin::DrawRun(*found, at.x, at.y, text, count, nullptr, at.x, bounds);
    return TRUE;
}

LONG TabbedTextOutA(HDC dc, int x, int y, LPCSTR text, int count, int tabCount, const INT *tabStops, int tabOrigin)
{
    std::shared_ptr<qelwin::DeviceContext> found = Find(dc);
    if (found == nullptr || count < 0 || (text == nullptr && count > 0))
        return 0;
    qelwin::TabStops tabs(tabCount, tabStops);
    qelwin::DeviceContext::Point at = found->ToDevice(x, y);
    int64_t origin = found->ToDevice(tabOrigin, 0).x;
    if (Drawable(*found))
        qelwin::DrawRun(*found, at.x, at.y, text, static_cast<size_t>(count), &tabs, origin, found->Bounds());
    int64_t width = qelwin::RunWidth(text, static_cast<size_t>(count), &tabs, at.x - origin);
    return MAKELONG(width > 0xFFFF ? 0xFFFF : width, qelwin::kCellHeight);
}
