// The decoding of DWARF 1.1 (".debug" and its companions), shared by the dump and the
// DWARF 1 globals and module passes.
//
// DWARF 1.1 values are little-endian whatever the file's data encoding says. An entry is a
// 32-bit length (counting itself), a 16-bit tag and attributes up to its length; an
// attribute is a 16-bit code whose low four bits give its form. An entry shorter than 8
// bytes pads, and a length of 0 ends the section.
#pragma once

#include <addressvalue.h>
#include <afx.h>

#include "datacursor.h"

#include <vector>

struct Dwarf1Sections {
    const BYTE *debug = nullptr;
    size_t debugSize = 0;
    const BYTE *locExt = nullptr;
    size_t locExtSize = 0;
};

// The forms of DWARF 1.1 attributes.
enum : WORD {
    DWARF1_FORM_ADDR = 1,
    DWARF1_FORM_REF = 2,
    DWARF1_FORM_BLOCK2 = 3,
    DWARF1_FORM_BLOCK4 = 4,
    DWARF1_FORM_DATA2 = 5,
    DWARF1_FORM_DATA4 = 6,
    DWARF1_FORM_DATA8 = 7,
    DWARF1_FORM_STRING = 8,
};

inline WORD Dwarf1Form(WORD code)
{
    return code & 0xF;
}

// One attribute as it stands in the entry.
struct Dwarf1Attribute {
    WORD code = 0;
    DWORD value = 0;   // ADDR, REF, DATA2, DATA4, the low word of DATA8; a block's length
    DWORD value2 = 0;  // the high word of DATA8
    const BYTE *block = nullptr;
    LPCSTR string = nullptr;
};

class CDwarf1EntryReader {
public:
    explicit CDwarf1EntryReader(const Dwarf1Sections &sections)
        : m_debug(sections.debug, sections.debugSize, false)
    {
    }
    // Reads the entries from offset `start` up to offset `end` (a compilation unit);
    // offsets stay those of the section.
    CDwarf1EntryReader(const Dwarf1Sections &sections, DWORD start, DWORD end)
        : m_debug(sections.debug, end < sections.debugSize ? end : sections.debugSize, false)
    {
        if (!m_debug.Seek(start))
            m_bEnded = true;
    }

    // Steps to the next entry: false at the section's end, at a length of 0, and at an
    // entry that the section cuts off. A padding entry (length below 8) is an entry too,
    // with IsNull.
    bool NextEntry();
    DWORD GetEntryOffset() const { return m_nOffset; }
    DWORD GetEntryLength() const { return m_nLength; }
    bool IsNull() const { return m_bNull; }
    WORD GetTag() const { return m_nTag; }

    // The next attribute of the entry; false after the last one, and at an attribute
    // whose form is unknown or whose value passes the entry's end (the rest of the entry
    // is then passed over).
    bool NextAttribute(Dwarf1Attribute *attribute);

private:
    CDataCursor m_debug;
    CDataCursor m_entry;
    DWORD m_nOffset = 0;
    DWORD m_nLength = 0;
    WORD m_nTag = 0;
    bool m_bNull = false;
    bool m_bEnded = false;
};

// A location block (OP_ operations with 32-bit operands) as an address triple, starting
// from (-1, -1, -1):
//   OP_REG r       (3, r, unchanged)   in register r
//   OP_BASEREG r   (2, 0, r)           relative to register r; a following OP_CONST and
//                                      OP_ADD give the offset, which lands in the value
//   OP_ADDR a      (1, a, unchanged)   absolute address
//   OP_CONST c     value c, and mode 0 (a plain value) when nothing was named before
//   OP_DEREF2, OP_DEREF4, OP_ADD       no change
// An unknown operation ends the decoding. `text` receives " NAME(operand)" per operation.
CAddressValue DecodeDwarf1Location(const BYTE *block, size_t length, CString *text = nullptr);
// The same from another start: a member's offset is its block's value from (1, 0, 0).
CAddressValue DecodeDwarf1Location(const BYTE *block, size_t length, const CAddressValue &start);

// One entry of a location list: from `address` on, the variable is at `place`; a place of
// mode 6 (SYAM_LIFETIMEDEAD) ends its life.
struct Dwarf1LifetimeEntry {
    DWORD address;
    CAddressValue place;
};

// Reads the location list at `offset` of ".debug_loc_ext": pairs of begin and end offsets
// from `base`, each followed by a 2-byte-length location block, up to a pair of zeros.
// Each pair gives two entries: (begin, its place) and (end, dead). False when the list
// leaves the section before its end; the entries read before stay.
bool ReadDwarf1LocationList(const BYTE *locExt, size_t size, DWORD offset, DWORD base,
                            std::vector<Dwarf1LifetimeEntry> *entries, CString *text = nullptr);

// A modified type: modifier bytes (MOD_), outermost first, then a fundamental type
// (AT_mod_fund_type) or a reference to a type entry (AT_mod_u_d_type).
struct Dwarf1ModifiedType {
    std::vector<BYTE> modifiers;
    DWORD type = 0;
};
bool DecodeDwarf1ModifiedType(const BYTE *block, size_t length, bool userType, Dwarf1ModifiedType *type);
