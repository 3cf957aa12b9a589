// Fuzz target of the text functions: DrawTextA, the extents and tabbed output take any
// bytes, count, flags, rectangle, origins and tab stops without a fault, a hang or a read
// past the count, and DT_CALCRECT answers the height it sets.
//
// The input's first 48 bytes are the flags, the rectangle, the window and viewport
// origins, a count selector and up to four tab stops with their number; the rest is the
// text, copied to a buffer of exactly its size so that a read past the count is seen.
#include "windows.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Reader {
    const uint8_t *data;
    size_t size;

    int32_t Word()
    {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            word = word << 8 | (size > 0 ? *data : 0);
            if (size > 0)
                ++data, --size;
        }
        return static_cast<int32_t>(word);
    }
};

// Keeps a value near the surface most of the time, so that text lands on it, and lets
// the extremes through now and then.
int32_t Near(int32_t value)
{
    return (value & 0x100000) != 0 ? value : value % 200;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static HDC dc = [] {
        HDC memory = CreateCompatibleDC(nullptr);
        SelectObject(memory, CreateCompatibleBitmap(memory, 64, 32));
        return memory;
    }();
    static HFONT bold = [] {
        LOGFONTA font{};
        font.lfWeight = FW_BOLD;
        return CreateFontIndirectA(&font);
    }();
    Reader in{data, size};
    UINT format = static_cast<UINT>(in.Word());
    RECT rect{Near(in.Word()), Near(in.Word()), Near(in.Word()), Near(in.Word())};
    int32_t originX = Near(in.Word()), originY = Near(in.Word());
    int32_t countSelector = in.Word();
    INT stops[4];
    for (INT &stop : stops)
        stop = Near(in.Word());
    int stopCount = static_cast<int>(static_cast<uint32_t>(in.Word()) % 6) - 1; // -1 to 4

    std::vector<char> text(in.data, in.data + in.size);
    SetWindowOrgEx(dc, originX, 0, nullptr);
    SetViewportOrgEx(dc, 0, originY, nullptr);
    SelectObject(dc, (format & 0x80000000u) != 0 ? static_cast<HGDIOBJ>(bold) : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, (format & 0x40000000u) != 0 ? OPAQUE : TRANSPARENT);
    int count = static_cast<int>(text.size());
    if ((countSelector & 3) == 1)
        count = -1 - static_cast<int>(static_cast<uint32_t>(countSelector) >> 2) % 3; // -1 needs a NUL: below
    else if ((countSelector & 3) == 2)
        count = static_cast<int>(static_cast<uint32_t>(countSelector) >> 2) % (count + 1);
    if (count == -1)
        text.push_back('\0');
    const char *bytes = text.empty() ? nullptr : text.data();
    if (bytes == nullptr && count != 0)
        count = 0;

    RECT drawn = rect;
    DrawTextA(dc, bytes, count, &drawn, format & ~static_cast<UINT>(DT_CALCRECT));
    RECT measured = rect;
    int height = DrawTextA(dc, bytes, count, &measured, format | DT_CALCRECT);
    // A count below -1 is refused: 0, and the rectangle left as it was.
    if (height < 0 || (count >= -1 && static_cast<int64_t>(rect.top) + height <= INT32_MAX &&
                       static_cast<int64_t>(measured.bottom) - rect.top != height))
        std::abort();

    int plain = count < 0 ? 0 : count;
    SIZE extent;
    GetTextExtentPoint32A(dc, bytes, plain, &extent);
    GetTabbedTextExtentA(dc, bytes, plain, stopCount, stopCount >= 0 ? stops : nullptr);
    TabbedTextOutA(dc, rect.left, rect.top, bytes, plain, stopCount, stops, originX);
    ExtTextOutA(dc, rect.left, rect.top, ETO_OPAQUE | ETO_CLIPPED, &rect, bytes, static_cast<UINT>(plain), nullptr);
    return 0;
}
