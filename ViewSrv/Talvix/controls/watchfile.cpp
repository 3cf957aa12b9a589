#include "watchfile.h"

#include <afxstdiofile.h>

BOOL ReadWatchFile(LPCSTR path, std::vector<CString> *texts)
{
    CStdioFile file;
    if (path == nullptr || !file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeText))
        return FALSE;
    try {
        CString line;
        while (file.ReadString(line)) {
            // Blanks and a Windows line end's '\r' are no part of the text.
            line.TrimLeft();
            line.TrimRight();
            if (!line.IsEmpty() && line[0] != ';')
                texts->push_back(line);
        }
    } catch (CFileException *error) {
        error->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL WriteWatchFile(LPCSTR path, const std::vector<CString> &lines)
{
    CStdioFile file;
    const UINT mode = CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite | CFile::typeText;
    if (path == nullptr || !file.Open(path, mode))
        return FALSE;
    try {
        file.WriteString(";qelvane - watch file\n");
        file.WriteString(";Tosk Development Tools\n\n");
        for (const CString &line : lines) {
            file.WriteString(line);
            file.WriteString("\n");
        }
        file.Close();
    } catch (CFileException *error) {
        error->Delete();
        file.Abort();
        return FALSE;
    }
    return TRUE;
}
