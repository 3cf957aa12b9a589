// CFile: the framework's binary file, over a POSIX file descriptor, and CFileStatus.
//
// Failures raise CFileException (its m_lOsError is the errno value), except in Open,
// which reports them through its CFileException argument and returns FALSE, and in
// Abort, which reports nothing. The share flags of Open are accepted and not enforced:
// POSIX has no mandatory sharing modes, and no caller depends on being refused. Files
// are never inherited by child processes.
#pragma once

#include "afxexcept.h"
#include "afxobject.h"
#include "afxstring.h"
#include "afxtime.h"
#include "basetypes.h"

#include <climits>

struct CFileStatus {
    CTime m_ctime;       // creation (the birth time where the file system keeps it, else the status change)
    CTime m_mtime;       // last modification, to the nanosecond
    CTime m_atime;       // last access
    ULONGLONG m_size;    // bytes
    BYTE m_attribute;    // CFile::Attribute bits
    // The absolute, normalised path. Windows bounds it by MAX_PATH; a path on Linux may be
    // as long as PATH_MAX, and nothing stores this buffer.
    char m_szFullName[PATH_MAX];
};

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum Attribute { normal = 0x00, readOnly = 0x01, hidden = 0x02, system = 0x04, volume = 0x08, directory = 0x10, archive = 0x20 };
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    enum { hFileNull = -1 };

    CFile();
    // Works with an open descriptor, which the object does not close.
    explicit CFile(int hFile);
    // Opens the file or raises CFileException.
    CFile(LPCSTR fileName, UINT openFlags);
    ~CFile() override;

    // With modeCreate the file is made, and emptied unless modeNoTruncate is given.
    virtual BOOL Open(LPCSTR fileName, UINT openFlags, CFileException *error = nullptr);
    virtual UINT Read(void *buffer, UINT count); // fewer bytes only at the end
    virtual void Write(const void *buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG newLength);
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();
    virtual void Close();
    virtual void Abort();

    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    BOOL GetStatus(CFileStatus &status) const;
    static BOOL GetStatus(LPCSTR fileName, CFileStatus &status);
    static void Rename(LPCSTR oldName, LPCSTR newName);
    static void Remove(LPCSTR fileName);

    int m_hFile;
    BOOL m_bCloseOnDelete;
    CString m_strFileName; // the absolute path of the file opened

protected:
    [[noreturn]] void ThrowErrno(int errnoValue) const;
};
