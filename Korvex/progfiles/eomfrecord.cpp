#include "eomfrecord.h"

BOOL EomfRecord::HasValidChecksum() const
{
    BYTE sum = 0;
    for (DWORD i = 0; i < DWORD(Length) + 3; ++i)
        sum = BYTE(sum + Bytes[i]);
    return sum == 0;
}

CDataCursor EomfRecord::Body(DWORD at) const
{
    // L counts the checksum: the body is L - 1 bytes (none for L = 0).
    const DWORD bodySize = Length > 0 ? DWORD(Length) - 1 : 0;
    CDataCursor body(Bytes + 3, bodySize, false);
    if (at < 3 || !body.Seek(at - 3))
        body.Seek(bodySize);
    return body;
}

CEomfCursor::Result CEomfCursor::First(DWORD offset, EomfRecord *record)
{
    m_nOffset = offset;
    if (offset >= m_nSize)
        return offset == m_nSize ? END : TRUNCATED;
    if (uint64_t(offset) + 3 > m_nSize)
        return TRUNCATED;
    const BYTE *at = m_pFile + offset;
    const WORD length = WORD(at[1] | (at[2] << 8));
    if (uint64_t(offset) + length + 3 > m_nSize)
        return TRUNCATED;
    record->Offset = offset;
    record->Type = at[0];
    record->Length = length;
    record->Bytes = at;
    return RECORD;
}

CEomfCursor::Result CEomfCursor::Next(EomfRecord *record)
{
    return First(m_nOffset + record->Length + 3, record);
}

WORD ReadEomfIndex(CDataCursor &body)
{
    const BYTE first = body.ReadU8();
    if (first < 128)
        return first;
    return WORD(((first & 0x7F) << 8) | body.ReadU8());
}

namespace {

CString TakeName(CDataCursor &body, size_t length)
{
    const BYTE *text = body.ReadBlock(length);
    if (text == nullptr)
        return CString();
    return CString(reinterpret_cast<LPCSTR>(text), static_cast<int>(length < 2047 ? length : 2047));
}

} // namespace

CString ReadEomfName(CDataCursor &body)
{
    return TakeName(body, body.ReadU8());
}

CString ReadEomfLongName(CDataCursor &body)
{
    size_t length = body.ReadU8();
    if (length == 0)
        length = body.ReadU16();
    return TakeName(body, length);
}

DWORD ReadEomfBaseAddress(CDataCursor &body)
{
    const WORD group = ReadEomfIndex(body);
    const WORD section = ReadEomfIndex(body);
    if (WORD(group + section) != 0)
        return 0;
    const WORD frame = body.ReadU16();
    return (frame & 0x8000) ? DWORD(frame & 0x7FFF) << 14 : DWORD(frame & 0x7FFF) << 16;
}
