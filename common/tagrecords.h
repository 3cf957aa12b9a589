// The tag records: the plain records in which symbol information travels between the
// program-file readers, the symbol database, the symbol server and its clients.
//
// Both sides use the same records: the server's query handlers fill them, the server packs
// them into the two transfer arrays of a Get method and the client unpacks them again
// (tagtransfer.h), so a field's place is part of that contract. The records are kept in
// the framework's growable arrays, whose new elements are made by the constructors below;
// copies copy every field.
//
// All numbers are 32 bits. An address triple stands in three fields (AddressMode,
// AddressValue, AddressExtra) and starts as (1, 0, 0), as CAddressValue does. Where a
// handler gives a field no value of its own, the server sends -1 ("none").
#pragma once

#include <afx.h>

#include "addressvalue.h"

// A section of the program (request group 0).
struct SectionTag {
    LONG Type = 0; // TYSE_: 1 code, 2 const, 3 data, 4 bss, ...; 0x40000000 added "with gaps"
    DWORD AddressMode = 1;
    DWORD AddressValue = 0; // the start
    DWORD AddressExtra = 0;
    DWORD Length = 0;
    CString Name;
};

// A source file (group 100). A file listed without a line has -1 in SourceLine, the
// address and Length.
struct SourceFileTag {
    CString Name;
    LONG Type = 0; // 1000 or more: the file has line information
    CString EntryInFile; // the path text that the program file gives for it
    LONG SourceLine = 0;
    DWORD AddressMode = 1;
    DWORD AddressValue = 0;
    DWORD AddressExtra = 0;
    DWORD Length = 0;
};

// A function (group 200).
struct FunctionTag {
    CString Name;
    DWORD AddressMode = 1;
    DWORD AddressValue = 0;
    DWORD AddressExtra = 0;
    DWORD Length = 0;
    LONG ReturnType = 0;
    LONG Scope = 0;
    LONG CallType = 0;
};

// One address range of a source line (group 300).
struct SourceLineTag {
    LONG SourceLine = 0;
    DWORD AddressMode = 1;
    DWORD AddressValue = 0;
    DWORD AddressExtra = 0;
    DWORD Length = 0;
};

// A variable (group 400). The type words are those of the type description: TypeIndex is
// the packed type index of a C variable, SizeInBits stays 0 until the type is described.
struct VariableTag {
    CString Name;
    LONG TypeCode = 0;
    LONG TypeIndex = 0;
    CString TypeText;
    LONG SizeInBits = 0;
    LONG PointerClass = 0;
    LONG SymbolID = 0; // the kind of symbol: 1 parameter, 2 local, ... 5 global, ...
    LONG SymbolIndex = 0;
    CString ScopeText;
    DWORD AddressMode = 1;
    DWORD AddressValue = 0;
    DWORD AddressExtra = 0;
};

// A member of a type, or the type itself (group 500).
struct MemberTag {
    CString Name;
    LONG TypeCode = 0;
    LONG TypeIndex = 0;
    CString TypeText;
    LONG SizeInBits = 0;
    LONG PointerClass = 0;
    LONG Offset = 0; // offset or bit layout; element count of an array, an enumerator's value
    LONG Extra = 0;  // a class member's further value, else 0
};

// One range of a variable's lifetime (group 600): from where in the code (value = start,
// third word = length of the range) the variable lives where To says.
struct LifetimeTag {
    CAddressValue From;
    CAddressValue To;
};

// A label, or an address that a label-like answer gives (group 700). In breakpoint
// answers the third word carries the length of a code range.
struct LabelTag {
    CString Name;
    DWORD AddressMode = 1;
    DWORD AddressValue = 0;
    DWORD AddressExtra = 0;
    LONG Size = 0; // the label's length or size
};

// A register of the register map (group 800): its name, the number the server gives it,
// and the index of that register in the client's own register list (-1: none).
struct RegisterMapTag {
    CString Name;
    LONG Number = 0;
    LONG RegisterIndex = -1;
};

// A pair of the VarEd set (group 900): the kind of the entry (16 marks a variable) and
// the number it refers to.
struct VarEdTag {
    LONG Kind = 0;
    LONG Data = 0;
};

// Where an address lies (group 4000): the source-file part in SourceFileTag order, then
// the section that holds the address. The server leaves the source-file Name empty.
struct LocationTag {
    CString Name;
    LONG Type = 0;
    CString EntryInFile;
    LONG SourceLine = 0;
    DWORD AddressMode = 1;
    DWORD AddressValue = 0;
    DWORD AddressExtra = 0;
    DWORD Length = 0;

    CString SectionName;
    LONG SectionType = 0;
    DWORD SectionAddressMode = 1;
    DWORD SectionAddressValue = 0;
    DWORD SectionAddressExtra = 0;
    DWORD SectionLength = 0;
};
