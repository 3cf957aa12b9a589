#include "internal/stgformat.h"

#include "stgerror.h"

#include <array>
#include <cstring>
#include <new>

namespace qelcom {

namespace {

constexpr unsigned char kMagic[kStgMagicSize] = {0x89, 'Q', 'S', 'T', 'G', 0x0D, 0x0A, 0x1A};
constexpr BYTE kTypeStorage = 1;
constexpr BYTE kTypeStream = 2;

constexpr std::array<DWORD, 256> MakeCrcTable()
{
    std::array<DWORD, 256> table{};
    for (DWORD i = 0; i < 256; i++) {
        DWORD c = i;
        for (int bit = 0; bit < 8; bit++)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<DWORD, 256> kCrcTable = MakeCrcTable();

// A cursor over the image whose every read is checked against what is left; a read
// that does not fit fails and moves nothing.
class ImageReader {
public:
    ImageReader(const unsigned char *bytes, size_t size) : bytes_(bytes), size_(size) {}

    size_t Left() const { return size_ - offset_; }

    bool ReadU8(BYTE &value)
    {
        if (Left() < 1)
            return false;
        value = bytes_[offset_++];
        return true;
    }

    bool ReadU16(WORD &value)
    {
        if (Left() < 2)
            return false;
        value = static_cast<WORD>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
        offset_ += 2;
        return true;
    }

    bool ReadU32(DWORD &value)
    {
        if (Left() < 4)
            return false;
        value = DWORD(bytes_[offset_]) | DWORD(bytes_[offset_ + 1]) << 8 | DWORD(bytes_[offset_ + 2]) << 16 |
                DWORD(bytes_[offset_ + 3]) << 24;
        offset_ += 4;
        return true;
    }

    bool ReadBytes(size_t count, const unsigned char *&start)
    {
        if (Left() < count)
            return false;
        start = bytes_ + offset_;
        offset_ += count;
        return true;
    }

private:
    const unsigned char *bytes_;
    size_t size_;
    size_t offset_ = 0;
};

class ImageWriter {
public:
    explicit ImageWriter(std::vector<unsigned char> &out) : out_(out) {}

    void U8(BYTE value) { out_.push_back(value); }
    void U16(WORD value)
    {
        out_.push_back(static_cast<unsigned char>(value));
        out_.push_back(static_cast<unsigned char>(value >> 8));
    }
    void U32(DWORD value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            out_.push_back(static_cast<unsigned char>(value >> shift));
    }
    void Bytes(const unsigned char *bytes, size_t count) { out_.insert(out_.end(), bytes, bytes + count); }

private:
    std::vector<unsigned char> &out_;
};

void PutU32(unsigned char *at, DWORD value)
{
    for (int i = 0; i < 4; i++)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

DWORD GetU32(const unsigned char *at)
{
    return DWORD(at[0]) | DWORD(at[1]) << 8 | DWORD(at[2]) << 16 | DWORD(at[3]) << 24;
}

// Reads the contents of `storage`, which stands `depth` levels below the root.
HRESULT ReadContents(ImageReader &reader, StgNode &storage, int depth, uint64_t &dataBytes)
{
    DWORD count;
    if (!reader.ReadU32(count))
        return STG_E_DOCFILECORRUPT;
    // No reservation by the count: each element is read before it is made, so a false
    // count runs out of bytes, not of memory.
    for (DWORD i = 0; i < count; i++) {
        BYTE type, nameLength;
        if (!reader.ReadU8(type) || !reader.ReadU8(nameLength))
            return STG_E_DOCFILECORRUPT;
        if ((type != kTypeStorage && type != kTypeStream) || nameLength == 0 || nameLength > kMaxElementName)
            return STG_E_DOCFILECORRUPT;
        std::u16string name(nameLength, u'\0');
        for (auto &unit : name) {
            WORD value;
            if (!reader.ReadU16(value))
                return STG_E_DOCFILECORRUPT;
            unit = static_cast<char16_t>(value);
        }
        if (!IsValidElementName(name))
            return STG_E_DOCFILECORRUPT;
        auto element = std::make_unique<StgNode>(type == kTypeStorage, name);
        StgNode &made = *element;
        if (!storage.children.emplace(std::move(name), std::move(element)).second)
            return STG_E_DOCFILECORRUPT; // two elements of one name
        if (type == kTypeStorage) {
            if (depth + 1 > kMaxStorageDepth)
                return STG_E_DOCFILECORRUPT;
            HRESULT hr = ReadContents(reader, made, depth + 1, dataBytes);
            if (FAILED(hr))
                return hr;
        } else {
            DWORD length;
            const unsigned char *data;
            if (!reader.ReadU32(length) || !reader.ReadBytes(length, data))
                return STG_E_DOCFILECORRUPT;
            made.data.assign(data, data + length);
            dataBytes += length;
        }
    }
    return S_OK;
}

void WriteContents(ImageWriter &writer, const StgNode &storage)
{
    writer.U32(static_cast<DWORD>(storage.children.size()));
    for (const auto &child : storage.children) {
        const StgNode &element = *child.second;
        writer.U8(element.isStorage ? kTypeStorage : kTypeStream);
        writer.U8(static_cast<BYTE>(element.name.size()));
        for (char16_t unit : element.name)
            writer.U16(unit);
        if (element.isStorage) {
            WriteContents(writer, element);
        } else {
            writer.U32(static_cast<DWORD>(element.data.size()));
            writer.Bytes(element.data.data(), element.data.size());
        }
    }
}

// The body's size, to refuse a tree too large before any of it is written.
uint64_t ContentsSize(const StgNode &storage)
{
    uint64_t size = 4;
    for (const auto &child : storage.children) {
        const StgNode &element = *child.second;
        size += 2 + 2 * element.name.size();
        size += element.isStorage ? ContentsSize(element) : 4 + element.data.size();
    }
    return size;
}

} // namespace

DWORD Crc32(const unsigned char *bytes, size_t size)
{
    DWORD crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++)
        crc = kCrcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

HRESULT ParseStorageImage(const unsigned char *bytes, size_t size, StgNode &root, uint64_t &dataBytes)
{
    dataBytes = 0;
    if (size < kStgMagicSize || std::memcmp(bytes, kMagic, kStgMagicSize) != 0)
        return STG_E_FILEALREADYEXISTS;
    if (size < kStgHeaderSize || Crc32(bytes, 20) != GetU32(bytes + 20))
        return STG_E_DOCFILECORRUPT;
    DWORD version = GetU32(bytes + 8);
    if (version == 0)
        return STG_E_DOCFILECORRUPT;
    if (version > kStgFormatVersion)
        return STG_E_OLDDLL;
    DWORD bodyLength = GetU32(bytes + 12);
    if (bodyLength > kMaxDocumentBytes)
        return STG_E_DOCFILETOOLARGE;
    if (bodyLength != size - kStgHeaderSize)
        return STG_E_DOCFILECORRUPT;
    const unsigned char *body = bytes + kStgHeaderSize;
    if (Crc32(body, bodyLength) != GetU32(bytes + 16))
        return STG_E_DOCFILECORRUPT;
    ImageReader reader(body, bodyLength);
    try {
        HRESULT hr = ReadContents(reader, root, 0, dataBytes);
        if (FAILED(hr))
            return hr;
    } catch (const std::bad_alloc &) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    return reader.Left() == 0 ? S_OK : STG_E_DOCFILECORRUPT;
}

HRESULT BuildStorageImage(const StgNode &root, std::vector<unsigned char> &image)
{
    uint64_t bodySize = ContentsSize(root);
    if (bodySize > kMaxDocumentBytes)
        return STG_E_DOCFILETOOLARGE;
    try {
        image.clear();
        image.reserve(kStgHeaderSize + bodySize);
        image.insert(image.end(), kMagic, kMagic + kStgMagicSize);
        image.resize(kStgHeaderSize);
        ImageWriter writer(image);
        WriteContents(writer, root);
    } catch (const std::bad_alloc &) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    const unsigned char *body = image.data() + kStgHeaderSize;
    DWORD bodyLength = static_cast<DWORD>(bodySize);
    PutU32(image.data() + 8, kStgFormatVersion);
    PutU32(image.data() + 12, bodyLength);
    PutU32(image.data() + 16, Crc32(body, bodyLength));
    PutU32(image.data() + 20, Crc32(image.data(), 20));
    return S_OK;
}

} // namespace qelcom
