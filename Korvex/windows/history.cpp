#include "history.h"

CHistory::CHistory(LPCSTR name) : m_name(name)
{
    m_entries.SetSize(0, 10);
}

CString CHistory::ValueName(int index) const
{
    CString name;
    name.Format("%s%i", static_cast<LPCSTR>(m_name), index);
    return name;
}

void CHistory::Load(Profile::CProfile &profile)
{
    char text[MaxEntryLength];
    for (int i = 0; i < Limit; ++i) {
        if (!profile.GetString(nullptr, ValueName(i), "", text, sizeof text) || text[0] == '\0')
            break;
        m_entries.Add(CString(text));
    }
}

void CHistory::Save(Profile::CProfile &profile) const
{
    for (int i = 0; i < Limit; ++i)
        profile.WriteString(nullptr, ValueName(i), i < m_entries.GetSize() ? static_cast<LPCSTR>(m_entries[i]) : "");
}

void CHistory::Add(LPCSTR text)
{
    if (text == nullptr || text[0] == '\0')
        return;
    CString entry(text);
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        if (m_entries[i] == entry) {
            m_entries.RemoveAt(i);
            break;
        }
    }
    while (m_entries.GetSize() >= Limit)
        m_entries.RemoveAt(m_entries.GetSize() - 1);
    m_entries.InsertAt(0, entry);
}
