// A memory image: an address-ordered list of disjoint sections.
//
// The HEX reader fills a list and the program loader hands its sections to the host as
// code sections; the symbol server's windows write lists out as HEX files. The sections
// never overlap and stay in ascending address order whatever AddRange is asked to do, so
// every user can walk them with First and Next and write or download them in order.
#pragma once

#include "section.h"

#include <map>
#include <windows.h>

namespace SectionList {

// How AddRange treats a range that meets the sections already there.
enum : int {
    SLAM_PLAIN = 0,             // always a section of its own; an overlap is refused
    SLAM_JOIN_ADJACENT = 1,     // grows the section it touches; an overlap is refused
    SLAM_JOIN_OVERLAPPING = 2,  // as 1, and merges the sections it overlaps into one
};

class CSectionList {
public:
    CSectionList() = default;
    virtual ~CSectionList();
    CSectionList(const CSectionList &) = delete;
    CSectionList &operator=(const CSectionList &) = delete;

    // A new section of the range, with the bytes of `data` when given; null with the last
    // result SLR_BAD_LENGTH (length 0 or over the maximum section length), SLR_NO_MEMORY or
    // what CSection::Set answered.
    virtual CSection *CreateSection(DWORD start, DWORD length, const void *data);

    // Adds [start, start + length - 1], with its bytes when `data` is given, by `mode`
    // (SLAM_...); the answer is also kept as the last result. A joined section never grows
    // beyond the maximum section length: the range then becomes a section of its own. On
    // failure (SLR_OVERLAP, SLR_BAD_LENGTH, SLR_NO_MEMORY) the list is as it was. The
    // cursor stands on the section that received the range.
    DWORD AddRange(DWORD start, DWORD length, const void *data, int mode);

    // Writes `count` bytes from `address` into the section that holds it, going on into the
    // sections that follow without a gap; *written, when asked for, receives the number
    // written, which is less than `count` when the image ends first. SLR_NOT_IN_SECTION when
    // no section holds the address.
    DWORD Write(DWORD address, DWORD count, const void *data, DWORD *written);

    // Iteration by the list's cursor, optionally over the sections whose flag is not 0
    // only; null past either end and for an empty list.
    CSection *First(BOOL flaggedOnly = FALSE);
    CSection *Next(BOOL flaggedOnly = FALSE);
    CSection *Previous(BOOL flaggedOnly = FALSE);
    CSection *Current() const;

    // The program's start address: 0xFFFFFFFF for an empty list, the one that the image
    // gave (its start-address record) when it gave one, else the start of the first section.
    DWORD GetStartAddress() const;
    // 0xFFFFFFFF when the image gives none.
    void SetStartAddress(DWORD address) { m_nStartAddress = address; }

    int GetCount() const { return static_cast<int>(m_sections.size()); }
    DWORD GetLastResult() const { return m_nLastResult; }
    DWORD GetMaxSectionLength() const { return m_nMaxSectionLength; }
    // The number of lines the HEX reader had read when the list's last read ended: the line
    // of the faulty record after a failed read.
    DWORD GetLineCount() const { return m_nLineCount; }

    // Reads the image from a HEX file or a program resource (type NULL: "SECTIONLIST"),
    // with the bytes when `fillData` is set, or writes it out as a HEX file with 32-byte
    // records. The answer is also kept as the last result.
    DWORD ReadIntelHexFile(LPCSTR name, BOOL fillData, int flag);
    DWORD ReadIntelHexResource(HMODULE module, LPCSTR name, LPCSTR type, BOOL fillData);
    DWORD WriteIntelHexFile(LPCSTR name);

private:
    typedef std::map<DWORD, CSection *> SectionMap; // by start address

    DWORD InsertNew(DWORD start, DWORD length, const void *data);
    DWORD Merge(SectionMap::iterator first, SectionMap::iterator last, DWORD start, DWORD length,
                const void *data, DWORD flag);
    CSection *Skip(BOOL flaggedOnly, BOOL forward);

    SectionMap m_sections;
    SectionMap::iterator m_cursor = m_sections.end();
    DWORD m_nLastResult = SLR_SUCCESS;
    DWORD m_nStartAddress = 0xFFFFFFFF;
    DWORD m_nMaxSectionLength = 0x100000;
    DWORD m_nLineCount = 0;
};

} // namespace SectionList
