// What the globals pass takes from one DWARF 2 unit, read without the database: the
// unit's name, the files and code sections of its line table, and its functions and
// variables at fixed addresses in the order of their entries.
//
// Units are independent of each other, so several threads read them at once while the
// pass writes the rows of those read before (dwarf2globals.cpp). Everything that the
// database numbers (the module, the functions) is left to the writer; entries are named
// by their offsets in the unit.
#pragma once

#include <afx.h>
#include <loaderrecords.h>

#include "dwarf2entries.h"
#include "dwarflineprogram.h"

#include <vector>

struct SectionTag;

struct Dwarf2UnitGlobals {
    // A change of the line table's file, or a section that its code reaches.
    struct LineEvent {
        int section = -1;  // a section record, or -1 for a change of file
        DWORD file = 0;    // the file's number in the line table
        CString name;
        CString directory;
    };

    // A function (subprogram or inlined subroutine) with a Functions row.
    struct Function {
        CString name;
        DWORD offset = 0;
        DWORD low = 0;
        DWORD length = 0;
        DWORD returnType = 0; // 0: the module's void
        bool external = false;
        bool inlined = false;
        int section = -1;
    };

    // A variable at a fixed address.
    struct Variable {
        CString name;
        LONG symbolId = 0;        // 3 function static, 4 module static, 5 global
        LONG type = -1;           // an entry offset, -1 for none
        LONG mode = 1;
        DWORD address = 0;
        LONG extra = 0;
        DWORD scope = 0;          // function statics: the entry of their function or block
        size_t function = 0;      // the ordinal in the unit of the enclosing function, 0 for none
    };

    // A function or a variable, in the order of the entries.
    struct Item {
        bool isFunction;
        size_t index; // into functions or variables
    };

    DWORD offset = 0;
    // False when the unit cannot be read whole (a damaged entry, numbers beyond what the
    // database packs): the diagnostic says why, and the unit gives no rows. A unit of a
    // kind the pass does not read is readable and has no compile unit.
    bool readable = true;
    CString diagnostic;
    bool isCompileUnit = false;

    CString name;
    CString compilationDirectory;
    std::vector<LineEvent> lines;
    bool lineTableHasFiles = false;
    std::vector<Function> functions;
    std::vector<Variable> variables;
    std::vector<Item> items;
};

// Reads the unit at `offset` of ".debug_info" with `reader` (one per thread). `line` is
// ".debug_line" (null when the file has none), `sections` the section records that code
// addresses are looked up in.
void ReadDwarf2UnitGlobals(CDwarf2EntryReader &reader, DWORD offset, const BYTE *line, DWORD lineSize,
                           const std::vector<SectionTag> &sections, Dwarf2UnitGlobals *unit);

// The directory of a line table's file: the compilation directory for file entries
// without one, and the base of a relative include directory.
CString Dwarf2LineFileDirectory(const CDwarfLineProgram &program, DWORD file, const CString &compilationDirectory);

// The section record that holds `address` (mode 1), -1 when none does; `hint` is the
// answer of the last call, tried first.
int FindSectionRecord(const std::vector<SectionTag> &sections, DWORD address, int *hint);
