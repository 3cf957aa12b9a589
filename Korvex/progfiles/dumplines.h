// CDumpLines: the label-and-value lines of the program-file dumps.
//
// A value stands right-aligned so that its line, not counting a leading tab, is 40
// characters wide: "Class:" followed by the class name in 34 columns. All text goes
// through the reader's DumpPrintf, which writes nothing when no dump is open.
#pragma once

#include "targetfile.h"

#include <cstring>

class CDumpLines {
public:
    explicit CDumpLines(CQelTargetFile &file) : m_file(file) {}

    void Text(LPCSTR label, LPCSTR value) { m_file.DumpPrintf("%s%*s\n", label, Width(label), value); }
    void Hex(LPCSTR label, DWORD value) { m_file.DumpPrintf("%s%#*x\n", label, Width(label), value); }
    void Unsigned(LPCSTR label, DWORD value) { m_file.DumpPrintf("%s%*u\n", label, Width(label), value); }
    void Signed(LPCSTR label, LONG value) { m_file.DumpPrintf("%s%*d\n", label, Width(label), value); }

    CQelTargetFile &File() { return m_file; }

private:
    static int Width(LPCSTR label)
    {
        if (*label == '\t')
            ++label;
        int length = static_cast<int>(strlen(label));
        return length < 40 ? 40 - length : 0;
    }

    CQelTargetFile &m_file;
};
