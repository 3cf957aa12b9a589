#include "taskingimage.h"

#include <cstdarg>

namespace {

WORD Half(const BYTE *p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

DWORD Word(const BYTE *p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

} // namespace

BOOL IsTaskingOutHeader(const BYTE *header, DWORD size, CString *refusal)
{
    CString reason;
    if (size < kTaskingHeaderSize)
        reason.Format("it is too short for a Tasking header (%u bytes)", size);
    else if (Half(header) != 0x0201)
        reason = "it does not begin with the Tasking magic 0x0201";
    else if ((header[3] & 0x06) == 0)
        reason = "its Tasking header does not mark it as a program (byte 3)";
    else if ((header[4] & 0x04) != 0)
        reason = "its Tasking header does not mark it as a program (byte 4)";
    if (refusal != nullptr)
        *refusal = reason;
    return reason.IsEmpty();
}

BOOL CTaskingOutImage::Fail(CString *error, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    error->FormatV(format, args);
    va_end(args);
    m_pView = nullptr;
    m_nSections = 0;
    m_nNames = 0;
    m_gaps.clear();
    return FALSE;
}

BOOL CTaskingOutImage::Attach(const BYTE *view, uint64_t size, CString *error)
{
    m_pView = nullptr;
    if (view == nullptr || !IsTaskingOutHeader(view, size < kTaskingHeaderSize ? static_cast<DWORD>(size) : 22, error))
        return Fail(error, "The file is no Tasking program file.");
    m_version = view[2];
    const DWORD sections = Half(view + 6);
    const DWORD relocations = Half(view + 8);
    const DWORD names = Half(view + 10) | (m_version >= 4 ? static_cast<DWORD>(view[20]) << 16 : 0);
    const uint64_t contentsSize = Word(view + 12);
    const uint64_t stringSize = Word(view + 16);

    const uint64_t contents = kTaskingHeaderSize + uint64_t(kTaskingSectionEntrySize) * sections;
    const uint64_t nameTable = contents + contentsSize + uint64_t(kTaskingRelocationSize) * relocations;
    const uint64_t strings = nameTable + uint64_t(kTaskingNameRecordSize) * names;
    const uint64_t gapTable = strings + stringSize;
    if (names < sections)
        return Fail(error, "The name table has %u records, fewer than the %u sections that it must name.", names,
                    sections);
    if (gapTable + kTaskingGapHeadSize > size)
        return Fail(error,
                    "The file is cut short: its tables need %llu bytes up to the gap table's head, it has %llu.",
                    static_cast<unsigned long long>(gapTable + kTaskingGapHeadSize),
                    static_cast<unsigned long long>(size));

    // A text is terminated when a zero lies at or behind its start within the strings.
    uint64_t lastZero = strings;
    bool anyZero = false;
    for (uint64_t at = gapTable; at-- > strings;) {
        if (view[at] == 0) {
            lastZero = at;
            anyZero = true;
            break;
        }
    }
    for (DWORD i = 0; i < names; ++i) {
        const DWORD text = Word(view + nameTable + uint64_t(kTaskingNameRecordSize) * i);
        if (text < strings || text >= gapTable || !anyZero || text > lastZero)
            return Fail(error, "Name record %u has its text at 0x%X, %s.", i, text,
                        text < strings || text >= gapTable ? "outside the strings" : "without its terminating zero");
    }
    for (DWORD i = 0; i < sections; ++i) {
        const BYTE *entry = view + kTaskingHeaderSize + kTaskingSectionEntrySize * i;
        const uint64_t offset = Word(entry + 8), length = Word(entry + 12);
        if (length > 0 && (offset < contents || offset + length > contents + contentsSize))
            return Fail(error, "The contents of section %u (0x%llX bytes at 0x%llX) lie outside the contents area.", i,
                        static_cast<unsigned long long>(length), static_cast<unsigned long long>(offset));
        // Downloaded whole from its base, it would overwrite what lies behind it.
        if (length > Word(entry + 4))
            return Fail(error, "The contents of section %u (0x%llX bytes) are longer than its size in memory (0x%X).", i,
                        static_cast<unsigned long long>(length), static_cast<unsigned>(Word(entry + 4)));
    }
    const DWORD gapCount = Half(view + gapTable + 4);
    const uint64_t gapRecords = gapTable + kTaskingGapHeadSize;
    if (gapRecords + uint64_t(kTaskingGapRecordSize) * gapCount > size)
        return Fail(error, "The gap table's %u records run past the end of the file.", gapCount);

    m_gaps.clear();
    m_gaps.reserve(gapCount);
    for (DWORD i = 0; i < gapCount; ++i) {
        const BYTE *record = view + gapRecords + uint64_t(kTaskingGapRecordSize) * i;
        m_gaps.push_back({Word(record + 4), Word(record + 8)});
    }
    m_pView = view;
    m_nSize = size;
    m_nSections = sections;
    m_nNames = names;
    m_nameTable = nameTable;
    return TRUE;
}

TaskingSectionEntry CTaskingOutImage::GetSection(DWORD index) const
{
    if (m_pView == nullptr || index >= m_nSections)
        return {0, 0, 0, 0, 0};
    const BYTE *entry = m_pView + kTaskingHeaderSize + kTaskingSectionEntrySize * index;
    return {Word(entry), Word(entry + 4), Word(entry + 8), Word(entry + 12), Word(entry + 16)};
}

TaskingNameRecord CTaskingOutImage::GetNameRecord(DWORD index) const
{
    if (m_pView == nullptr || index >= m_nNames)
        return {0, 0, 0, 0, 0};
    const BYTE *record = m_pView + m_nameTable + uint64_t(kTaskingNameRecordSize) * index;
    return {Word(record), Half(record + 4), Half(record + 6), Word(record + 8), Half(record + 12)};
}

LPCSTR CTaskingOutImage::GetText(DWORD index) const
{
    // Attach checked that every record's text lies in the strings and ends there.
    if (m_pView == nullptr || index >= m_nNames)
        return "";
    return reinterpret_cast<LPCSTR>(m_pView + GetNameRecord(index).TextOffset);
}

const BYTE *CTaskingOutImage::GetSectionData(DWORD index) const
{
    const TaskingSectionEntry section = GetSection(index);
    return section.FileLength > 0 ? m_pView + section.FileOffset : nullptr;
}
