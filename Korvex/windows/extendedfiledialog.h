// CExtendedFileDialog: the dialog in which the user picks a program file.
#pragma once

#include <afx.h>

#include <string>

class CExtendedFileDialog : public CFileDialog {
public:
    // The explorer-style open dialog titled "Open program file", opening in the folder of
    // `currentFile`. Without a filter (NULL or "") it lists the program files' kinds; then,
    // with `extensionInFilter`, a current file whose extension none of them holds gets that
    // extension added to the first kind, which is selected. The caller's must-exist flags
    // are dropped: the dialog names a file the caller checks itself.
    CExtendedFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR currentFile, DWORD flags, LPCSTR filter,
                        CWnd *parent, BOOL extensionInFilter = TRUE);

    // The program files' filter for `currentFile` as the constructor makes it, with its
    // '|' separators, and whether the extension was added.
    static std::string ProgramFileFilter(LPCSTR currentFile, BOOL extensionInFilter, bool *extensionAdded);

private:
    CString m_strInitialDirectory;
};
