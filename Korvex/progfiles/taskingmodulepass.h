// The state of one module pass of the Tasking reader.
#pragma once

#include <loaderrecords.h>

#include "taskingfile.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

struct CTaskingOutFile::ModulePass {
    struct Block {
        LONG scope;
        LONG number; // 0 for the function's own block
        DWORD start;
    };

    LONG modul = 0;
    DWORD firstRecord = 0; // the module record

    // Code.
    LONG nextFunction = 1;  // the FunctionIndex of the module's next function
    LONG function = 0;      // of the open function, 0 when none is open
    Block functionBlock = {0, 0, 0};
    std::vector<Block> blocks; // the open blocks inside the function
    size_t depth = 0;          // their nesting, also beyond what `blocks` follows
    LONG blockCounter = 0;
    LONG pendingRegister = -1;

    // Source lines and sections.
    std::unordered_map<WORD, LONG> files; // the file's numbers -> SourceFiles
    LONG currentFile = 0;
    LONG section = 0;
    int nesting = 0;

    // Lifetimes: the key a 0x62 or 0x63 record gives -> its list.
    std::unordered_map<DWORD, LONG> lifetimes;
    LONG nextLifetime = 1;

    // The types written so far: a module not yet analysed has no Types rows before its
    // pass (a failed pass leaves none), so the pass needs to ask only itself.
    std::unordered_set<LONG> types;
    // The base types of signed integers, which make a bit-field of them signed.
    std::unordered_set<LONG> signedTypes;

    // Types under construction.
    BOOL arrayOpen = FALSE;
    ArrayRecordTag array;
    LONG lowerBound = 0;
    BOOL enumerationOpen = FALSE;
    CompoundTypeRecordTag enumeration;
    BOOL compoundOpen = FALSE;
    CompoundTypeRecordTag compound;
};
