// CExtendedFileDialog: the dialog in which the user picks a program file.
#pragma once

#include <afx.h>

class CExtendedFileDialog : public CFileDialog {
public:
    // Without a filter the program files' own; the dialog opens in the folder of the
    // initial file.
    CExtendedFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR initialFile, DWORD flags,
                        LPCSTR filter, CWnd *parent);

private:
    CString m_strInitialDirectory;
};
