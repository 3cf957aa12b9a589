// What the DWARF 1.1 globals and module passes take from an entry of ".debug", and the
// decoding of the blocks and companion sections they read: subscript data, element
// lists, ".line" tables and ".debug_srcinfo" tables.
//
// Every offset that one part of the debugging information gives into another is checked
// here against what it points into; a value that fails the check is treated as absent,
// so that the passes never follow it.
#pragma once

#include "dwarf1entries.h"

#include <vector>

// DWARF 1.1 tags that the passes handle.
enum : WORD {
    DWARF1_TAG_ARRAY_TYPE = 0x0001,
    DWARF1_TAG_ENUMERATION_TYPE = 0x0004,
    DWARF1_TAG_FORMAL_PARAMETER = 0x0005,
    DWARF1_TAG_GLOBAL_SUBROUTINE = 0x0006,
    DWARF1_TAG_GLOBAL_VARIABLE = 0x0007,
    DWARF1_TAG_LABEL = 0x000A,
    DWARF1_TAG_LEXICAL_BLOCK = 0x000B,
    DWARF1_TAG_LOCAL_VARIABLE = 0x000C,
    DWARF1_TAG_MEMBER = 0x000D,
    DWARF1_TAG_POINTER_TYPE = 0x000F,
    DWARF1_TAG_COMPILE_UNIT = 0x0011,
    DWARF1_TAG_STRUCTURE_TYPE = 0x0013,
    DWARF1_TAG_SUBROUTINE = 0x0014,
    DWARF1_TAG_SUBROUTINE_TYPE = 0x0015,
    DWARF1_TAG_TYPEDEF = 0x0016,
    DWARF1_TAG_UNION_TYPE = 0x0017,
    DWARF1_TAG_INHERITANCE = 0x001C,
};

// Type modifiers.
enum : BYTE {
    DWARF1_MOD_POINTER_TO = 1,
    DWARF1_MOD_REFERENCE_TO = 2,
    DWARF1_MOD_CONST = 3,
    DWARF1_MOD_VOLATILE = 4,
};

// Deeper nesting of subroutines, blocks and types is no program's: both passes then take
// the children of the deepest entry they keep as its own, alike.
const size_t MAX_DWARF1_NESTING = 64;

// The language code of C++ units, whose names are demangled.
const DWORD DWARF1_LANG_C_PLUS_PLUS = 4;

// The type an entry names: a fundamental type code or the ".debug" offset of a type
// entry, with its modifiers, outermost first.
struct Dwarf1Type {
    bool present = false;
    bool user = false;
    DWORD value = 0;
    std::vector<BYTE> modifiers;
};

struct Dwarf1EntryValues {
    DWORD offset = 0; // in ".debug"
    DWORD length = 0;
    WORD tag = 0;

    bool hasSibling = false;
    DWORD sibling = 0;
    bool hasName = false;
    CString name; // as written, before any demangling
    Dwarf1Type type;
    bool hasLow = false, hasHigh = false;
    DWORD low = 0, high = 0;
    bool hasLocation = false;
    CAddressValue location; // decoded from (-1, -1, -1)
    CAddressValue memberLocation; // the same block, decoded from (1, 0, 0)
    bool hasLocationList = false;
    DWORD locationList = 0; // offset in ".debug_loc_ext"
    bool hasByteSize = false, hasBitOffset = false, hasBitSize = false;
    DWORD byteSize = 0, bitOffset = 0, bitSize = 0;
    const BYTE *subscripts = nullptr;
    DWORD subscriptsLength = 0;
    const BYTE *elements = nullptr;
    DWORD elementsLength = 0;
    bool hasStatementList = false;
    DWORD statementList = 0;
    bool hasLanguage = false;
    DWORD language = 0;
    bool hasMember = false;
    DWORD member = 0; // the class entry
    CString compilationDirectory;
    bool hasNames = false, hasSourceInfo = false;
    DWORD names = 0, sourceInfo = 0; // offsets in ".debug_sfnames" and ".debug_srcinfo"
    bool hasBodyBegin = false, hasBodyEnd = false;
    DWORD bodyBegin = 0, bodyEnd = 0;
};

// Reads the attributes of the reader's current entry. A subroutine's abstract origin is
// followed (a short chain, each link inside ".debug"): the origin's attributes fill in
// what the entry does not give, its sibling excepted. References that leave ".debug"
// are dropped.
void ReadDwarf1EntryValues(CDwarf1EntryReader &reader, const Dwarf1Sections &sections, Dwarf1EntryValues *values);

// Reads the entry at `offset` of ".debug" (its origin not followed); false when no entry
// with a tag starts there.
bool ReadDwarf1EntryAt(const Dwarf1Sections &sections, DWORD offset, Dwarf1EntryValues *values);

// A compilation unit: its entry's offset and where the next unit's entry (or the
// section's end) begins.
struct Dwarf1Unit {
    DWORD offset;
    DWORD end;
};
std::vector<Dwarf1Unit> FindDwarf1Units(const Dwarf1Sections &sections);

// The end of the entry's children, where its sibling begins: the sibling when it lies
// behind the entry and inside the unit, else the unit's end.
DWORD Dwarf1ChildrenEnd(const Dwarf1EntryValues &entry, DWORD unitEnd);

// One dimension of an array's subscript data. A bound given as a location block has no
// constant value: the dimension's count is then 0.
struct Dwarf1Dimension {
    bool constantBounds = true;
    LONG low = 0, high = 0;
    LONG Count() const { return constantBounds && high >= low ? high - low + 1 : 0; }
};
struct Dwarf1Subscripts {
    std::vector<Dwarf1Dimension> dimensions;
    Dwarf1Type element; // from FMT_ET
};
// False when the data is cut off or names an unknown format; what came before stays.
bool DecodeDwarf1Subscripts(const BYTE *block, size_t length, Dwarf1Subscripts *subscripts);

// An element list: (value, name) pairs as they stand, which DWARF 1.1 writes from the
// last enumerator to the first. False when the list is cut off.
struct Dwarf1Element {
    LONG value;
    CString name;
};
bool DecodeDwarf1Elements(const BYTE *block, size_t length, std::vector<Dwarf1Element> *elements);

// One entry of a ".line" table: the line, its position in the line and its address
// (the table's base plus the entry's offset).
struct Dwarf1LineEntry {
    DWORD line;
    WORD column;
    DWORD delta;
    DWORD address;
};
// The table at `offset` of ".line", its entries from `first` (an offset in ".line"; 0:
// the first) up to `until` (0: the table's end); each bound must lie in the table on an
// entry's boundary. False when the table or a bound fails the check.
bool ReadDwarf1LineTable(const BYTE *line, size_t size, DWORD offset, DWORD first, DWORD until,
                         std::vector<Dwarf1LineEntry> *entries);

// A unit's source-information table (".debug_srcinfo"): each file that it names, by the
// name in ".debug_sfnames", with the run of ".line" entries that belongs to it.
struct Dwarf1SourceFile {
    CString name;
    DWORD lineOffset;  // the run's first entry in ".line"
    DWORD lineEnd;     // the next run's first entry, 0 for the table's end
};
struct Dwarf1SourceInfo {
    DWORD lineTable = 0; // offset of the unit's table in ".line"
    std::vector<Dwarf1SourceFile> files;
    bool endedByName = false; // a pair whose name offset is -1 ended the table
};
// False, with nothing read, when the table lies outside ".debug_srcinfo" or its name
// block is not the unit's (`names`). A pair whose name lies outside ".debug_sfnames" ends
// the table.
bool ReadDwarf1SourceInfo(const BYTE *srcinfo, size_t srcinfoSize, const BYTE *sfnames, size_t sfnamesSize,
                          DWORD offset, DWORD names, Dwarf1SourceInfo *info);
