// Pixel work shared by the drawing functions (inside this layer only). Coordinates here
// are device coordinates; everything is clipped to the rectangle given, which callers
// take from DeviceContext::Bounds().
#pragma once

#include "gdistate.h"

#include <cstdint>

namespace qelwin {

// The pixel at a device point, for a point inside `bounds`.
inline uint32_t &PixelAt(DeviceContext &dc, LONG x, LONG y)
{
    return dc.surface->pixels[static_cast<size_t>(y + dc.offset.y) * static_cast<size_t>(dc.surface->width) +
                              static_cast<size_t>(x + dc.offset.x)];
}

inline bool Inside(const RECT &bounds, int64_t x, int64_t y)
{
    return x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
}

// Device rectangle of 64-bit edges cut to `bounds`.
RECT Clamp(int64_t left, int64_t top, int64_t right, int64_t bottom, const RECT &bounds);

void FillPixels(DeviceContext &dc, const RECT &rect, uint32_t pixel);
void InvertPixels(DeviceContext &dc, const RECT &rect, uint32_t mask);

// Draws the glyph of `byte` in the cell whose top left is (x, y), bold drawn twice.
void DrawGlyph(DeviceContext &dc, int64_t x, int64_t y, unsigned char byte, bool bold, uint32_t pixel,
               const RECT &bounds);

// Whether the DC's selected font is drawn bold (weight 600 and up).
bool BoldFont(const DeviceContext &dc);

} // namespace qelwin
