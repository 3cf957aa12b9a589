// What an entry with children means to the entries inside it, in the DWARF 2 module
// pass: the scope and function that own the code entries, the frame base of the
// function, and the type under construction (an array's dimensions, an enumeration's
// or a structure's count, a function type's parameters), written when its children end.
#pragma once

#include <loaderrecords.h>

#include "dwarf2entries.h"
#include "elffile.h"

#include <memory>
#include <vector>

struct CELFFile::ModuleScope {
    enum Construct { NONE, ARRAY, ENUMERATION, COMPOUND, FUNCTION_TYPE };

    DWORD offset = 0;
    LONG scope = 0;         // packed: the innermost function or block with a block row
    LONG functionIndex = 0; // of the innermost function with a Functions row
    std::shared_ptr<const std::vector<Dwarf2LocationListEntry>> frameBase;
    // The blocks of the innermost function so far: an inlined function's blocks are
    // numbered apart, and the function around it goes on where it was.
    std::shared_ptr<LONG> blockCounter;

    Construct construct = NONE;
    CString name;
    LONG bits = 0;
    LONG count = 0;
    BOOL isUnion = FALSE;
    LONG resultType = 0;
    std::vector<ArrayRecordTag> dimensions;
};
