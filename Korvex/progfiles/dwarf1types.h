// Types and names as both DWARF 1.1 passes number and spell them.
//
// A type is named by its entry's offset in its compilation unit; a fundamental type by a
// fixed number near the top of the packed range; a pointer that only a type modifier
// makes by the modifying entry's offset plus 1, plus 2, ... (the entry is longer than its
// modifiers, so these numbers never reach the next entry). Both passes must agree, since
// the globals pass writes the numbers that the module pass's rows answer.
#pragma once

#include "dwarf1values.h"

#include <vector>

// Where synthetic type numbers of the module pass start, counting down, below the
// fundamental types.
const LONG DWARF1_FIRST_SYNTHETIC_TYPE = 0x3FF9B;
// The fundamental type "void".
const LONG DWARF1_VOID_TYPE = 0x3FFEC;

struct Dwarf1FundamentalType {
    LPCSTR name;
    LONG bits;
    DWORD code;
    LONG number;
};
// The table of fundamental types, in the order the module pass writes them.
const std::vector<Dwarf1FundamentalType> &Dwarf1FundamentalTypes();
// The number of a fundamental type code, 0 for a code the table lacks.
LONG Dwarf1FundamentalNumber(DWORD code);
// Its name in the table, "" for a code the table lacks.
LPCSTR Dwarf1FundamentalName(DWORD code);
// Whether a bit-field of this fundamental type holds a signed value.
bool IsDwarf1SignedType(DWORD code);

// A pointer row that a modified type needs.
struct Dwarf1PointerRow {
    LONG number;
    LONG target;
};

// The number of `type` as the attribute of the entry at `entryInUnit` (its offset in the
// unit) gives it, kNoIndex when there is none or its reference leaves the unit
// [unitStart, unitEnd). The pointer rows of its pointer-to modifiers go to `pointers`
// when it is given, innermost first.
LONG Dwarf1TypeNumber(const Dwarf1Type &type, DWORD entryInUnit, DWORD unitStart, DWORD unitEnd,
                      std::vector<Dwarf1PointerRow> *pointers = nullptr);

// A name as the unit's language shows it: C++ names (language 4) decoded by the
// demangler when it gives a result.
CString Dwarf1Name(LPCSTR name, DWORD language);

// Whether a subroutine entry has a Functions row: it has a low address and a name (the
// row takes no empty name). Both passes count functions so.
bool IsDwarf1Function(const Dwarf1EntryValues &entry, DWORD language);

// Cuts a name to the 254 characters that a Functions row holds.
CString CutDwarf1Name(const CString &name);
