// Case-blind comparisons of the C run-time of Windows.
//
// Only ASCII letters are folded, as the C run-time does in the "C" locale: both sides are
// folded to lower case before they are compared, so '_' (0x5F) sorts after letters, as it
// does on Windows. Bytes are compared unsigned.
#pragma once

#include <cstddef>

int _stricmp(const char *a, const char *b);
int _strnicmp(const char *a, const char *b, size_t count);

// Code page 1252 has one byte a character, so the multibyte comparison follows
// _stricmp's rules.
inline int _mbsicmp(const unsigned char *a, const unsigned char *b)
{
    return _stricmp(reinterpret_cast<const char *>(a), reinterpret_cast<const char *>(b));
}
