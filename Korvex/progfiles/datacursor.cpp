#include "datacursor.h"

#include <cstring>

bool CDataCursor::Fail()
{
    m_nOffset = m_nSize;
    m_bFailed = true;
    return false;
}

uint64_t CDataCursor::ReadUnsigned(size_t size)
{
    if (size != 1 && size != 2 && size != 4 && size != 8) {
        Fail();
        return 0;
    }
    if (GetRemaining() < size) {
        Fail();
        return 0;
    }
    const BYTE *p = m_pData + m_nOffset;
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) {
        BYTE b = m_bBigEndian ? p[i] : p[size - 1 - i];
        value = (value << 8) | b;
    }
    m_nOffset += size;
    return value;
}

BYTE CDataCursor::ReadU8()
{
    return static_cast<BYTE>(ReadUnsigned(1));
}

WORD CDataCursor::ReadU16()
{
    return static_cast<WORD>(ReadUnsigned(2));
}

DWORD CDataCursor::ReadU32()
{
    return static_cast<DWORD>(ReadUnsigned(4));
}

uint64_t CDataCursor::ReadLEB128(bool isSigned, DWORD *counter)
{
    uint64_t value = 0;
    unsigned shift = 0;
    BYTE byte = 0x80;
    DWORD count = 0;
    while (byte & 0x80) {
        if (AtEnd()) {
            Fail();
            break;
        }
        byte = m_pData[m_nOffset++];
        ++count;
        if (shift < 64)
            value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        shift += 7;
    }
    if (isSigned && shift < 64 && (byte & 0x40) != 0)
        value |= ~uint64_t(0) << shift;
    if (counter != nullptr)
        *counter += count;
    return value;
}

uint64_t CDataCursor::ReadULEB128(DWORD *counter)
{
    return ReadLEB128(false, counter);
}

int64_t CDataCursor::ReadSLEB128(DWORD *counter)
{
    return static_cast<int64_t>(ReadLEB128(true, counter));
}

LPCSTR CDataCursor::ReadString()
{
    if (AtEnd()) {
        Fail();
        return "";
    }
    const char *start = reinterpret_cast<const char *>(m_pData + m_nOffset);
    const void *zero = memchr(start, 0, GetRemaining());
    if (zero == nullptr) {
        Fail();
        return "";
    }
    m_nOffset += static_cast<const char *>(zero) - start + 1;
    return start;
}

const BYTE *CDataCursor::ReadBlock(size_t length)
{
    if (GetRemaining() < length) {
        Fail();
        return nullptr;
    }
    const BYTE *block = m_pData + m_nOffset;
    m_nOffset += length;
    return block;
}

bool CDataCursor::Skip(size_t length)
{
    return ReadBlock(length) != nullptr || length == 0;
}

bool CDataCursor::Seek(size_t offset)
{
    if (offset > m_nSize)
        return Fail();
    m_nOffset = offset;
    return true;
}

CDataCursor CDataCursor::ReadSubCursor(size_t length)
{
    const BYTE *block = ReadBlock(length);
    if (block == nullptr)
        return CDataCursor(nullptr, 0, m_bBigEndian);
    return CDataCursor(block, length, m_bBigEndian);
}
