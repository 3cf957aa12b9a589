// CProgramFileDlg: picks a program file and remembers the choice per purpose.
//
// The last file chosen under an entry name is kept in a profile that the caller gives,
// or else under HKEY_CURRENT_USER "Software\Tosk\Qelvane\Version3\RecentlySelectedFiles".
// DoModal offers the remembered file first (unless the caller asks to choose anew) and
// shows an open dialog only when it is not accepted.
#pragma once

#include <afx.h>
#include <profileman.h>

#include <memory>
#include <vector>

class CProgramFileDlg {
public:
    // `fileName` is where the dialog starts when nothing is remembered; `additionalFilter`
    // (NULL: none) is appended to `filter` as a further pair; `filterIndex` (from 1) is
    // selected first; with `mustExist` only a file that opens is accepted. `parent` NULL:
    // the active window, else the host's main window.
    CProgramFileDlg(CProfileMan *profile, LPCSTR defaultExtension, LPCSTR fileName, LPCSTR filter, LPCSTR entryName,
                    CWnd *parent, DWORD filterIndex, BOOL noPreselect, LPCSTR additionalFilter, BOOL mustExist);
    virtual ~CProgramFileDlg();
    CProgramFileDlg(const CProgramFileDlg &) = delete;
    CProgramFileDlg &operator=(const CProgramFileDlg &) = delete;

    // Whether `path` will do; an accepted path becomes the chosen one. With the must-exist
    // flag the file must open for reading; otherwise any non-empty path will do.
    virtual BOOL Accept(LPCSTR path);

    // TRUE with a chosen path: the remembered one, accepted without a dialog, or the
    // dialog's, which is then remembered where the last one was read from.
    BOOL DoModal();

    const CString &GetPathName() const { return m_strPath; }
    // The file remembered when the object was made; "" when none.
    const CString &GetLastFile() const { return m_strLastFile; }

private:
    CString ReadLastFile();
    void WriteLastFile(LPCSTR path);

    CProfileMan *m_pProfile;
    CString m_strDefaultExtension;
    CString m_strFileName;
    CString m_strFilter;
    CString m_strEntry;
    CWnd *m_pParent;
    DWORD m_nFilterIndex;
    BOOL m_bNoPreselect;
    BOOL m_bMustExist;
    BOOL m_bAccepted;
    CString m_strLastFile;
    CString m_strInitialDirectory;
    CString m_strPath;
    std::unique_ptr<CFileDialog> m_pDialog; // made on demand
    std::vector<char> m_fileBuffer;         // the dialog's file, as long as it needs
};
