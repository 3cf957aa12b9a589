#include "intelhexreader.h"

#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace SectionList {

namespace {

// The longest line looked at: a record of 255 data bytes has 521 characters, so what lies
// beyond this never belongs to a record and is skipped.
constexpr size_t kMaxLine = 529;

enum : BYTE {
    kData = 0,
    kEnd = 1,
    kSegmentAddress = 2,
    kStartSegment = 3,
    kLinearAddress = 4,
    kStartLinear = 5,
};

// One record as it stands in its line.
struct RawRecord {
    BYTE count;
    WORD address;
    BYTE type;
    BYTE data[255];
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The byte of the two digits at text[0..1]; false when they are not hex digits.
bool HexByte(const char *text, BYTE *value)
{
    int high = HexDigit(text[0]);
    int low = HexDigit(text[1]);
    if (high < 0 || low < 0)
        return false;
    *value = static_cast<BYTE>(high << 4 | low);
    return true;
}

// Decodes the `length` characters after the ':' of a record.
DWORD ParseRecord(const char *text, size_t length, RawRecord *record)
{
    BYTE head[4];
    if (length < 8)
        return SLR_RECORD_TOO_SHORT;
    for (int i = 0; i < 4; i++) {
        if (!HexByte(text + 2 * i, &head[i]))
            return SLR_RECORD_TOO_SHORT;
    }
    record->count = head[0];
    record->address = static_cast<WORD>(head[1] << 8 | head[2]);
    record->type = head[3];
    if (length - 8 < 2 * static_cast<size_t>(record->count) + 2)
        return SLR_RECORD_TOO_SHORT;
    unsigned sum = head[0] + head[1] + head[2] + head[3];
    for (int i = 0; i < record->count; i++) {
        if (!HexByte(text + 8 + 2 * i, &record->data[i]))
            return SLR_RECORD_TOO_SHORT;
        sum += record->data[i];
    }
    BYTE checksum = 0;
    if (!HexByte(text + 8 + 2 * record->count, &checksum))
        return SLR_RECORD_TOO_SHORT;
    if (((sum + checksum) & 0xFF) != 0)
        return SLR_BAD_CHECKSUM;
    return SLR_SUCCESS;
}

DWORD BigEndian16(const BYTE *bytes)
{
    return static_cast<DWORD>(bytes[0]) << 8 | bytes[1];
}

// Reads the next line, keeping at most kMaxLine characters of it; false at the end of
// the input (or when the stream has failed).
bool ReadLine(std::istream &stream, char (&line)[kMaxLine + 1], size_t *length)
{
    stream.getline(line, sizeof line);
    if (stream.bad())
        return false;
    if (stream.fail()) {
        if (stream.gcount() == 0)
            return false;
        // The line is longer than the buffer: it keeps its start, and the rest goes.
        stream.clear(stream.rdstate() & ~std::ios::failbit);
        stream.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    *length = strnlen(line, sizeof line);
    return true;
}

} // namespace

void CIntelHexReader::StartPass()
{
    m_nLineCount = 0;
    m_nBase = 0;
}

DWORD CIntelHexReader::ReadRecord(std::istream &stream, Record *record, BYTE *buffer, DWORD bufferSize)
{
    if (stream.fail())
        return SLR_STREAM_FAILED;
    char line[kMaxLine + 1];
    size_t length = 0;
    RawRecord raw;
    for (;;) {
        if (!ReadLine(stream, line, &length))
            return SLR_END_OF_INPUT;
        m_nLineCount++;
        if (length == 0 || line[0] != ':')
            continue;
        DWORD result = ParseRecord(line + 1, length - 1, &raw);
        if (result != SLR_SUCCESS)
            return result;
        if (raw.count == 0 && raw.type != kEnd)
            continue;
        switch (raw.type) {
        case kData:
            if (buffer != nullptr) {
                if (raw.count > bufferSize)
                    return SLR_RECORD_TOO_LONG;
                memcpy(buffer, raw.data, raw.count);
            }
            record->address = m_nBase + raw.address;
            record->count = raw.count;
            return SLR_SUCCESS;
        case kEnd:
            record->address = 0;
            record->count = 0;
            return SLR_SUCCESS;
        case kSegmentAddress:
        case kLinearAddress:
            if (raw.count < 2)
                return SLR_RECORD_TOO_SHORT;
            m_nBase = BigEndian16(raw.data) << (raw.type == kSegmentAddress ? 4 : 16);
            continue;
        case kStartSegment:
        case kStartLinear:
            // CS:IP is a real-mode address, CS * 16 + IP; the linear start is all 32 bits.
            if (raw.count < 4)
                return SLR_RECORD_TOO_SHORT;
            if (raw.type == kStartSegment)
                record->address = (BigEndian16(raw.data) << 4) + BigEndian16(raw.data + 2);
            else
                record->address = BigEndian16(raw.data) << 16 | BigEndian16(raw.data + 2);
            record->count = -1;
            return SLR_SUCCESS;
        default:
            return SLR_UNKNOWN_RECORD;
        }
    }
}

DWORD CIntelHexReader::ReadFile(CSectionList &list, LPCSTR name, BOOL fillData, int flag)
{
    if (name == nullptr)
        return SLR_CANNOT_READ_FILE;
    m_file.close();
    m_file.clear();
    m_file.open(name, std::ios::in);
    if (!m_file.is_open())
        return SLR_CANNOT_READ_FILE;
    m_pszFileName = name;
    DWORD result = ReadStream(list, m_file, fillData, flag);
    m_pszFileName = nullptr;
    m_file.close();
    return result;
}

DWORD CIntelHexReader::ReadStream(CSectionList &list, std::istream &stream, BOOL fillData, int)
{
    StartPass();
    list.SetStartAddress(0xFFFFFFFF);
    for (;;) {
        Record record;
        DWORD result = ReadRecord(stream, &record, nullptr, 0);
        if (result == SLR_END_OF_INPUT)
            return SLR_NO_END_RECORD;
        if (result != SLR_SUCCESS)
            return result;
        if (record.count == 0)
            break;
        if (record.count < 0) {
            list.SetStartAddress(record.address);
            continue;
        }
        result = AddRange(list, record.address, static_cast<DWORD>(record.count), SLAM_JOIN_ADJACENT);
        if (result != SLR_SUCCESS)
            return result;
    }
    if (!fillData)
        return SLR_SUCCESS;
    if (m_pszFileName != nullptr)
        return ReadDataFile(list, m_pszFileName);
    stream.clear();
    stream.seekg(0);
    return ReadData(list, stream);
}

DWORD CIntelHexReader::ReadDataFile(CSectionList &list, LPCSTR name)
{
    if (name == nullptr)
        return SLR_CANNOT_READ_FILE;
    m_file.close();
    m_file.clear();
    m_file.open(name, std::ios::in);
    if (!m_file.is_open())
        return SLR_CANNOT_READ_FILE;
    return ReadData(list, m_file);
}

DWORD CIntelHexReader::ReadData(CSectionList &list, std::istream &stream)
{
    StartPass();
    BYTE buffer[256];
    for (;;) {
        Record record;
        DWORD result = ReadRecord(stream, &record, buffer, sizeof buffer);
        if (result == SLR_END_OF_INPUT)
            return SLR_NO_END_RECORD;
        if (result != SLR_SUCCESS)
            return result;
        if (record.count == 0)
            return SLR_SUCCESS;
        if (record.count < 0)
            continue;
        result = StoreBytes(list, record.address, static_cast<DWORD>(record.count), buffer);
        if (result != SLR_SUCCESS)
            return result;
    }
}

DWORD CIntelHexReader::ReadResource(CSectionList &list, HMODULE module, LPCSTR name, LPCSTR type, BOOL fillData,
                                    int flag)
{
    list.SetStartAddress(0xFFFFFFFF);
    HRSRC resource = FindResourceA(module, name, type != nullptr ? type : "SECTIONLIST");
    if (resource == nullptr)
        return SLR_NO_RESOURCE;
    HGLOBAL loaded = LoadResource(module, resource);
    const char *bytes = loaded != nullptr ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr)
        return SLR_NO_RESOURCE;
    std::istringstream stream(std::string(bytes, SizeofResource(module, resource)));
    return ReadStream(list, stream, fillData, flag);
}

} // namespace SectionList
