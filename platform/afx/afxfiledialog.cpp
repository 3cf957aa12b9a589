#include "afxfiledialog.h"

#include "dialogresults.h"

#include <algorithm>
#include <cstring>

CFileDialog::CFileDialog(BOOL, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags, LPCTSTR lpszFilter,
                         CWnd *pParentWnd)
    : m_ofn{}, m_fileName{}
{
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.Flags = dwFlags;
    m_ofn.lpstrDefExt = lpszDefExt;
    if (lpszFileName != nullptr)
        memcpy(m_fileName, lpszFileName, std::min(strlen(lpszFileName), sizeof m_fileName - 1));
    if (lpszFilter != nullptr)
        SetFilter(lpszFilter);
}

void CFileDialog::SetFilter(const std::string &filter)
{
    m_filter = filter;
    std::replace(m_filter.begin(), m_filter.end(), '|', '\0');
    // The list ends in the NUL of the last '|' (added when the caller left it out) and
    // the string's own.
    if (m_filter.empty() || m_filter.back() != '\0')
        m_filter += '\0';
    m_ofn.lpstrFilter = m_filter.c_str();
}

INT_PTR CFileDialog::DoModal()
{
    return GetOpenFileNameA(&m_ofn) ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const
{
    return CString(m_ofn.lpstrFile);
}
