// The built-in font (inside this layer only): one bitmap font of 6 by 13 pixel cells that
// stands for every font. Each glyph is 5 by 7 pixels in columns 0-4 of its cell; a bold
// glyph is the same drawn again one pixel to the right.
#pragma once

#include <cstdint>

namespace qelwin {

const int kCellWidth = 6;
const int kCellHeight = 13;
const int kAscent = 10;
const int kDescent = 3;
const int kGlyphRows = 7;
const int kGlyphColumns = 5;

// The glyph's rows, bit 4 the leftmost column: the byte's own for 32 to 126, a box for
// every other byte.
const uint8_t *GlyphRows(unsigned char byte);
// The first row of the cell that the glyph covers: 3, or 5 for the glyphs that reach
// below the baseline (g j p q y , ;).
int GlyphTop(unsigned char byte);

} // namespace qelwin
