#include "intelhexwriter.h"

#include <cstdio>
#include <fstream>

namespace SectionList {

namespace {

constexpr BYTE kData = 0;
constexpr BYTE kEnd = 1;
constexpr BYTE kSegmentAddress = 2;
constexpr BYTE kLinearAddress = 4;

} // namespace

DWORD CIntelHexWriter::WriteFile(CSectionList &list, LPCSTR name)
{
    if (name == nullptr)
        return SLR_CANNOT_WRITE_FILE;
    std::ofstream file(name, std::ios::out | std::ios::trunc);
    if (!file.is_open())
        return SLR_CANNOT_WRITE_FILE;
    DWORD result = WriteStream(list, file);
    file.close();
    if (result == SLR_SUCCESS && file.fail())
        result = SLR_WRITE_FAILED;
    return result;
}

DWORD CIntelHexWriter::WriteStream(CSectionList &list, std::ostream &stream)
{
    m_nSegmentBase = 0;
    m_nLinearBase = 0;
    for (CSection *section = list.First(); section != nullptr; section = list.Next()) {
        if (!section->HasData())
            continue;
        DWORD result = WriteBytes(stream, section->GetStart(), section->GetLength(), section->GetData());
        if (result != SLR_SUCCESS)
            return result;
    }
    WriteRecord(stream, kEnd, 0, nullptr, 0);
    return stream.fail() ? SLR_WRITE_FAILED : SLR_SUCCESS;
}

void CIntelHexWriter::WriteRecord(std::ostream &stream, BYTE type, WORD address, const BYTE *data, DWORD count)
{
    // ':' count address type, two digits per data byte, checksum, newline.
    char line[1 + 8 + 2 * 255 + 2 + 2];
    int length = snprintf(line, sizeof line, ":%02X%04X%02X", static_cast<unsigned>(count), address, type);
    unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
    for (DWORD i = 0; i < count; i++) {
        length += snprintf(line + length, sizeof line - length, "%02X", data[i]);
        sum += data[i];
    }
    length += snprintf(line + length, sizeof line - length, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    stream.write(line, length);
}

void CIntelHexWriter::WriteBaseRecord(std::ostream &stream, BYTE type, DWORD base)
{
    BYTE value[2];
    DWORD number = type == kSegmentAddress ? base >> 4 : base >> 16;
    value[0] = static_cast<BYTE>(number >> 8);
    value[1] = static_cast<BYTE>(number);
    WriteRecord(stream, type, 0, value, 2);
    (type == kSegmentAddress ? m_nSegmentBase : m_nLinearBase) = base;
}

DWORD CIntelHexWriter::WriteBytes(std::ostream &stream, DWORD address, DWORD count, const void *data)
{
    const BYTE *bytes = static_cast<const BYTE *>(data);
    while (count > 0) {
        DWORD upper = address & 0xFFFF0000;
        if (upper < 0x100000) {
            if (m_nLinearBase != 0)
                WriteBaseRecord(stream, kLinearAddress, 0);
            if (m_nSegmentBase != upper)
                WriteBaseRecord(stream, kSegmentAddress, upper);
        } else {
            if (m_nSegmentBase != 0)
                WriteBaseRecord(stream, kSegmentAddress, 0);
            if (m_nLinearBase != upper)
                WriteBaseRecord(stream, kLinearAddress, upper);
        }
        DWORD n = count < m_nRecordSize ? count : m_nRecordSize;
        DWORD offset = address & 0xFFFF;
        if (offset + n > 0x10000)
            n = 0x10000 - offset;
        WriteRecord(stream, kData, static_cast<WORD>(offset), bytes, n);
        if (stream.fail())
            return SLR_WRITE_FAILED;
        address += n;
        bytes += n;
        count -= n;
    }
    return SLR_SUCCESS;
}

} // namespace SectionList
