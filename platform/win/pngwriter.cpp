#include "drawingchecks.h"

#include "gdistate.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace {

uint32_t Crc32(const std::string &bytes, size_t from)
{
    static uint32_t table[256];
    static bool made = [] {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return true;
    }();
    (void)made;
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i)
        crc = table[(crc ^ static_cast<uint8_t>(bytes[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutWord(std::string &out, uint32_t word)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((word >> shift) & 0xFF));
}

void PutChunk(std::string &out, const char *type, const std::string &data)
{
    PutWord(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.append(type, 4);
    out.append(data);
    PutWord(out, Crc32(out, start));
}

// A zlib stream of stored (uncompressed) blocks: simple, and PNG readers all take it.
std::string StoredZlib(const std::string &raw)
{
    std::string out("\x78\x01", 2);
    const size_t kBlock = 65535;
    size_t at = 0;
    do {
        size_t length = std::min(kBlock, raw.size() - at);
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<char>(length & 0xFF));
        out.push_back(static_cast<char>(length >> 8));
        out.push_back(static_cast<char>(~length & 0xFF));
        out.push_back(static_cast<char>((~length >> 8) & 0xFF));
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (char c : raw) {
        a = (a + static_cast<uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    PutWord(out, (b << 16) | a);
    return out;
}

} // namespace

BOOL QelWritePng(HBITMAP bitmap, LPCSTR path)
{
    std::shared_ptr<qelwin::GdiObject> object = qelwin::LookUpGdiObject(bitmap, qelwin::GdiKind::Bitmap);
    if (object == nullptr || path == nullptr)
        return FALSE;
    const qelwin::Surface &surface = *object->surface;
    std::string header;
    PutWord(header, static_cast<uint32_t>(surface.width));
    PutWord(header, static_cast<uint32_t>(surface.height));
    header.append("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter, no interlace
    std::string raw;
    raw.reserve(static_cast<size_t>(surface.height) * (1 + 3 * static_cast<size_t>(surface.width)));
    for (LONG y = 0; y < surface.height; ++y) {
        raw.push_back(0); // no filter
        for (LONG x = 0; x < surface.width; ++x) {
            uint32_t pixel = surface.pixels[static_cast<size_t>(y) * surface.width + x];
            raw.push_back(static_cast<char>((pixel >> 16) & 0xFF));
            raw.push_back(static_cast<char>((pixel >> 8) & 0xFF));
            raw.push_back(static_cast<char>(pixel & 0xFF));
        }
    }
    std::string file("\x89PNG\r\n\x1A\n", 8);
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", StoredZlib(raw));
    PutChunk(file, "IEND", std::string());
    std::unique_ptr<FILE, int (*)(FILE *)> out(std::fopen(path, "wb"), std::fclose);
    if (out == nullptr)
        return FALSE;
    bool written = std::fwrite(file.data(), 1, file.size(), out.get()) == file.size();
    return std::fclose(out.release()) == 0 && written ? TRUE : FALSE;
}
