#include "sfrnumber.h"

#include <cctype>

BOOL ParseSfrNumber(LPCSTR text, DWORD &value)
{
    value = 0;
    if (text == nullptr)
        return FALSE;
    while (*text == ' ' || *text == '\t')
        ++text;
    const char *end = text;
    while (*end != '\0')
        ++end;
    while (end > text && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    unsigned base = 10;
    if (end - text > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (text == end)
        return FALSE;
    unsigned long long number = 0;
    for (; text < end; ++text) {
        const unsigned char c = static_cast<unsigned char>(*text);
        unsigned digit;
        if (isdigit(c))
            digit = c - '0';
        else if (base == 16 && isxdigit(c))
            digit = static_cast<unsigned>(tolower(c) - 'a' + 10);
        else
            return FALSE;
        number = number * base + digit;
        if (number > 0xFFFFFFFFull)
            return FALSE;
    }
    value = static_cast<DWORD>(number);
    return TRUE;
}
