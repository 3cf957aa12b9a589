#include "internal/streambytes.h"

#include <cstring>
#include <limits>
#include <new>

namespace qelcom {

HRESULT ReadStreamBytes(const StreamBytes &data, uint64_t &position, void *pv, ULONG cb, ULONG *pcbRead)
{
    if (pcbRead)
        *pcbRead = 0;
    if (!pv)
        return STG_E_INVALIDPOINTER;
    ULONG count = 0;
    if (position < data.size()) {
        uint64_t left = data.size() - position;
        count = left < cb ? static_cast<ULONG>(left) : cb;
        std::memcpy(pv, data.data() + position, count);
        position += count;
    }
    if (pcbRead)
        *pcbRead = count;
    return S_OK;
}

HRESULT WriteStreamBytes(StreamBytes &data, uint64_t &position, const void *pv, ULONG cb, ULONG *pcbWritten,
                         uint64_t maxSize)
{
    if (pcbWritten)
        *pcbWritten = 0;
    if (!pv)
        return STG_E_INVALIDPOINTER;
    if (cb == 0)
        return S_OK;
    if (position > maxSize || cb > maxSize - position)
        return STG_E_MEDIUMFULL;
    uint64_t end = position + cb;
    if (end > data.size()) {
        try {
            data.resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc &) {
            return STG_E_INSUFFICIENTMEMORY;
        }
    }
    std::memcpy(data.data() + position, pv, cb);
    position = end;
    if (pcbWritten)
        *pcbWritten = cb;
    return S_OK;
}

HRESULT SeekStreamBytes(uint64_t size, uint64_t &position, LARGE_INTEGER move, DWORD origin,
                        ULARGE_INTEGER *newPosition)
{
    uint64_t base;
    switch (origin) {
    case STREAM_SEEK_SET:
        base = 0;
        break;
    case STREAM_SEEK_CUR:
        base = position;
        break;
    case STREAM_SEEK_END:
        base = size;
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    // Positions stay within what a signed 64-bit offset reaches.
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    uint64_t target;
    if (move.QuadPart < 0) {
        uint64_t back = static_cast<uint64_t>(-(move.QuadPart + 1)) + 1;
        if (back > base)
            return STG_E_INVALIDFUNCTION;
        target = base - back;
    } else {
        uint64_t ahead = static_cast<uint64_t>(move.QuadPart);
        if (base > limit || ahead > limit - base)
            return STG_E_INVALIDFUNCTION;
        target = base + ahead;
    }
    position = target;
    if (newPosition)
        newPosition->QuadPart = target;
    return S_OK;
}

HRESULT ResizeStreamBytes(StreamBytes &data, uint64_t newSize, uint64_t maxSize)
{
    if (newSize > maxSize)
        return STG_E_MEDIUMFULL;
    try {
        data.resize(static_cast<size_t>(newSize));
    } catch (const std::bad_alloc &) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}

} // namespace qelcom
