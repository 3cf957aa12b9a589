// One contiguous range of a memory image, with or without its bytes.
//
// A section can describe a range before its contents are known (the HEX reader lays out
// the image first and fills it in a second pass), so the bytes are allocated only when
// something is written. Every byte that no write has reached yet holds 0xFF, the value of
// erased flash, so that no undefined memory ever reaches a HEX file or a download.
#pragma once

#include "basetypes.h"
#include "sectionlistresult.h"

namespace SectionList {

class CSection {
public:
    CSection() = default;
    virtual ~CSection();
    CSection(const CSection &) = delete;
    CSection &operator=(const CSection &) = delete;

    // Describes the range [start, start + length - 1] anew: SLR_BAD_LENGTH for length 0 or
    // a range past 0xFFFFFFFF. With `allocate` the section gets a fresh buffer (SLR_NO_MEMORY
    // when there is none, and the section is left as it was); without it the section has no
    // bytes, since bytes kept from an earlier range would not match the new one.
    DWORD Init(DWORD start, DWORD length, BOOL allocate);
    // Init, allocating when `data` is given, and then the `length` bytes of `data`.
    DWORD Set(DWORD start, DWORD length, const void *data);
    // Moves the section to [newStart, newStart + newLength - 1], keeping the bytes that lie
    // in both ranges at their addresses. When the two do not meet, the section is left
    // without bytes. On failure nothing changes.
    DWORD Resize(DWORD newStart, DWORD newLength);

    // -1 when the address lies below the section, 0 inside, 1 above.
    int Compare(DWORD address) const;

    // Writes as many of the `count` bytes as fit from `address` (SLR_NOT_IN_SECTION when it
    // lies outside) or from `offset` (SLR_OFFSET_BEYOND when the offset is not inside);
    // *written, when asked for, receives the count written.
    DWORD Write(DWORD address, DWORD count, const void *data, DWORD *written);
    DWORD WriteAt(DWORD offset, DWORD count, const void *data, DWORD *written);
    // Copies as many of `count` bytes as the section holds from `offset`: SLR_NO_DATA when it
    // has no bytes, SLR_OFFSET_BEYOND when the offset is not inside.
    DWORD ReadAt(DWORD offset, DWORD count, void *buffer, DWORD *read) const;
    // The byte at `offset`, or null: the offset is not inside, or there are no bytes and
    // `allocate` was not asked or failed.
    BYTE *DataAt(DWORD offset, BOOL allocate);

    DWORD GetStart() const { return m_nStart; }
    DWORD GetLength() const { return m_nLength; }
    // The last address of the section (its start when it is empty).
    DWORD GetEnd() const { return m_nLength == 0 ? m_nStart : m_nStart + (m_nLength - 1); }
    BOOL HasData() const { return m_pData != nullptr; }
    const BYTE *GetData() const { return m_pData; }
    // A mark that the list's iteration can select by; 0 when created.
    DWORD GetFlag() const { return m_nFlag; }
    void SetFlag(DWORD flag) { m_nFlag = flag; }

private:
    BOOL AllocateData();

    DWORD m_nStart = 0;
    DWORD m_nLength = 0;
    DWORD m_nFlag = 0;
    BYTE *m_pData = nullptr; // m_nLength bytes when not null
};

// Whether [start, start + length - 1] is a range of the 32-bit address space.
inline BOOL IsValidRange(DWORD start, DWORD length)
{
    return length != 0 && length - 1 <= 0xFFFFFFFFu - start;
}

} // namespace SectionList
