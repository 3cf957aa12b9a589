// The attributes of one DWARF 2 entry that the globals and module passes act on, read
// in one go, with what the entry's abstract origin and the declaration it completes add.
//
// gcc describes an inlined or out-of-line instance by an entry whose name, type and
// external flag stand in its abstract origin, and a global that a header declares
// `extern` by a nameless definition whose DW_AT_specification names the declaration;
// a C++ member function or static member defined outside its class is such a
// definition too, and takes its class's name as qualifier ("Class::name"). The
// entry's own attributes come first; those that it lacks are taken from the entries it
// refers to, along a chain of bounded length that stays inside the unit.
#pragma once

#include <afx.h>

#include "dwarf2entries.h"

#include <unordered_map>

struct Dwarf2EntryValues {
    DWORD tag = 0;
    DWORD offset = 0; // unit-relative, the entry's identity
    bool hasChildren = false;

    CString name;
    bool hasName = false;
    bool hasLow = false;
    DWORD low = 0;
    bool hasHigh = false;
    DWORD high = 0;
    bool external = false;
    bool hasType = false;
    DWORD type = 0; // unit-relative
    bool hasByteSize = false;
    DWORD byteSize = 0;
    bool hasBitOffset = false;
    LONG bitOffset = 0;
    bool hasBitSize = false;
    DWORD bitSize = 0;
    bool hasMemberLocation = false;
    DWORD memberLocation = 0; // in bytes
    bool hasUpperBound = false;
    DWORD upperBound = 0;
    bool hasCount = false;
    DWORD count = 0;
    bool hasConstValue = false;
    DWORD constValue = 0;
    DWORD constValueForm = 0;
    bool hasStatementList = false;
    DWORD statementList = 0;
    CString compilationDirectory;
    DWORD encoding = 0xFFFFFFFF; // 0x80-0xff as 0xff

    // DW_AT_location and DW_AT_frame_base, as the entry reader decoded them.
    bool hasLocation = false;
    Dwarf2Location location;
    bool hasLocationList = false;
    std::vector<Dwarf2LocationListEntry> locationList;
    bool hasFrameBase = false;
    Dwarf2Location frameBase;
    bool hasFrameBaseList = false;
    std::vector<Dwarf2LocationListEntry> frameBaseList;
};

// The qualifiers of the entries that stand inside a named class, structure, union or
// namespace of the unit, by unit-relative offset ("Outer::Inner").
using Dwarf2Qualifiers = std::unordered_map<DWORD, CString>;

// Reads the current entry's attributes into `values`; then, when the entry names an
// abstract origin or completes a declaration, reads the attributes of that entry that `values`
// lacks, and so on down the chain. `qualifiers`, when given, qualifies a name taken from
// a declaration. The reader is left where the entry's attributes end.
void ReadDwarf2EntryValues(CDwarf2EntryReader &reader, Dwarf2EntryValues *values,
                           const Dwarf2Qualifiers *qualifiers = nullptr);

// A type reference as a unit-relative offset: references of the unit's own forms as they
// stand, DW_FORM_ref_addr made relative. False for a reference outside the unit.
bool Dwarf2UnitReference(const Dwarf2Attribute &attribute, const Dwarf2UnitHeader &unit, DWORD *offset);
