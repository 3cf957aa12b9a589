// What the DWARF 1.1 module pass keeps while it walks one compilation unit: the
// subroutines, blocks, structures and subroutine types whose children it is inside (an
// entry's children run up to its sibling), the counters that number scopes, functions,
// lifetime lists and synthetic types, and what the source lines leave for the functions.
#pragma once

#include "dwarf1values.h"
#include "elffile.h"

#include <map>
#include <unordered_map>
#include <vector>

struct CELFFile::Dwarf1ModuleState {
    enum Kind { SUBROUTINE, BLOCK, COMPOUND, FUNCTION_TYPE };
    struct Open {
        Kind kind;
        DWORD end;
        LONG number = 0;        // scopes: the running scope number; types: the entry's number
        LONG functionIndex = 0; // of the subroutine that holds it, 0 for none
        bool hasBody = false;   // subroutines: body begin and end, for the lifetime rule
        DWORD bodyBegin = 0, bodyEnd = 0;
        CString name;           // compounds
        LONG bits = 0;
        LONG count = 0;         // members, or parameters of a subroutine type
        bool isUnion = false;
        LONG resultType = 0;
    };
    // The line of the lowest address of a section, for the functions below it.
    struct LowestLine {
        DWORD address;
        DWORD line;
        LONG file;
    };

    Dwarf1Sections sections;
    Dwarf1Unit unit{0, 0};
    LONG modul = 0;
    DWORD language = 2;
    BOOL pcp = FALSE;
    DWORD unitLow = 0; // location lists count from it
    LONG scopeNumber = 0;
    LONG blockCounter = 0;
    std::vector<Open> opens;
    // Typedef entries by unit offset -> the type they name, for signed bit-fields.
    std::unordered_map<DWORD, Dwarf1Type> typedefs;
    std::map<int, LowestLine> lowest;
    std::vector<DWORD> functionAddresses;

    DWORD InUnit(DWORD offset) const { return offset - unit.offset; }
    // The innermost open entry of a kind, null when there is none.
    const Open *Innermost(std::initializer_list<Kind> kinds) const
    {
        for (auto open = opens.rbegin(); open != opens.rend(); ++open)
            for (Kind kind : kinds)
                if (open->kind == kind)
                    return &*open;
        return nullptr;
    }
};
