// CHistory: the last texts a user entered in a field, most recent first, kept in a
// profile as the values "<name>0", "<name>1", ... of its root.
#pragma once

#include <afx.h>
#include <profile.h>

class CHistory {
public:
    enum { Limit = 10, MaxEntryLength = 256 };

    explicit CHistory(LPCSTR name = "History");

    // Appends the values from index 0 on, at most Limit of them, up to the first that is
    // missing or empty.
    void Load(Profile::CProfile &profile);
    // Writes every index below Limit, "" where there is no entry, so that a shorter
    // history ends a later Load where it ends.
    void Save(Profile::CProfile &profile) const;
    // Puts `text` first; an equal entry elsewhere goes, and the oldest ones go while the
    // list is full. An empty text changes nothing.
    void Add(LPCSTR text);

    int GetCount() const { return m_entries.GetSize(); }
    const CString &GetAt(int index) const { return m_entries[index]; }
    const CString &GetName() const { return m_name; }

private:
    CString ValueName(int index) const;

    CStringArray m_entries;
    CString m_name;
};
