#include "textconv.h"

#include "lasterror.h"
#include "winerror.h"

#include <cstring>

namespace {

// Code page 1252 from 0x80 to 0x9F; everything else in the code page is Latin-1, equal to
// its UTF-16 value. The five unassigned bytes stand for the C1 controls of their number.
const char16_t highControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t ToWide(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? highControls[byte - 0x80] : byte;
}

// The 1252 byte of a UTF-16 character, or -1 when the code page has none.
int ToAnsi(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (int i = 0; i < 32; ++i) {
        if (highControls[i] == ch)
            return 0x80 + i;
    }
    return -1;
}

bool IsAnsiCodePage(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP;
}

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int multiByteLength, LPWSTR wideCharStr,
                        int wideCharLength)
{
    if (!IsAnsiCodePage(codePage) || multiByteStr == nullptr || multiByteLength == 0 || multiByteLength < -1 ||
        wideCharLength < 0 || (wideCharLength > 0 && wideCharStr == nullptr) ||
        static_cast<const void *>(multiByteStr) == static_cast<const void *>(wideCharStr))
        return Fail(ERROR_INVALID_PARAMETER);
    if ((flags & ~static_cast<DWORD>(MB_PRECOMPOSED)) != 0)
        return Fail(ERROR_INVALID_FLAGS);

    size_t count = multiByteLength == -1 ? strlen(multiByteStr) + 1 : static_cast<size_t>(multiByteLength);
    // One UTF-16 unit per byte; a count past INT_MAX cannot be answered in an int.
    if (count > 0x7FFFFFFF)
        return Fail(ERROR_INVALID_PARAMETER);
    if (wideCharLength == 0)
        return static_cast<int>(count);
    size_t fits = count <= static_cast<size_t>(wideCharLength) ? count : static_cast<size_t>(wideCharLength);
    for (size_t i = 0; i < fits; ++i)
        wideCharStr[i] = ToWide(static_cast<unsigned char>(multiByteStr[i]));
    if (fits < count)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<int>(count);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int wideCharLength, LPSTR multiByteStr,
                        int multiByteLength, LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    if (!IsAnsiCodePage(codePage) || wideCharStr == nullptr || wideCharLength == 0 || wideCharLength < -1 ||
        multiByteLength < 0 || (multiByteLength > 0 && multiByteStr == nullptr) ||
        static_cast<const void *>(multiByteStr) == static_cast<const void *>(wideCharStr))
        return Fail(ERROR_INVALID_PARAMETER);
    if (flags != 0)
        return Fail(ERROR_INVALID_FLAGS);

    size_t length = static_cast<size_t>(wideCharLength);
    if (wideCharLength == -1) {
        length = 0;
        while (wideCharStr[length] != 0)
            ++length;
        ++length;
    }
    char substitute = defaultChar != nullptr ? defaultChar[0] : '?';
    bool usedDefault = false;
    size_t written = 0;
    for (size_t i = 0; i < length; ++i) {
        char16_t ch = wideCharStr[i];
        int byte = ToAnsi(ch);
        if (byte < 0) {
            usedDefault = true;
            byte = static_cast<unsigned char>(substitute);
            // A high surrogate followed by its low half is one character outside the
            // code page, so it costs one default byte, not two.
            if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < length && wideCharStr[i + 1] >= 0xDC00 &&
                wideCharStr[i + 1] <= 0xDFFF)
                ++i;
        }
        if (multiByteLength != 0) {
            if (written == static_cast<size_t>(multiByteLength)) {
                if (usedDefaultChar != nullptr)
                    *usedDefaultChar = usedDefault;
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            }
            multiByteStr[written] = static_cast<char>(byte);
        }
        ++written;
        if (written > 0x7FFFFFFF)
            return Fail(ERROR_INVALID_PARAMETER);
    }
    if (usedDefaultChar != nullptr)
        *usedDefaultChar = usedDefault;
    return static_cast<int>(written);
}
