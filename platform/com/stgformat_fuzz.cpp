// Fuzz target of the storage file reader: any bytes must be refused cleanly or read
// into a tree that writes back to an image reading the same.
//
// Raw bytes rarely carry right check sums, so each input is also tried resealed: with
// the magic, version 1, its true body length and both sums made right, which lets the
// fuzzer reach the record reader.
// fuzz-seeds: testdata/storage/*.stg
#include "internal/stgformat.h"
#include "winerror.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void Put32(unsigned char *at, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void ReadAndRewrite(const unsigned char *data, size_t size)
{
    qelcom::StgNode root(true, u"");
    uint64_t dataBytes = 0;
    if (FAILED(qelcom::ParseStorageImage(data, size, root, dataBytes)))
        return;
    std::vector<unsigned char> image;
    if (FAILED(qelcom::BuildStorageImage(root, image)))
        __builtin_trap(); // what was read must be writable
    qelcom::StgNode again(true, u"");
    uint64_t againBytes = 0;
    if (FAILED(qelcom::ParseStorageImage(image.data(), image.size(), again, againBytes)) || againBytes != dataBytes)
        __builtin_trap();
    std::vector<unsigned char> second;
    if (FAILED(qelcom::BuildStorageImage(again, second)) || second != image)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReadAndRewrite(data, size);
    if (size >= qelcom::kStgHeaderSize) {
        static const unsigned char magic[] = {0x89, 'Q', 'S', 'T', 'G', 0x0D, 0x0A, 0x1A};
        std::vector<unsigned char> sealed(data, data + size);
        std::memcpy(sealed.data(), magic, sizeof magic);
        size_t body = size - qelcom::kStgHeaderSize;
        Put32(&sealed[8], 1);
        Put32(&sealed[12], static_cast<uint32_t>(body));
        Put32(&sealed[16], qelcom::Crc32(sealed.data() + qelcom::kStgHeaderSize, body));
        Put32(&sealed[20], qelcom::Crc32(sealed.data(), 20));
        ReadAndRewrite(sealed.data(), sealed.size());
    }
    return 0;
}
