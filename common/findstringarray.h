// CFindStringArray: the names of the view servers registered for a server, each with
// its MultipleUse flag. A name without the flag serves one command handler only: the
// handler that takes it removes it.
#pragma once

#include <afx.h>

class CFindStringArray : public CStringArray {
public:
    // The index of the new entry.
    int Add(const CString &name, UINT flag);
    // The index of the first entry that equals `name` exactly, or -1.
    int Find(LPCSTR name) const;
    // Removes every entry of `name` whose flag is 0; TRUE when one went.
    BOOL RemoveUnflagged(LPCSTR name);
    UINT GetFlag(int index) const { return m_flags[index]; }
    void RemoveAll();

private:
    CUIntArray m_flags;
};
