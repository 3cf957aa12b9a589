// The records of the controller's special function registers (SFRs).
//
// They do not travel in transfer arrays: the controller engine keeps them, and a symbol
// window reads the engine's tables in place, in the same process. So the layout of the
// engine's entries (the records with a leading underscore) is shared by both sides, field
// for field in this order.
#pragma once

#include <afx.h>

#include "addressvalue.h"

// A named value of a bit field.
struct SpecialFunctionRegisterFieldValueTag {
    CString Name;
    DWORD Value = 0;
};

// A bit field of a register, with its named values.
struct SpecialFunctionRegisterFieldTag {
    SpecialFunctionRegisterFieldTag() = default;
    SpecialFunctionRegisterFieldTag(const SpecialFunctionRegisterFieldTag &other) { *this = other; }
    SpecialFunctionRegisterFieldTag &operator=(const SpecialFunctionRegisterFieldTag &other);

    CString Name;
    CString Description;
    DWORD Offset = 0;
    DWORD Width = 0;
    CArray<SpecialFunctionRegisterFieldValueTag, SpecialFunctionRegisterFieldValueTag &> Values;
};

// A register: its addresses (one per address space that shows it) and its bit fields.
struct SpecialFunctionRegisterTag {
    SpecialFunctionRegisterTag() = default;
    SpecialFunctionRegisterTag(const SpecialFunctionRegisterTag &other) { *this = other; }
    SpecialFunctionRegisterTag &operator=(const SpecialFunctionRegisterTag &other);

    CString Name;
    DWORD Type = 0; // bit 8 selects the register's image
    CArray<CAddressValue, CAddressValue &> Addresses;
    CString Description;
    CString ResetValue;
    CString Manual;
    DWORD Page = 0;
    DWORD Width = 0;
    DWORD NamedBitMask = 0;
    DWORD ReadOnlyMask = 0;
    DWORD HWModBitMask = 0;
    CArray<SpecialFunctionRegisterFieldTag, SpecialFunctionRegisterFieldTag &> Fields;
};

// A block of registers, as the controller database groups them.
struct SpecialFunctionRegisterBlockTag {
    CString Name;
    CString Description;
    DWORD SFRBlockIndex = 0;
};

// The controller engine's register entry: the register and the block that holds it
// (counted from 1 in the order of the block table).
struct _SpecialFunctionRegisterTag : SpecialFunctionRegisterTag {
    DWORD SFRBlockIndex = 0;
};

// The controller engine's block entry, which carries one word more.
struct _SpecialFunctionRegisterBlockTag : SpecialFunctionRegisterBlockTag {
    DWORD Extra = 0;
};

// The derivative's row of its Derivative table, and where its database was found; read
// in place by a module that resolves its handle (sfrlists.h).
struct CSfrDerivative {
    BOOL HasRow = FALSE; // FALSE: the database has no Derivative row
    CString Name;
    CString DatabaseName; // the file's name
    CString DatabasePath; // its full path
    DWORD AddressSpace = 0;
    DWORD WordSize = 0;
    DWORD CoreType = 0;
    DWORD IRAMSize = 0;
};
