// CPathName: a path taken apart into server, drive, directory, file name and extension,
// and put together again with one part changed.
//
// The text rules are those of Windows-form paths: a server part ("\\server"), a drive
// part ("C:"), joins written with a backslash. Both '/' and '\' separate, so that a POSIX
// path passes through unchanged: it has no server or drive, its directory ends at its last
// '/', and a join into a path that uses '/' (and has no backslash, server or drive) writes
// '/'. Every text that an operation builds is cut to MAX_PATH (260) characters.
#pragma once

#include <afx.h>

class CPathName {
public:
    CPathName() { Clear(); }
    CPathName(const CPathName &other);
    CPathName &operator=(const CPathName &other);

    // One double quote at the start and one at the end are removed; then at most 260
    // characters are taken. NULL clears.
    void SetPath(LPCSTR text);
    void Clear();

    LPCSTR GetPath() const { return m_path; }
    // The parts, empty when absent: the server with its two backslashes, the drive with
    // its colon, the directory with its trailing separator, the extension with its dot.
    CString GetServer() const { return Part(m_server, m_serverLength); }
    CString GetDrive() const { return Part(m_drive, m_driveLength); }
    CString GetDirectory() const { return Part(m_directory, m_directoryLength); }
    CString GetFileName() const { return Part(m_fileName, m_fileNameLength); }
    CString GetExtension() const { return Part(m_extension, m_extensionLength); }

    // The drive (or else the server) and the directory, without the directory's trailing
    // separator when asked, into `out` of `size` bytes: cut to fit and always terminated;
    // "" when the path has none of them. Always TRUE.
    BOOL GetDriveAndDirectory(char *out, int size, BOOL withoutTrailingBackslash) const;

    // Each of these rebuilds the path with one part replaced and keeps the others.
    void SetServer(LPCSTR name);             // "\\" and the name, in place of server or drive
    void SetDrive(LPCSTR letter);            // the letter and ':', in place of server or drive
    void SetDirectory(LPCSTR directory);     // a separator added in front and at the end where missing
    void SetDriveAndDirectory(LPCSTR folder); // everything before the file name; a separator added at its end
    void SetFileName(LPCSTR name);
    void SetExtension(LPCSTR extension);     // a dot added in front where missing
    void SetFileNameAndExtension(LPCSTR text);
    // The subdirectory (without its leading separator, with a trailing one added) after
    // the directory.
    void AppendDirectory(LPCSTR subdirectory);
    // The directory loses its last name; the root ("\" or "/") stays.
    void GoUp();
    // Drive or server and directory, then `text` without its leading separator; FALSE,
    // and nothing changed, when that would be longer than 260 characters.
    BOOL AppendRelative(LPCSTR text);

private:
    static CString Part(const char *start, DWORD length)
    {
        return start != nullptr ? CString(start, static_cast<int>(length)) : CString();
    }
    CString Prefix() const; // the server or else the drive
    // The separator that a join writes: see the comment at the top.
    char JoinSeparator(bool windowsPrefix, LPCSTR added, LPCSTR kept) const;
    void Rebuild(const CString &text);
    void Parse();

    char m_path[MAX_PATH + 1];
    const char *m_server;
    const char *m_drive;
    const char *m_directory;
    const char *m_fileName;
    const char *m_extension;
    DWORD m_serverLength;
    DWORD m_driveLength;
    DWORD m_directoryLength;
    DWORD m_fileNameLength;
    DWORD m_extensionLength;
};
