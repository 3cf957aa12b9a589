// PROGRAM_PATTERN: one program file loaded under debugger control.
#pragma once

#include <afx.h>

struct PROGRAM_PATTERN {
    CString path;           // as loaded
    DWORD writeTimeLow;     // the file's last-write time when it was registered
    DWORD writeTimeHigh;
    LONG programId;         // the id it was loaded under, as its absolute value
    int keep;               // 1: stays loaded; the program-images dialog clears it
};

typedef CArray<PROGRAM_PATTERN, const PROGRAM_PATTERN &> CProgramPatternArray;
