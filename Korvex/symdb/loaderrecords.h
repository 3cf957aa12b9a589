// The loader records: what a program-file reader hands to a writer of the record layer
// for one row. "Modul" is the module number of the record's compilation unit; type and
// symbol numbers are module-relative and packed by the writer.
#pragma once

#include <afx.h>

// Types rows.
struct BaseTypeRecordTag {
    LONG Modul = 0;
    CString Name;
    LONG Number = 0;
    LONG Bits = 0;
};

struct TypedefRecordTag {
    LONG Modul = 0;
    CString Name;
    LONG Number = 0;
    LONG NamedType = 0;
};

struct QualifiedTypeRecordTag {
    LONG Modul = 0;
    LONG Qualifier = 0; // 0 const, 1 volatile
    LONG Number = 0;
    LONG QualifiedType = 0;
};

struct PointerTypeRecordTag {
    LONG Modul = 0;
    LONG Number = 0;
    LONG TargetType = 0;
    LONG Kind = 0; // pointer kind (near, far, huge, ...)
};

struct FunctionTypeRecordTag {
    LONG Modul = 0;
    LONG Number = 0;
    LONG ResultType = 0;
    LONG ParameterCount = 0;
    LONG Extra = 0;
};

// A parameter of a function type, or another type that a type refers to.
struct TypeLinkRecordTag {
    LONG Modul = 0;
    LONG Number = 0;
    LONG Type = 0;
    LONG Owner = 0;
};

// A structure, union or enumeration.
struct CompoundTypeRecordTag {
    LONG Modul = 0;
    CString Name;
    LONG Number = 0;
    LONG Bits = 0;
    LONG Count = 0; // members or enumerators
};

struct EnumMemberRecordTag {
    LONG Modul = 0;
    CString Name;
    LONG Number = 0;
    LONG Value = 0;
    LONG Owner = 0;
};

// One dimension of an array.
struct ArrayRecordTag {
    LONG Modul = 0;
    LONG Number = 0;
    LONG ElementType = 0;
    LONG Count = 0;
};

struct StructMemberRecordTag {
    LONG Modul = 0;
    CString Name;
    LONG Number = 0;
    LONG Type = 0;
    LONG Offset = 0; // in bits
    LONG Owner = 0;
};

// The three data words of a bit-field type, in the reader's own meaning.
struct BitFieldTypeRecordTag {
    LONG Modul = 0;
    LONG Number = 0;
    LONG Data[3] = {};
};

// A named Symbols row: words 3 onward of the record are Data[0] onward (for most kinds
// a type, then an address triple).
struct SymbolRecordTag {
    LONG Modul = 0;
    CString Name;
    LONG ScopeIndex = 0;
    LONG Data[6] = {};
};

// A nameless Symbols row (block, address row, stack adjustment): words 2 onward of the
// record are Data[0] onward.
struct UnnamedSymbolRecordTag {
    LONG Modul = 0;
    LONG ScopeIndex = 0;
    LONG Data[5] = {};
};
