// What the breakpoint handlers share: the descriptor of a code address (code 703), which
// the way back from a descriptor to its addresses (code 704) answers with for the forms
// that name no source position.
#pragma once

#include "symbolengine.h"

typedef CArray<LabelTag, LabelTag &> LabelArray;

// Appends the descriptor entries of the address to `entries`: the descriptor at index 0
// with the address as asked (mode 9, all ranges of the line, stays 9 there), and in mode
// 9 one entry per range of the line after it.
void DescribeBreakpoint(CSymbolEngine &engine, LONG mode, DWORD value, LabelArray &entries);
