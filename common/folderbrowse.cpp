#include "folderbrowse.h"

CFolderBrowseDlg::CFolderBrowseDlg(LPCSTR title, HWND owner) : m_title(title), m_info(), m_result()
{
    m_info.hwndOwner = owner;
    m_info.pidlRoot = nullptr;
    m_info.pszDisplayName = m_result;
    m_info.lpszTitle = m_title;
    m_info.ulFlags = 0;
    m_info.lpfn = nullptr;
}

LPCSTR CFolderBrowseDlg::DoModal()
{
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&m_info);
    if (item == nullptr)
        return nullptr;
    BOOL hasPath = SHGetPathFromIDListA(item, m_result);
    ILFree(item);
    return hasPath ? m_result : nullptr;
}
