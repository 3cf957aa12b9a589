// Reading, writing and seeking in a stream held as a byte vector with a seek position:
// what storage streams and memory streams share. Internal to the library.
#pragma once

#include "basetypes.h"
#include "storage.h"

#include <cstdint>
#include <vector>

namespace qelcom {

typedef std::vector<unsigned char> StreamBytes;

__attribute__((visibility("hidden"))) HRESULT ReadStreamBytes(const StreamBytes &data, uint64_t &position, void *pv,
                                                              ULONG cb, ULONG *pcbRead);

// `maxSize` is the largest the stream may grow to; beyond it the write gives
// STG_E_MEDIUMFULL and writes nothing.
__attribute__((visibility("hidden"))) HRESULT WriteStreamBytes(StreamBytes &data, uint64_t &position, const void *pv,
                                                               ULONG cb, ULONG *pcbWritten, uint64_t maxSize);

__attribute__((visibility("hidden"))) HRESULT SeekStreamBytes(uint64_t size, uint64_t &position, LARGE_INTEGER move,
                                                              DWORD origin, ULARGE_INTEGER *newPosition);

// New bytes are zeros. The seek position stays, also when it is now past the end.
__attribute__((visibility("hidden"))) HRESULT ResizeStreamBytes(StreamBytes &data, uint64_t newSize, uint64_t maxSize);

} // namespace qelcom
