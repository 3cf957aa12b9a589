// The decoding of DWARF 2 debugging information entries: unit headers, abbreviation
// tables, attribute values by form, and the location expressions and location lists that
// attributes carry. The dump and the globals and module passes read ".debug_info"
// through CDwarf2EntryReader.
//
// Units of version 2 are read, and of version 3, whose header and forms are the same on
// a 32-bit target; units of other versions, and 64-bit units, are stepped over by their
// length. All values follow the file's byte order.
#pragma once

#include <addressvalue.h>
#include <afx.h>

#include "datacursor.h"
#include "dwarf2abbrevs.h"

#include <memory>
#include <vector>

// The DWARF 2 sections of one file; a missing section has no data.
struct Dwarf2Sections {
    const BYTE *info = nullptr;
    size_t infoSize = 0;
    const BYTE *abbrev = nullptr;
    size_t abbrevSize = 0;
    const BYTE *str = nullptr;
    size_t strSize = 0;
    const BYTE *loc = nullptr;
    size_t locSize = 0;
    bool bigEndian = false;
};

struct Dwarf2UnitHeader {
    DWORD offset = 0;       // of the unit in ".debug_info"
    DWORD length = 0;       // unit_length, the bytes behind the length field
    WORD version = 0;
    DWORD abbrevOffset = 0;
    BYTE addressSize = 0;
    DWORD end = 0;          // offset behind the unit, at most the section's size
};

// What a location expression says, decoded into an address triple. The triple starts as
// (-1, -1, -1), "no place"; how each operator changes it is told beside the decoder.
struct Dwarf2Location {
    CAddressValue place = CAddressValue(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    DWORD constant = 0xFFFFFFFF;
    DWORD registerNumber = 0xFFFFFFFF;
    BYTE lastOperator = 0;
    DWORD unsignedOperand = 0; // the last operator's operands
    LONG signedOperand = 0;
    LONG secondSignedOperand = 0;
    bool complete = true;      // false when an operator could not be decoded
};

// One entry of a ".debug_loc" list: the place holds in [begin, end) (absolute addresses).
struct Dwarf2LocationListEntry {
    DWORD begin;
    DWORD end;
    Dwarf2Location location;
};

// Decodes a DWARF 2 location expression. `text`, when given, receives the operations in
// words for the dump.
Dwarf2Location DecodeDwarf2Location(const BYTE *block, size_t length, BYTE addressSize, bool bigEndian,
                                    CString *text = nullptr);
// Reads the location list at `offset` of ".debug_loc"; addresses are relative to
// `base`, the unit's low address, until a base-address entry changes it. False when the
// list leaves the section before its end entry; the entries read before stay.
bool ReadDwarf2LocationList(const BYTE *loc, size_t locSize, DWORD offset, BYTE addressSize, bool bigEndian,
                            DWORD base, std::vector<Dwarf2LocationListEntry> *entries, CString *text = nullptr);

// The current attribute, as the next-attribute operation leaves it.
struct Dwarf2Attribute {
    DWORD name = 0;
    DWORD form = 0;
    DWORD value = 0;         // numbers, addresses, references (unit-relative), block lengths
    DWORD value2 = 0;        // the high word of data8 and ref8
    int64_t signedValue = 0; // sdata
    const BYTE *block = nullptr;
    LPCSTR string = nullptr; // string and strp ("" for a strp without ".debug_str")
    // Location expressions and lists of the attributes that carry them.
    bool hasLocation = false;
    Dwarf2Location location;
    bool hasLocationList = false;
    std::vector<Dwarf2LocationListEntry> locationList;
};

// The values that the entry's reader takes from decoded attributes; -1 until given.
struct Dwarf2KeptValues {
    DWORD orderingOrConvention = 0xFFFFFFFF; // DW_AT_ordering, DW_AT_calling_convention
    DWORD language = 0xFFFFFFFF;
    DWORD visibility = 0xFFFFFFFF;
    DWORD inlineKind = 0xFFFFFFFF;
    DWORD accessibility = 0xFFFFFFFF;
    DWORD encoding = 0xFFFFFFFF;
    DWORD identifierCase = 0xFFFFFFFF;
    DWORD virtuality = 0xFFFFFFFF;
};

class CDwarf2EntryReader {
public:
    enum UnitStatus {
        UNIT_OK,
        UNIT_SKIPPED,   // a version, size or address size this reader does not read
        UNIT_MALFORMED, // a header or abbreviation table that breaks its bounds
        UNIT_END,       // no unit starts at that offset: the section has ended
    };

    explicit CDwarf2EntryReader(const Dwarf2Sections &sections);

    // Reads the unit header at `offset` of ".debug_info" and the unit's abbreviations.
    // Whatever the status, GetUnit().end tells where the next unit starts; GetDiagnostic
    // says why a unit is not read.
    UnitStatus BeginUnit(DWORD offset);
    const Dwarf2UnitHeader &GetUnit() const { return m_unit; }
    bool IsBigEndian() const { return m_sections.bigEndian; }
    CString GetDiagnostic() const { return m_strDiagnostic; }

    // Steps to the next entry of the unit, behind the attributes of the current one that
    // were not read. False at the unit's end and when an entry cannot be read (an
    // abbreviation code the unit does not have, or an entry cut off); GetDiagnostic then
    // tells which. A null entry (code 0) is an entry too.
    bool NextEntry();
    DWORD GetEntryOffset() const { return m_nEntryOffset; }
    // Where the next entry starts when the current one's attributes have all been read;
    // with JumpToEntry, a reader that follows a reference to another entry of the unit
    // comes back to where it left off.
    DWORD GetPosition() const { return static_cast<DWORD>(m_info.GetOffset()); }
    // Makes the entry at unit-relative `offset` the next one NextEntry reads, also after
    // an entry that could not be read. False when the offset lies outside the unit's
    // entries, or the unit was not begun (the position is then kept).
    bool JumpToEntry(DWORD offset);
    uint64_t GetAbbreviationCode() const { return m_nCode; }
    DWORD GetTag() const { return m_nTag; }
    bool HasChildren() const { return m_bHasChildren; }

    // Reads the next attribute of the current entry into GetAttribute: 1 while there is
    // one, 0 after the last (and for a null entry or a value cut off by the unit's end).
    int NextAttribute();
    const Dwarf2Attribute &GetAttribute() const { return m_attribute; }
    const Dwarf2KeptValues &GetKept() const { return m_kept; }
    // The base of the unit's location lists: the low address of its first entry.
    DWORD GetUnitBase() const { return m_nUnitBase; }
    // Whether a location given as a ".debug_loc" offset is read into the attribute's
    // list (it is by default). A reader that looks only at fixed addresses need not: a
    // damaged offset can make every such list run on to the section's end.
    void SetReadLocationLists(bool read) { m_bReadLocationLists = read; }

private:
    UnitStatus FailUnit(UnitStatus status, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    bool ReadValue(DWORD form, int depth);
    // Reads past the current entry's remaining attributes without keeping their values.
    void SkipAttributes();
    void KeepValue();

    Dwarf2Sections m_sections;
    Dwarf2UnitHeader m_unit;
    CDwarf2AbbrevCache m_abbrevCache;
    std::shared_ptr<const CDwarf2AbbrevTable> m_abbreviations; // the unit's
    CDataCursor m_info;
    CDataCursor m_abbrevCursor;
    CString m_strDiagnostic;
    DWORD m_nEntryOffset = 0;
    uint64_t m_nCode = 0;
    DWORD m_nTag = 0;
    bool m_bHasChildren = false;
    bool m_bInEntry = false;
    bool m_bFirstEntry = true;
    bool m_bUnitReadable = false; // BeginUnit answered UNIT_OK
    bool m_bReadLocationLists = true;
    DWORD m_nUnitBase = 0;
    Dwarf2Attribute m_attribute;
    Dwarf2KeptValues m_kept;
};
