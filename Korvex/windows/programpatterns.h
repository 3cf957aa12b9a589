// CProgramPatterns: the program files loaded under debugger control, one entry per file,
// so that loading an unchanged file again is told from loading a new one, and every
// loaded program keeps its id until it is dropped.
//
// Paths compare exactly: on Linux paths that differ in case name two files. A file is
// unchanged while its own last-write time is.
#pragma once

#include "programpattern.h"

#include <vector>

class CProgramPatterns {
public:
    CProgramPatterns();

    // The file's last-write time; FALSE when there is no such file.
    static BOOL LastWriteTime(LPCSTR path, DWORD *low, DWORD *high);

    // The entry of the file as it is now; -1 when it is not loaded or has changed.
    int FindUnchanged(LPCSTR path) const;
    // Records a program loaded under `programId` (kept as its absolute value), unless an
    // entry holds the file unchanged already or the file is not there.
    void Register(LPCSTR path, LONG programId);
    // The smallest id from 1 up that no entry holds.
    LONG FreeId() const;
    // Removes the entries whose keep flag is 0; their ids, in list order.
    std::vector<LONG> RemoveDropped();

    CProgramPatternArray &Entries() { return m_entries; }
    const CProgramPatternArray &Entries() const { return m_entries; }

private:
    CProgramPatternArray m_entries;
};
