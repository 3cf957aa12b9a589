#include "crtstring.h"

static int FoldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

int _strnicmp(const char *a, const char *b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int ca = FoldAscii(static_cast<unsigned char>(a[i]));
        int cb = FoldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca - cb;
        if (ca == 0)
            break;
    }
    return 0;
}

int _stricmp(const char *a, const char *b)
{
    return _strnicmp(a, b, static_cast<size_t>(-1));
}
