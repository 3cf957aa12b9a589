#include "programfiledlg.h"

#include <hostmainwnd.h>
#include <progfilepaths.h>
#include <regkeyman.h>

#include <algorithm>

namespace {

const char kVersionKey[] = "Software\\Tosk\\Qelvane\\Version3";
const char kRecentFiles[] = "RecentlySelectedFiles";

// A remembered path is read whole, however long: cut to a buffer it would name another
// file. Longer than this is no path.
const int kLongestPath = 1 << 16;

CString ReadWhole(CProfileMan &profile, LPCSTR subkey, LPCSTR name)
{
    CString text;
    for (int size = MAX_PATH; size <= kLongestPath; size *= 2) {
        if (profile.GetString(subkey, name, "", text, size) == 0)
            return text;
    }
    return "";
}

} // namespace

CProgramFileDlg::CProgramFileDlg(CProfileMan *profile, LPCSTR defaultExtension, LPCSTR fileName, LPCSTR filter,
                                 LPCSTR entryName, CWnd *parent, DWORD filterIndex, BOOL noPreselect,
                                 LPCSTR additionalFilter, BOOL mustExist)
    : m_pProfile(profile), m_strDefaultExtension(defaultExtension), m_strFileName(fileName), m_strFilter(filter),
      m_strEntry(entryName), m_pParent(parent), m_nFilterIndex(filterIndex), m_bNoPreselect(noPreselect),
      m_bMustExist(mustExist), m_bAccepted(FALSE)
{
    if (additionalFilter != nullptr && additionalFilter[0] != '\0') {
        if (!m_strFilter.IsEmpty() && m_strFilter.Right(1) != "|")
            m_strFilter += "|";
        m_strFilter += additionalFilter;
    }
    m_strLastFile = ReadLastFile();
}

CProgramFileDlg::~CProgramFileDlg() = default;

CString CProgramFileDlg::ReadLastFile()
{
    if (m_strEntry.IsEmpty())
        return "";
    if (m_pProfile != nullptr)
        return ReadWhole(*m_pProfile, nullptr, m_strEntry);
    CRegKeyMan key;
    if (key.Open(HKEY_CURRENT_USER, kVersionKey, FALSE) != 0)
        return "";
    return ReadWhole(key, kRecentFiles, m_strEntry);
}

void CProgramFileDlg::WriteLastFile(LPCSTR path)
{
    if (m_strEntry.IsEmpty())
        return;
    if (m_pProfile != nullptr) {
        m_pProfile->WriteString(nullptr, m_strEntry, path);
        return;
    }
    CRegKeyMan key;
    if (key.Open(HKEY_CURRENT_USER, kVersionKey, TRUE) == 0)
        key.WriteString(kRecentFiles, m_strEntry, path);
}

BOOL CProgramFileDlg::Accept(LPCSTR path)
{
    if (path == nullptr || path[0] == '\0' || (m_bMustExist && !IsReadableFile(path)))
        return FALSE;
    m_strPath = path;
    m_bAccepted = TRUE;
    return TRUE;
}

BOOL CProgramFileDlg::DoModal()
{
    if (!m_bNoPreselect && !m_strLastFile.IsEmpty() && Accept(m_strLastFile))
        return TRUE;

    const CString &start = m_strLastFile.IsEmpty() ? m_strFileName : m_strLastFile;
    CWnd *parent = m_pParent;
    if (parent == nullptr)
        parent = CWnd::FromHandle(::GetActiveWindow());
    if (parent == nullptr)
        parent = GetHostMainWnd(0, nullptr);
    DWORD flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | (m_bMustExist ? OFN_FILEMUSTEXIST : 0);
    LPCSTR defaultExtension = m_strDefaultExtension.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_strDefaultExtension);
    LPCSTR filter = m_strFilter.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_strFilter);
    m_pDialog = std::make_unique<CFileDialog>(TRUE, defaultExtension, nullptr, flags, filter, parent);
    m_fileBuffer.assign(std::max<size_t>(static_cast<size_t>(start.GetLength()) + 1, 2048), '\0');
    std::copy(static_cast<LPCSTR>(start), static_cast<LPCSTR>(start) + start.GetLength(), m_fileBuffer.begin());
    m_pDialog->m_ofn.lpstrFile = m_fileBuffer.data();
    m_pDialog->m_ofn.nMaxFile = static_cast<DWORD>(m_fileBuffer.size());
    m_pDialog->m_ofn.nFilterIndex = m_nFilterIndex;
    m_strInitialDirectory = ExtractDirectory(start);
    if (!m_strInitialDirectory.IsEmpty())
        m_pDialog->m_ofn.lpstrInitialDir = m_strInitialDirectory;

    if (m_pDialog->DoModal() == IDOK && Accept(m_pDialog->GetPathName()))
        WriteLastFile(m_strPath);
    return m_bAccepted;
}
