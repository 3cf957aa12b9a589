#include "section.h"

#include <cstring>
#include <new>

namespace SectionList {

namespace {

// A buffer of `length` bytes of erased flash, or null.
BYTE *NewErasedBuffer(DWORD length)
{
    BYTE *buffer = new (std::nothrow) BYTE[length];
    if (buffer != nullptr)
        memset(buffer, 0xFF, length);
    return buffer;
}

} // namespace

CSection::~CSection()
{
    delete[] m_pData;
}

BOOL CSection::AllocateData()
{
    if (m_pData == nullptr)
        m_pData = NewErasedBuffer(m_nLength);
    return m_pData != nullptr;
}

DWORD CSection::Init(DWORD start, DWORD length, BOOL allocate)
{
    if (!IsValidRange(start, length))
        return SLR_BAD_LENGTH;
    BYTE *data = nullptr;
    if (allocate) {
        data = NewErasedBuffer(length);
        if (data == nullptr)
            return SLR_NO_MEMORY;
    }
    delete[] m_pData;
    m_pData = data;
    m_nStart = start;
    m_nLength = length;
    return SLR_SUCCESS;
}

DWORD CSection::Set(DWORD start, DWORD length, const void *data)
{
    DWORD result = Init(start, length, data != nullptr);
    if (result == SLR_SUCCESS && data != nullptr)
        memcpy(m_pData, data, length);
    return result;
}

DWORD CSection::Resize(DWORD newStart, DWORD newLength)
{
    if (!IsValidRange(newStart, newLength))
        return SLR_BAD_LENGTH;
    if (m_pData != nullptr) {
        DWORD newEnd = newStart + (newLength - 1);
        DWORD keepFirst = newStart > m_nStart ? newStart : m_nStart;
        DWORD keepLast = newEnd < GetEnd() ? newEnd : GetEnd();
        BYTE *data = nullptr;
        if (keepFirst <= keepLast) {
            data = NewErasedBuffer(newLength);
            if (data == nullptr)
                return SLR_NO_MEMORY;
            memcpy(data + (keepFirst - newStart), m_pData + (keepFirst - m_nStart), keepLast - keepFirst + 1);
        }
        delete[] m_pData;
        m_pData = data;
    }
    m_nStart = newStart;
    m_nLength = newLength;
    return SLR_SUCCESS;
}

int CSection::Compare(DWORD address) const
{
    if (address < m_nStart)
        return -1;
    return address - m_nStart < m_nLength ? 0 : 1;
}

DWORD CSection::Write(DWORD address, DWORD count, const void *data, DWORD *written)
{
    if (written != nullptr)
        *written = 0;
    if (Compare(address) != 0)
        return SLR_NOT_IN_SECTION;
    return WriteAt(address - m_nStart, count, data, written);
}

DWORD CSection::WriteAt(DWORD offset, DWORD count, const void *data, DWORD *written)
{
    if (written != nullptr)
        *written = 0;
    if (offset >= m_nLength)
        return SLR_OFFSET_BEYOND;
    if (!AllocateData())
        return SLR_NO_MEMORY;
    DWORD n = m_nLength - offset < count ? m_nLength - offset : count;
    if (n > 0)
        memcpy(m_pData + offset, data, n);
    if (written != nullptr)
        *written = n;
    return SLR_SUCCESS;
}

DWORD CSection::ReadAt(DWORD offset, DWORD count, void *buffer, DWORD *read) const
{
    if (read != nullptr)
        *read = 0;
    if (m_pData == nullptr)
        return SLR_NO_DATA;
    if (offset >= m_nLength)
        return SLR_OFFSET_BEYOND;
    DWORD n = m_nLength - offset < count ? m_nLength - offset : count;
    if (n > 0)
        memcpy(buffer, m_pData + offset, n);
    if (read != nullptr)
        *read = n;
    return SLR_SUCCESS;
}

BYTE *CSection::DataAt(DWORD offset, BOOL allocate)
{
    if (offset >= m_nLength)
        return nullptr;
    if (m_pData == nullptr && !(allocate && AllocateData()))
        return nullptr;
    return m_pData + offset;
}

} // namespace SectionList
