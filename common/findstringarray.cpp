#include "findstringarray.h"

int CFindStringArray::Add(const CString &name, UINT flag)
{
    m_flags.Add(flag);
    return CStringArray::Add(name);
}

int CFindStringArray::Find(LPCSTR name) const
{
    for (int i = 0; i < GetSize(); ++i) {
        if (GetAt(i) == name)
            return i;
    }
    return -1;
}

BOOL CFindStringArray::RemoveUnflagged(LPCSTR name)
{
    BOOL removed = FALSE;
    for (int i = GetSize() - 1; i >= 0; --i) {
        if (m_flags[i] == 0 && GetAt(i) == name) {
            RemoveAt(i);
            m_flags.RemoveAt(i);
            removed = TRUE;
        }
    }
    return removed;
}

void CFindStringArray::RemoveAll()
{
    CStringArray::RemoveAll();
    m_flags.RemoveAll();
}
