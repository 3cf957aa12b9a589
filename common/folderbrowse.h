// CFolderBrowseDlg: lets the user choose a folder with the shell's browse dialog.
#pragma once

#include <afx.h>

class CFolderBrowseDlg {
public:
    CFolderBrowseDlg(LPCSTR title, HWND owner);
    CFolderBrowseDlg(const CFolderBrowseDlg &) = delete;
    CFolderBrowseDlg &operator=(const CFolderBrowseDlg &) = delete;

    // The chosen folder's path, in a buffer of the object that lives as long as it; NULL
    // when the user cancelled or chose an item that has no path.
    LPCSTR DoModal();

private:
    CString m_title;
    BROWSEINFOA m_info;
    char m_result[MAX_PATH];
};
