#include "dibreader.h"

#include "imagelist.h"

#include <cstring>
#include <new>

namespace qelwin {

namespace {

const LONG kLargestSide = 16384;

uint32_t Little32(const uint8_t *at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
           (static_cast<uint32_t>(at[3]) << 24);
}

} // namespace

bool ReadDib(const void *data, size_t size, DibPixels *dib)
{
    BITMAPINFOHEADER header;
    if (data == nullptr || dib == nullptr || size < sizeof header)
        return false;
    std::memcpy(&header, data, sizeof header);
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    if (header.biSize < sizeof header || header.biSize > size || header.biPlanes != 1 ||
        header.biCompression != BI_RGB || header.biWidth < 1 || header.biWidth > kLargestSide ||
        header.biHeight == 0 || header.biHeight < -kLargestSide || header.biHeight > kLargestSide)
        return false;
    unsigned bits = header.biBitCount;
    if (bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return false;
    size_t colors = 0;
    if (bits <= 8) {
        size_t most = size_t(1) << bits;
        colors = header.biClrUsed == 0 ? most : header.biClrUsed;
        if (colors > most)
            return false;
    }
    LONG width = header.biWidth, height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    // Every figure fits 64 bits: at most 16384 * 32 bits a row and 16384 rows.
    size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    size_t table = header.biSize, rows = table + colors * 4;
    if (rows > size || stride * static_cast<size_t>(height) > size - rows)
        return false;
    uint32_t palette[256];
    for (size_t i = 0; i < colors; ++i) {
        const uint8_t *quad = bytes + table + i * 4; // blue, green, red, reserved
        palette[i] = (static_cast<uint32_t>(quad[2]) << 16) | (static_cast<uint32_t>(quad[1]) << 8) | quad[0];
    }
    try {
        dib->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc &) {
        return false;
    }
    dib->width = width;
    dib->height = height;
    bool bottomUp = header.biHeight > 0;
    for (LONG y = 0; y < height; ++y) {
        const uint8_t *row = bytes + rows + stride * static_cast<size_t>(bottomUp ? height - 1 - y : y);
        uint32_t *out = &dib->pixels[static_cast<size_t>(y) * static_cast<size_t>(width)];
        for (LONG x = 0; x < width; ++x) {
            size_t index;
            switch (bits) {
            case 4:
                index = (x & 1) == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
                break;
            case 8:
                index = row[x];
                break;
            case 24: {
                const uint8_t *pixel = row + static_cast<size_t>(x) * 3; // blue, green, red
                out[x] = (static_cast<uint32_t>(pixel[2]) << 16) | (static_cast<uint32_t>(pixel[1]) << 8) | pixel[0];
                continue;
            }
            default:
                out[x] = Little32(row + static_cast<size_t>(x) * 4) & 0xFFFFFF;
                continue;
            }
            if (index >= colors) {
                dib->pixels.clear();
                return false;
            }
            out[x] = palette[index];
        }
    }
    return true;
}

} // namespace qelwin
