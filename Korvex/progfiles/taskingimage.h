// CTaskingOutImage: the structures of a Tasking C166 ".out" program file over a view of
// it, checked whole before a reader uses any of them.
//
// The file is little-endian throughout. In file order:
//
//   header         22 bytes (below)
//   section table  20 bytes per section: base address, size in memory, file offset of
//                  the contents, length in the file, alignment (32 bits each)
//   contents       the header's contents size
//   relocations    8 bytes each, not read
//   name table     14 bytes per name record; the last section-count records name the
//                  sections, in section order
//   strings        the header's string size: zero-terminated texts
//   gap table      8-byte head (16-bit record count at offset 4), then 14-byte records
//                  (32 bits not read, 32-bit start, 32-bit end, 16 bits not read)
//
//   header: 0 magic 0x0201 (16), 2 version (8; from 4 on the name count has 24 bits),
//   3 flags (8; a program has bit 1 or bit 2 set), 4 flags (8; a program has bit 2
//   clear), 5 not read, 6 section count (16), 8 relocation count (16), 10 name count
//   bits 0-15, 12 contents size (32), 16 string size (32), 20 name count bits 16-23
//   (version 4 on), 21 not read.
//
//   name record: text offset from the start of the file (32), type word (16: bits 8-14
//   the record kind, the low byte class bits), descriptor (16), value (32), extra (16).
//
// Every position is computed in 64 bits. Attach accepts a file only when the section
// table, the name table, every name record's text (inside the strings and terminated
// there), every section's contents (inside the contents area) and the whole gap table
// lie in the file, and when the name table has a record for every section: the passes
// then read through the accessors without further checks.
#pragma once

#include <afx.h>

#include <cstdint>
#include <vector>

const DWORD kTaskingHeaderSize = 22;
const DWORD kTaskingSectionEntrySize = 20;
const DWORD kTaskingRelocationSize = 8;
const DWORD kTaskingNameRecordSize = 14;
const DWORD kTaskingGapHeadSize = 8;
const DWORD kTaskingGapRecordSize = 14;

// Whether the first 22 bytes (`header`, `size` of them read) are those of a Tasking
// program file; `refusal` (when given) says why not.
BOOL IsTaskingOutHeader(const BYTE *header, DWORD size, CString *refusal = nullptr);

struct TaskingSectionEntry {
    DWORD Base;
    DWORD Size;       // in memory
    DWORD FileOffset;
    DWORD FileLength;
    DWORD Alignment;
};

struct TaskingNameRecord {
    DWORD TextOffset;
    WORD Type;
    WORD Descriptor;
    DWORD Value;
    WORD Extra;

    DWORD Kind() const { return (Type >> 8) & 0x7F; }
    // The symbol class, a multiple of 4 (bits 2-5 of the type word).
    DWORD Class() const { return Type & 0x3C; }
    // Bits 6 and 7: both set for a global assembler symbol, bit 7 alone for a static one.
    DWORD Scope() const { return Type & 0xC0; }
};

struct TaskingGap {
    DWORD Start;
    DWORD End;
};

class CTaskingOutImage {
public:
    // FALSE, with the reason in *error, when the view is no intact Tasking program file.
    BOOL Attach(const BYTE *view, uint64_t size, CString *error);
    BOOL IsAttached() const { return m_pView != nullptr; }
    const BYTE *GetView() const { return m_pView; }

    BYTE GetVersion() const { return m_version; }
    DWORD GetSectionCount() const { return m_nSections; }
    DWORD GetNameCount() const { return m_nNames; }
    // Past the range, zeros.
    TaskingSectionEntry GetSection(DWORD index) const;
    TaskingNameRecord GetNameRecord(DWORD index) const;
    // The text of name record `index`; "" past the name table.
    LPCSTR GetText(DWORD index) const;
    // The section's contents (its file length of them); null when it has none.
    const BYTE *GetSectionData(DWORD index) const;
    // The name record of section `index`.
    DWORD GetSectionNameIndex(DWORD index) const { return m_nNames - m_nSections + index; }
    // The gap table's records in file order.
    const std::vector<TaskingGap> &GetGaps() const { return m_gaps; }

private:
    BOOL Fail(CString *error, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));

    const BYTE *m_pView = nullptr;
    uint64_t m_nSize = 0;
    BYTE m_version = 0;
    DWORD m_nSections = 0;
    DWORD m_nNames = 0;
    uint64_t m_nameTable = 0;
    std::vector<TaskingGap> m_gaps;
};
