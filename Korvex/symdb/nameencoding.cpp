#include "nameencoding.h"

#include <cstring>

namespace {

const unsigned char kShift = 0x81;

template <class Map>
void Transform(LPCSTR text, CString &out, Map map)
{
    int length = text ? static_cast<int>(std::strlen(text)) : 0;
    LPSTR buffer = out.GetBufferSetLength(length);
    for (int i = 0; i < length; ++i)
        buffer[i] = static_cast<char>(map(static_cast<unsigned char>(text[i])));
    out.ReleaseBuffer(length);
}

} // namespace

void EncodeNameString(LPCSTR text, CString &out)
{
    Transform(text, out, [](unsigned char c) { return c >= 'a' && c <= 'z' ? c + kShift : c; });
}

void DecodeNameString(LPCSTR text, CString &out)
{
    Transform(text, out, [](unsigned char c) { return c >= 'a' + kShift && c <= 'z' + kShift ? c - kShift : c; });
}
