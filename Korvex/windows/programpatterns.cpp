#include "programpatterns.h"

#include <cstdint>
#include <set>

CProgramPatterns::CProgramPatterns()
{
    m_entries.SetSize(0, 10);
}

BOOL CProgramPatterns::LastWriteTime(LPCSTR path, DWORD *low, DWORD *high)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesEx(path, GetFileExInfoStandard, &data))
        return FALSE;
    *low = data.ftLastWriteTime.dwLowDateTime;
    *high = data.ftLastWriteTime.dwHighDateTime;
    return TRUE;
}

int CProgramPatterns::FindUnchanged(LPCSTR path) const
{
    DWORD low = 0, high = 0;
    if (!LastWriteTime(path, &low, &high))
        return -1;
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        const PROGRAM_PATTERN &entry = m_entries[i];
        if (entry.path == path && entry.writeTimeLow == low && entry.writeTimeHigh == high)
            return i;
    }
    return -1;
}

void CProgramPatterns::Register(LPCSTR path, LONG programId)
{
    DWORD low = 0, high = 0;
    if (!LastWriteTime(path, &low, &high) || FindUnchanged(path) >= 0)
        return;
    PROGRAM_PATTERN entry;
    entry.path = path;
    entry.writeTimeLow = low;
    entry.writeTimeHigh = high;
    // The most negative id has no absolute value of its own; no program has it anyway.
    entry.programId = programId == INT32_MIN ? INT32_MAX : (programId < 0 ? -programId : programId);
    entry.keep = 1;
    m_entries.Add(entry);
}

LONG CProgramPatterns::FreeId() const
{
    std::set<LONG> taken;
    for (int i = 0; i < m_entries.GetSize(); ++i)
        taken.insert(m_entries[i].programId);
    LONG id = 1;
    while (taken.count(id) != 0)
        ++id;
    return id;
}

std::vector<LONG> CProgramPatterns::RemoveDropped()
{
    std::vector<LONG> dropped;
    for (int i = 0; i < m_entries.GetSize();) {
        if (m_entries[i].keep == 0) {
            dropped.push_back(m_entries[i].programId);
            m_entries.RemoveAt(i);
        } else {
            ++i;
        }
    }
    return dropped;
}
