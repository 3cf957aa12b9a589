#include "profile.h"

#include "numberparse.h"

#include <cstdio>
#include <cstring>

namespace Profile {

namespace {

struct BoolWords {
    const char *trueWord;
    const char *falseWord;
};

// Styles 1, 2, 3 and then every other non-zero style, in the order a read tries them.
constexpr BoolWords kBoolWords[] = {{"True", "False"}, {"On", "Off"}, {"Yes", "No"}, {"1", "0"}};

const BoolWords &WordsOfStyle(int style)
{
    return style >= 1 && style <= 3 ? kBoolWords[style - 1] : kBoolWords[3];
}

int StyleOfRadix(int radix)
{
    return radix == 16 ? PROFILE_STYLE_HEX : PROFILE_STYLE_DECIMAL;
}

} // namespace

BOOL CProfile::WriteBool(LPCSTR section, LPCSTR entry, BOOL value, int style)
{
    if (style == 0)
        return WriteDWORD(section, entry, value != 0, PROFILE_STYLE_RAW);
    const BoolWords &words = WordsOfStyle(style);
    return WriteString(section, entry, value ? words.trueWord : words.falseWord);
}

BOOL CProfile::GetBool(LPCSTR section, LPCSTR entry, BOOL defaultValue, BOOL *out)
{
    if (out == nullptr)
        return FALSE;
    char text[7] = "";
    if (!GetString(section, entry, "", text, sizeof text))
        return FALSE;
    if (text[0] == 0) {
        DWORD number = 0;
        if (!GetDWORD(section, entry, defaultValue != 0, &number))
            return FALSE;
        *out = static_cast<BOOL>(number);
        return TRUE;
    }
    // The raw number 1 of style 0, read as text.
    if (text[0] == 1) {
        *out = TRUE;
        return TRUE;
    }
    *out = defaultValue;
    for (const BoolWords &words : kBoolWords) {
        if (_stricmp(text, words.trueWord) == 0) {
            *out = TRUE;
            break;
        }
        if (_stricmp(text, words.falseWord) == 0) {
            *out = FALSE;
            break;
        }
    }
    return TRUE;
}

BOOL CProfile::WriteByte(LPCSTR section, LPCSTR entry, BYTE value, int radix)
{
    return WriteDWORD(section, entry, value, StyleOfRadix(radix));
}

BOOL CProfile::WriteWord(LPCSTR section, LPCSTR entry, WORD value, int radix)
{
    return WriteDWORD(section, entry, value, StyleOfRadix(radix));
}

BOOL CProfile::WriteLong(LPCSTR section, LPCSTR entry, LONG value, int radix)
{
    return WriteDWORD(section, entry, static_cast<DWORD>(value), StyleOfRadix(radix));
}

BOOL CProfile::GetByte(LPCSTR section, LPCSTR entry, BYTE defaultValue, BYTE *out)
{
    if (out == nullptr)
        return FALSE;
    DWORD number = 0;
    BOOL read = GetDWORD(section, entry, defaultValue, &number);
    *out = read && number < 0x100 ? static_cast<BYTE>(number) : defaultValue;
    return read;
}

BOOL CProfile::GetWord(LPCSTR section, LPCSTR entry, WORD defaultValue, WORD *out)
{
    if (out == nullptr)
        return FALSE;
    DWORD number = 0;
    BOOL read = GetDWORD(section, entry, defaultValue, &number);
    *out = read && number < 0x10000 ? static_cast<WORD>(number) : defaultValue;
    return read;
}

BOOL CProfile::GetLong(LPCSTR section, LPCSTR entry, DWORD defaultValue, DWORD *out)
{
    if (out == nullptr)
        return FALSE;
    DWORD number = 0;
    BOOL read = GetDWORD(section, entry, defaultValue, &number);
    *out = read ? number : defaultValue;
    return read;
}

BOOL CProfile::GetLongInRange(LPCSTR section, LPCSTR entry, LONG min, LONG max, LONG defaultValue, LONG *out)
{
    if (out == nullptr)
        return FALSE;
    DWORD number = 0;
    BOOL read = GetDWORD(section, entry, static_cast<DWORD>(defaultValue), &number);
    LONG value = static_cast<LONG>(number);
    *out = read && min <= value && value <= max ? value : defaultValue;
    return read;
}

LONG CProfile::GetLongInRangeValue(LPCSTR section, LPCSTR entry, LONG min, LONG max, LONG defaultValue)
{
    LONG value = defaultValue;
    return GetLongInRange(section, entry, min, max, defaultValue, &value) ? value : defaultValue;
}

BOOL CProfile::WriteDouble(LPCSTR section, LPCSTR entry, double value)
{
    char text[32];
    snprintf(text, sizeof text, "%g", value);
    return WriteString(section, entry, text);
}

BOOL CProfile::GetDouble(LPCSTR section, LPCSTR entry, double defaultValue, double *out)
{
    if (out == nullptr)
        return FALSE;
    char text[64] = "";
    if (!GetString(section, entry, "", text, sizeof text))
        return FALSE;
    *out = text[0] == 0 ? defaultValue : TextToDouble(text);
    return TRUE;
}

BOOL CProfile::GetString(LPCSTR section, LPCSTR entry, LPCSTR defaultText, CString &out, int size)
{
    if (size < 1)
        return FALSE;
    BOOL read = GetString(section, entry, defaultText, out.GetBuffer(size), size);
    out.ReleaseBuffer();
    return read;
}

BOOL CProfile::GetWordIndex(LPCSTR section, LPCSTR entry, const char *const *words, int defaultIndex, int *out)
{
    if (out == nullptr)
        return FALSE;
    char text[33] = "";
    if (!GetString(section, entry, "", text, sizeof text))
        return FALSE;
    *out = defaultIndex;
    if (text[0] == 0 || words == nullptr)
        return TRUE;
    for (int index = 0; words[index] != nullptr; index++) {
        if (_strnicmp(text, words[index], 32) == 0) {
            *out = index;
            break;
        }
    }
    return TRUE;
}

BOOL CProfile::WriteColor(LPCSTR section, LPCSTR entry, COLORREF color)
{
    char text[16];
    snprintf(text, sizeof text, "%3d,%3d,%3d", static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
             static_cast<int>((color >> 16) & 0xFF));
    return WriteString(section, entry, text);
}

BOOL CProfile::GetColor(LPCSTR section, LPCSTR entry, COLORREF *out)
{
    if (out == nullptr)
        return FALSE;
    char text[32] = "";
    if (!GetString(section, entry, "", text, sizeof text))
        return FALSE;
    DWORD parts[3] = {0, 0, 0};
    char *rest = nullptr;
    char *field = strtok_r(text, ",", &rest);
    for (DWORD &part : parts) {
        if (field == nullptr)
            return FALSE;
        // The fields are padded with blanks on the left: the reader stops at them with
        // FALSE, but has the value of the digits by then.
        ParseNumber(field, &part, 0);
        field = strtok_r(nullptr, ",", &rest);
    }
    *out = (parts[0] & 0xFF) | (parts[1] & 0xFF) << 8 | (parts[2] & 0xFF) << 16;
    return TRUE;
}

} // namespace Profile
