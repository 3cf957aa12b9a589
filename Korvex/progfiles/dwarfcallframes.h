// The canonical frame address (CFA) of a function from ".debug_frame", which a DWARF 3
// frame base of DW_OP_call_frame_cfa names: over each piece of the function's code, a
// register plus an offset.
//
// Only the CFA column of the call-frame table is kept; the rules of the other registers
// are stepped over by their operands. Entries of 64-bit format, augmented CIEs (whose
// augmentation data this reader cannot interpret) and a CFA given by an expression end
// the table where they stand, so a producer's extension costs the frame base and never
// the load.
#pragma once

#include <windows.h>

#include <vector>

struct DwarfCfaRule {
    DWORD begin;        // the rule holds in [begin, end)
    DWORD end;
    DWORD registerNumber;
    LONG offset;
};

// The CFA rules over [low, high) of the frame description entry that covers `low`;
// empty when no entry covers it or its rules cannot be read.
std::vector<DwarfCfaRule> ReadDwarfCfaRules(const BYTE *frames, size_t size, bool bigEndian, BYTE addressSize,
                                            DWORD low, DWORD high);
