#include "lstring.h"

#include <cstring>

LPSTR lstrcpyA(LPSTR dest, LPCSTR source)
{
    if (dest == nullptr || source == nullptr)
        return nullptr;
    return strcpy(dest, source);
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR source, int maxLength)
{
    if (dest == nullptr || source == nullptr)
        return nullptr;
    if (maxLength <= 0)
        return dest;
    int i = 0;
    for (; i < maxLength - 1 && source[i] != '\0'; ++i)
        dest[i] = source[i];
    dest[i] = '\0';
    return dest;
}

int lstrlenA(LPCSTR text)
{
    if (text == nullptr)
        return 0;
    size_t length = strlen(text);
    return length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(length);
}
