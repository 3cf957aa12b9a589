// Device-independent bitmaps as resources hold them: a BITMAPINFOHEADER, a colour table
// for 4 and 8 bits a pixel, then the rows, each padded to 4 bytes, from the bottom up
// (a positive height) or from the top down (a negative one). Only uncompressed (BI_RGB)
// pixels of 4, 8, 24 or 32 bits are read.
#pragma once

#include "basetypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#define BI_RGB 0

namespace qelwin {

struct DibPixels {
    LONG width = 0;
    LONG height = 0;
    // Row by row from the top, as surfaces keep them (gdistate.h's PixelOf).
    std::vector<uint32_t> pixels;
};

// False for a bitmap that its `size` bytes do not hold whole: a short or odd header, a
// size beyond 16384 pixels a side, another depth or compression, a colour table or a row
// beyond the end, a colour index beyond the table.
bool ReadDib(const void *data, size_t size, DibPixels *dib);

} // namespace qelwin
