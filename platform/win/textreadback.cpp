#include "drawingchecks.h"

#include "gdipixels.h"
#include "glyphs.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using qelwin::kCellHeight;
using qelwin::kCellWidth;
using qelwin::kGlyphRows;

struct Glyph {
    char byte;
    bool bold;
};

// The cell rows of a glyph as 6-bit values (bit 5 the leftmost column), 7 of them packed
// into a key.
uint64_t BoxKey(const uint8_t *rows, bool bold)
{
    uint64_t key = 0;
    for (int row = 0; row < kGlyphRows; ++row) {
        uint64_t bits = bold ? (rows[row] << 1 | rows[row]) : rows[row] << 1;
        key |= bits << (6 * row);
    }
    return key;
}

// The glyphs by box key, one map for each first row of the box (3 and 5).
struct Patterns {
    std::unordered_map<uint64_t, Glyph> byTop[2];

    Patterns()
    {
        // 127 stands for every byte without a glyph, which all draw the box.
        for (int byte = 33; byte <= 127; ++byte) {
            const uint8_t *rows = qelwin::GlyphRows(static_cast<unsigned char>(byte));
            int slot = qelwin::GlyphTop(static_cast<unsigned char>(byte)) == 3 ? 0 : 1;
            for (bool bold : {false, true})
                byTop[slot].emplace(BoxKey(rows, bold), Glyph{static_cast<char>(byte), bold});
        }
    }
};

struct Hit {
    LONG top; // the cell's top row
    LONG x;
    Glyph glyph;
};

// The glyphs drawn in `color` within `rect`, by the top of their line and then from the
// left, in device coordinates of the DC's surface.
std::map<LONG, std::vector<Hit>> FindLines(HDC dc, const RECT *rect, COLORREF color)
{
    std::map<LONG, std::vector<Hit>> lines;
    std::shared_ptr<qelwin::DeviceContext> found = qelwin::LookUpDC(dc);
    if (found == nullptr || rect == nullptr || found->surface == nullptr)
        return lines;
    static const Patterns patterns;
    qelwin::DeviceContext &context = *found;
    RECT area = context.ToDevice(*rect, qelwin::Intersect(RECT{0, 0, context.size.cx, context.size.cy},
                                                          RECT{-context.offset.x, -context.offset.y,
                                                               context.surface->width - context.offset.x,
                                                               context.surface->height - context.offset.y}));
    LONG width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return lines;
    // rows[y][x]: the 6 pixels from x rightwards in the colour, bit 5 the leftmost; what
    // lies outside the rectangle counts as not in the colour.
    uint32_t wanted = qelwin::PixelOf(color);
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height, 0);
    for (LONG y = 0; y < height; ++y) {
        unsigned bits = 0;
        for (LONG x = width - 1 + kCellWidth; x >= 0; --x) {
            bool on = x < width && qelwin::PixelAt(context, area.left + x, area.top + y) == wanted;
            bits = (bits >> 1) | (on ? 0x20 : 0);
            if (x < width)
                rows[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(bits);
        }
    }
    auto row = [&](LONG x, LONG y) -> unsigned {
        return x >= 0 && x < width && y >= 0 && y < height ? rows[static_cast<size_t>(y) * width + x] : 0;
    };
    auto column = [&](LONG x, LONG top) {
        for (LONG y = top; y < top + kCellHeight; ++y)
            if ((row(x, y) & 0x20) != 0)
                return true;
        return false;
    };

    std::vector<Hit> hits;
    for (LONG top = -kCellHeight; top < height; ++top) {
        for (LONG x = 0; x < width; ++x) {
            for (int slot = 0; slot < 2; ++slot) {
                int boxTop = slot == 0 ? 3 : 5;
                uint64_t key = 0;
                for (int r = 0; r < kGlyphRows; ++r)
                    key |= uint64_t(row(x, top + boxTop + r)) << (6 * r);
                auto match = patterns.byTop[slot].find(key);
                if (match == patterns.byTop[slot].end())
                    continue;
                bool clear = true;
                for (LONG y = top; y < top + kCellHeight && clear; ++y)
                    clear = (y >= top + boxTop && y < top + boxTop + kGlyphRows) || row(x, y) == 0;
                if (clear && !match->second.bold)
                    clear = !column(x - 1, top);
                if (clear)
                    hits.push_back({top, x, match->second});
            }
        }
    }

    // Where cells overlap, the one on the line with more glyphs wins: a glyph seen in
    // part of another line's glyphs is a stray.
    std::map<LONG, size_t> perLine;
    for (const Hit &hit : hits)
        ++perLine[hit.top];
    std::stable_sort(hits.begin(), hits.end(), [&](const Hit &a, const Hit &b) {
        size_t na = perLine[a.top], nb = perLine[b.top];
        return na != nb ? na > nb : a.top != b.top ? a.top < b.top : a.x < b.x;
    });
    std::vector<Hit> taken;
    for (const Hit &hit : hits) {
        bool overlaps = std::any_of(taken.begin(), taken.end(), [&](const Hit &other) {
            return hit.x < other.x + kCellWidth && other.x < hit.x + kCellWidth && hit.top < other.top + kCellHeight &&
                   other.top < hit.top + kCellHeight;
        });
        if (overlaps)
            continue;
        taken.push_back(hit);
        lines[area.top + hit.top].push_back({area.top + hit.top, area.left + hit.x, hit.glyph});
    }
    for (auto &entry : lines)
        std::sort(entry.second.begin(), entry.second.end(), [](const Hit &a, const Hit &b) { return a.x < b.x; });
    return lines;
}

} // namespace

int QelReadText(HDC dc, const RECT *rect, COLORREF color, LPSTR buffer, int size)
{
    return QelReadTextStyles(dc, rect, color, buffer, nullptr, size);
}

int QelReadTextStyles(HDC dc, const RECT *rect, COLORREF color, LPSTR buffer, LPSTR styles, int size)
{
    if (buffer == nullptr || size < 1)
        return 0;
    buffer[0] = '\0';
    if (styles != nullptr)
        styles[0] = '\0';
    std::map<LONG, std::vector<Hit>> lines = FindLines(dc, rect, color);

    std::string text, style;
    for (auto &[top, line] : lines) {
        if (!text.empty())
            text.push_back('\n');
        for (size_t i = 0; i < line.size(); ++i) {
            if (i > 0) {
                LONG gap = line[i].x - line[i - 1].x - kCellWidth;
                text.append(static_cast<size_t>(std::max<LONG>(0, (gap + kCellWidth / 2) / kCellWidth)), ' ');
            }
            style.resize(text.size(), ' ');
            text.push_back(line[i].glyph.byte);
            style.push_back(line[i].glyph.bold ? 'b' : 'r');
        }
    }
    style.resize(text.size(), ' ');
    size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    if (styles != nullptr) {
        std::memcpy(styles, style.data(), count);
        styles[count] = '\0';
    }
    return static_cast<int>(count);
}

int QelFindGlyphs(HDC dc, const RECT *rect, COLORREF color, QELGLYPH *glyphs, int count)
{
    int found = 0;
    for (const auto &[top, line] : FindLines(dc, rect, color))
        for (const Hit &hit : line) {
            if (glyphs != nullptr && found < count)
                glyphs[found] = QELGLYPH{hit.x, hit.top, hit.glyph.byte, hit.glyph.bold ? TRUE : FALSE};
            ++found;
        }
    return found;
}
