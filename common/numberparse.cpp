#include "numberparse.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsHexLetter(char c)
{
    return (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsHexPrefix(const char *p, const char *end)
{
    return end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

int DigitValue(char c, int radix)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (radix == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (radix == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

BOOL DigitOfRadix(char c, DWORD *value, int radix)
{
    radix &= 0xFFF;
    DWORD digit;
    if (c == '0' || c == '1')
        digit = static_cast<DWORD>(c - '0');
    else if (c >= '2' && c <= '9' && (radix == 0 || radix == 2 || radix == 3))
        digit = static_cast<DWORD>(c - '0');
    else if (IsHexLetter(c) && (radix == 0 || radix == 3))
        digit = static_cast<DWORD>(DigitValue(c, 16));
    else
        return FALSE;
    if (value != nullptr)
        *value = digit;
    return TRUE;
}

LONG ParseNumberText(LPCSTR text)
{
    if (text == nullptr)
        return 0;
    const char *p = text;
    const char *end = text + strlen(text);
    int radix = 10;
    if (IsHexPrefix(p, end)) {
        radix = 16;
        p += 2;
    }
    if (end > p && (end[-1] == 'h' || end[-1] == 'H')) {
        radix = 16;
        --end;
    }
    DWORD value = 0;
    for (; p < end; ++p)
        value = value * static_cast<DWORD>(radix) + static_cast<DWORD>(DigitValue(*p, radix));
    return static_cast<LONG>(value);
}

BOOL ParseNumber(LPCSTR text, DWORD *out, int radix)
{
    if (text == nullptr || text[0] == '\0' || out == nullptr)
        return FALSE;
    int code = radix & 0xFFF;
    if (code > 3)
        return FALSE;
    const char *p = text;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    const char *end = p + strlen(p);
    if (p == end)
        return FALSE;
    if (code == 0) {
        char last = end[-1];
        if (IsHexPrefix(p, end))
            code = 3;
        else if (last == 'h' || last == 'H')
            code = 3;
        else if (last == 'b' || last == 'B')
            code = 1;
        else
            code = 2;
    }
    if (code == 3 && IsHexPrefix(p, end))
        p += 2;
    else if (code == 3 && (end[-1] == 'h' || end[-1] == 'H'))
        --end;
    else if (code == 1 && (end[-1] == 'b' || end[-1] == 'B'))
        --end;
    if (p == end)
        return FALSE;

    const DWORD base = code == 1 ? 2 : code == 2 ? 10 : 16;
    DWORD sum = 0;
    DWORD weight = 1;
    BOOL complete = TRUE;
    for (const char *q = end; q > p;) {
        DWORD digit;
        if (!DigitOfRadix(*--q, &digit, code)) {
            complete = FALSE;
            break;
        }
        sum += digit * weight;
        weight *= base;
    }
    *out = negative ? 0u - sum : sum;
    return complete;
}

BOOL ParseRadixNumber(LPCSTR text, DWORD *out, int defaultRadix)
{
    if (text == nullptr)
        return FALSE;
    while (IsSpace(*text))
        ++text;
    std::string rest(text);
    for (char &c : rest)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');

    int radix = defaultRadix;
    if (rest.size() >= 2 && rest[0] == '0' && rest[1] == 'X') {
        radix = 16;
        rest.erase(0, 2);
    } else if (rest.size() > 1) {
        if (rest.back() == 'H') {
            rest.pop_back();
            radix = 16;
        }
        if (!rest.empty() && rest.back() == 'O') {
            rest.pop_back();
            radix = 8;
        }
        if (!rest.empty() && rest.back() == 'D' &&
            rest.find_first_of("ABCDEF") == rest.size() - 1) {
            rest.pop_back();
            radix = 10;
        }
        if (!rest.empty() && rest.back() == 'Z') {
            rest.pop_back();
            radix = 10;
        }
    }
    if (radix != 16 && radix != 10 && radix != 8)
        radix = 0;

    // strtoul in 32 bits: Linux's unsigned long has 64, so the value is read wider and
    // brought back as the 32-bit C library would give it.
    const char *p = rest.c_str();
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // strtoul allows no white space and no second sign here; a text that it cannot
    // begin to read is not a number.
    bool readable = (*p >= '0' && *p <= '9') || (*p >= 'A' && *p <= 'Z');
    char *stop = const_cast<char *>(p);
    unsigned long long wide = 0;
    if (readable) {
        errno = 0;
        wide = strtoull(p, &stop, radix);
        if (errno == ERANGE || wide > 0xFFFFFFFFull)
            wide = 0xFFFFFFFFull;
        else if (negative)
            wide = (0x100000000ull - wide) & 0xFFFFFFFFull;
    }
    if (out != nullptr)
        *out = static_cast<DWORD>(wide);
    return readable && stop != p && *stop == '\0';
}

double TextToDouble(LPCSTR text)
{
    return text == nullptr ? 0.0 : atof(text);
}
