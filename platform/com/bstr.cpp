#include "bstr.h"

#include "internal/liveset.h"

#include <cstdlib>
#include <cstring>

namespace {

// A block holds the 32-bit byte length, the bytes, and three zero bytes at most.
constexpr UINT kMaxByteLength = 0x7FFFFFF0u;

char *BlockOf(BSTR bstr)
{
    return reinterpret_cast<char *>(bstr) - sizeof(UINT32);
}

BSTR NewBstr(const void *bytes, UINT byteLength)
{
    if (byteLength > kMaxByteLength)
        return nullptr;
    // Two zero bytes end the text; a third, after an odd length, makes the first
    // character after the last whole one a zero as well.
    size_t tail = 2 + (byteLength & 1);
    size_t size = sizeof(UINT32) + byteLength + tail;
    char *block = static_cast<char *>(std::malloc(size));
    if (!block)
        return nullptr;
    UINT32 length = byteLength;
    std::memcpy(block, &length, sizeof length);
    if (bytes)
        std::memcpy(block + sizeof length, bytes, byteLength);
    else
        std::memset(block + sizeof length, 0, byteLength);
    std::memset(block + sizeof length + byteLength, 0, tail);
    BSTR bstr = reinterpret_cast<BSTR>(block + sizeof length);
    if (!qelcom::LiveBstrs().Add(bstr)) {
        std::free(block);
        return nullptr;
    }
    return bstr;
}

// `fresh` is made before the old BSTR goes, because the new text may lie inside it.
INT Replace(BSTR *pbstr, BSTR fresh)
{
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

} // namespace

STDAPI_(BSTR) SysAllocString(const OLECHAR *psz)
{
    if (!psz)
        return nullptr;
    size_t length = 0;
    while (psz[length] != 0) {
        if (++length > kMaxByteLength / sizeof(OLECHAR))
            return nullptr;
    }
    return NewBstr(psz, static_cast<UINT>(length * sizeof(OLECHAR)));
}

STDAPI_(BSTR) SysAllocStringLen(const OLECHAR *strIn, UINT ui)
{
    if (ui > kMaxByteLength / sizeof(OLECHAR))
        return nullptr;
    return NewBstr(strIn, ui * static_cast<UINT>(sizeof(OLECHAR)));
}

STDAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len)
{
    return NewBstr(psz, len);
}

STDAPI_(INT) SysReAllocString(BSTR *pbstr, const OLECHAR *psz)
{
    if (!pbstr)
        return FALSE;
    // A NULL text makes the NULL BSTR, as SysAllocString does.
    BSTR fresh = SysAllocString(psz);
    if (!fresh && psz)
        return FALSE;
    return Replace(pbstr, fresh);
}

STDAPI_(INT) SysReAllocStringLen(BSTR *pbstr, const OLECHAR *psz, UINT len)
{
    if (!pbstr)
        return FALSE;
    BSTR fresh = SysAllocStringLen(psz, len);
    if (!fresh)
        return FALSE;
    return Replace(pbstr, fresh);
}

STDAPI_(void) SysFreeString(BSTR bstrString)
{
    if (bstrString && qelcom::LiveBstrs().Remove(bstrString))
        std::free(BlockOf(bstrString));
}

STDAPI_(UINT) SysStringByteLen(BSTR bstr)
{
    if (!bstr)
        return 0;
    UINT32 length;
    std::memcpy(&length, BlockOf(bstr), sizeof length);
    return length;
}

STDAPI_(UINT) SysStringLen(BSTR bstr)
{
    return SysStringByteLen(bstr) / sizeof(OLECHAR);
}
