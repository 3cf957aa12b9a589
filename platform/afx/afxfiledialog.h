// CFileDialog: the framework's file dialog over GetOpenFileNameA (filedialog.h), whose
// answer comes from the host in the user's place.
//
// The framework derives it from its dialog classes; only the window base is needed here,
// so that callers can hand it around as the framework's window object it is. Callers
// may change m_ofn before DoModal: give their own buffer for the file (lpstrFile and
// nMaxFile), a title, an initial directory.
#pragma once

#include "afxstring.h"
#include "afxwnd.h"
#include "basetypes.h"
#include "filedialog.h"

#include <string>

class CFileDialog : public CWnd {
public:
    // The filter is the framework's: description and pattern pairs separated by '|',
    // ending in "|" or "||". The file name is the initial file, cut to MAX_PATH - 1
    // characters. A save dialog (bOpenFileDialog FALSE) is asked as an open one: the host
    // answers both alike.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                         CWnd *pParentWnd = nullptr);

    // IDOK with the chosen path in m_ofn.lpstrFile, else IDCANCEL.
    virtual INT_PTR DoModal();
    // The path in m_ofn.lpstrFile: the chosen one after IDOK.
    CString GetPathName() const;

    OPENFILENAMEA m_ofn;

protected:
    // Puts a filter in the framework's form in m_ofn.lpstrFilter.
    void SetFilter(const std::string &filter);

private:
    char m_fileName[MAX_PATH];
    std::string m_filter; // the filter with NULs for '|', ending in two NULs
};
