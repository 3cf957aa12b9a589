#include "elfhash.h"

UINT ElfHashKey(LPCSTR text)
{
    UINT h = 0;
    if (text == NULL)
        return h;
    for (const signed char *p = reinterpret_cast<const signed char *>(text); *p != 0; ++p) {
        // Unsigned arithmetic wraps, which is what adding a negative byte means here.
        h = (h << 4) + static_cast<UINT>(static_cast<INT>(*p));
        UINT g = h & 0xF0000000u;
        if (g != 0)
            h = (h & 0x0FFFFFFFu) ^ (g >> 24);
    }
    return h;
}

template <>
UINT AFXAPI HashKey<CString &>(CString &key)
{
    return ElfHashKey(key);
}
