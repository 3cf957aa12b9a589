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

// A line of a source file, by the file's entry text.
struct SourceLineChoice {
    CString file;
    LONG line;
};

// The entries of code 703 in mode 9 at `value`, the start of a range of `line`, for that
// line even where another line has a row at the same address; FALSE when no function's
// line there is that line.
BOOL DescribeSourceLine(CSymbolEngine &engine, DWORD value, const SourceLineChoice &line, LabelArray &entries);

// The first form of a descriptor; `plainMarker` writes "'" for "+'" (every range asked).
CString FormatBreakpointDescriptor(const CString &function, const CString &file, LONG line, BOOL plainMarker,
                                   const CString &moduls, int occurrence, LONG distance, const CString &offset);

// The name of the module whose function holds the address, else of the first module of
// the section that holds it (modules can share a section); "" when none.
CString BreakpointModulAt(CSymbolEngine &engine, DWORD mode, DWORD value);
