#include "gdipixels.h"

#include "glyphs.h"

#include <algorithm>

namespace qelwin {

RECT Clamp(int64_t left, int64_t top, int64_t right, int64_t bottom, const RECT &bounds)
{
    RECT cut{static_cast<LONG>(std::clamp<int64_t>(left, bounds.left, bounds.right)),
             static_cast<LONG>(std::clamp<int64_t>(top, bounds.top, bounds.bottom)),
             static_cast<LONG>(std::clamp<int64_t>(right, bounds.left, bounds.right)),
             static_cast<LONG>(std::clamp<int64_t>(bottom, bounds.top, bounds.bottom))};
    return IsEmpty(cut) ? RECT{0, 0, 0, 0} : cut;
}

void FillPixels(DeviceContext &dc, const RECT &rect, uint32_t pixel)
{
    for (LONG y = rect.top; y < rect.bottom; ++y)
        std::fill_n(&PixelAt(dc, rect.left, y), rect.right - rect.left, pixel);
}

void InvertPixels(DeviceContext &dc, const RECT &rect, uint32_t mask)
{
    for (LONG y = rect.top; y < rect.bottom; ++y) {
        uint32_t *row = &PixelAt(dc, rect.left, y);
        for (LONG x = 0; x < rect.right - rect.left; ++x)
            row[x] ^= mask;
    }
}

void DrawGlyph(DeviceContext &dc, int64_t x, int64_t y, unsigned char byte, bool bold, uint32_t pixel,
               const RECT &bounds)
{
    if (x + kCellWidth <= bounds.left || x >= bounds.right || y + kCellHeight <= bounds.top || y >= bounds.bottom)
        return;
    const uint8_t *rows = GlyphRows(byte);
    int64_t top = y + GlyphTop(byte);
    for (int row = 0; row < kGlyphRows; ++row) {
        // Bold is the glyph over itself moved one column right.
        unsigned bits = bold ? (rows[row] << 1 | rows[row]) : rows[row] << 1;
        for (int column = 0; column <= kGlyphColumns; ++column) {
            if ((bits & (0x20u >> column)) != 0 && Inside(bounds, x + column, top + row))
                PixelAt(dc, static_cast<LONG>(x + column), static_cast<LONG>(top + row)) = pixel;
        }
    }
}

bool BoldFont(const DeviceContext &dc)
{
    std::shared_ptr<GdiObject> font = LookUpGdiObject(dc.font, GdiKind::Font);
    return font != nullptr && font->font.lfWeight >= 600;
}

} // namespace qelwin
