// The file format of storages: the image of one tree. Internal to the library.
//
// All numbers are little-endian.
//
//   offset  size  header
//        0     8  magic: 89 51 53 54 47 0D 0A 1A ("\x89QSTG\r\n\x1A": a high byte and line
//                 ends, so that a file mangled as text is caught at once)
//        8     4  format version, 1
//       12     4  body length in bytes
//       16     4  CRC-32 of the body
//       20     4  CRC-32 of bytes 0 to 19
//       24        body
//
// The body is the contents of the root storage:
//
//   contents := count (4), then `count` elements
//   element  := type (1: 1 storage, 2 stream), name length n (1: 1 to 31),
//               name (n UTF-16 units, 2 each),
//               for a storage: its contents;
//               for a stream: data length L (4), then L bytes
//
// A reader takes a file whole or not at all: every length is checked against what is
// left, names must be valid and unique within their storage (blind to case), storages
// nest at most kMaxStorageDepth deep, and nothing may follow the root's contents. The
// check sums catch what the lengths cannot: a changed byte of a name or of a stream.
#pragma once

#include "basetypes.h"
#include "internal/stgtree.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qelcom {

constexpr size_t kStgHeaderSize = 24;
constexpr size_t kStgMagicSize = 8;
constexpr DWORD kStgFormatVersion = 1;

// The standard CRC-32 (reflected polynomial 0xEDB88320), as zip and PNG use it.
__attribute__((visibility("hidden"))) DWORD Crc32(const unsigned char *bytes, size_t size);

// Reads the image of a file into `root` (an empty storage node) and sets `dataBytes` to
// the bytes of its streams. STG_E_FILEALREADYEXISTS when the bytes do not start with the
// magic (not a storage file), STG_E_OLDDLL for a later version, STG_E_DOCFILETOOLARGE for
// a body beyond kMaxDocumentBytes, STG_E_DOCFILECORRUPT for anything else that is wrong,
// STG_E_INSUFFICIENTMEMORY. On failure `root` holds whatever was read so far, which the
// caller throws away.
__attribute__((visibility("hidden"))) HRESULT ParseStorageImage(const unsigned char *bytes, size_t size,
                                                                StgNode &root, uint64_t &dataBytes);

// The image of the tree below `root`. STG_E_DOCFILETOOLARGE when its body would pass
// kMaxDocumentBytes, STG_E_INSUFFICIENTMEMORY.
__attribute__((visibility("hidden"))) HRESULT BuildStorageImage(const StgNode &root, std::vector<unsigned char> &image);

} // namespace qelcom
