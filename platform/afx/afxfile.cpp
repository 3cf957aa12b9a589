#include "afxfile.h"

#include "crtpath.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

CString FullPath(LPCSTR name)
{
    char *full = _fullpath(nullptr, name, 0);
    if (full == nullptr)
        return CString(name);
    CString result(full);
    free(full);
    return result;
}

CTime TimeOf(const struct statx_timestamp &t) { return CTime(static_cast<time_t>(t.tv_sec), static_cast<LONG>(t.tv_nsec)); }

// Fills everything but the name from what statx reported.
void FillStatus(const struct statx &info, CFileStatus &status)
{
    status.m_mtime = TimeOf(info.stx_mtime);
    status.m_atime = TimeOf(info.stx_atime);
    status.m_ctime = (info.stx_mask & STATX_BTIME) != 0 ? TimeOf(info.stx_btime) : TimeOf(info.stx_ctime);
    status.m_size = info.stx_size;
    status.m_attribute = CFile::normal;
    if (S_ISDIR(info.stx_mode))
        status.m_attribute |= CFile::directory;
    if ((info.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        status.m_attribute |= CFile::readOnly;
}

const unsigned kStatusMask = STATX_BASIC_STATS | STATX_BTIME;

} // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(int hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCSTR fileName, UINT openFlags) : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();
}

void CFile::ThrowErrno(int errnoValue) const { CFileException::ThrowErrno(errnoValue, m_strFileName); }

BOOL CFile::Open(LPCSTR fileName, UINT openFlags, CFileException *error)
{
    if (m_hFile != hFileNull)
        Abort();
    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
    case modeRead:
        flags |= O_RDONLY;
        break;
    case modeWrite:
        flags |= O_WRONLY;
        break;
    default:
        flags |= O_RDWR;
        break;
    }
    if (openFlags & modeCreate)
        flags |= (openFlags & modeNoTruncate) ? O_CREAT : O_CREAT | O_TRUNC;
    int fd = fileName != nullptr && *fileName != '\0' ? open(fileName, flags, 0666) : (errno = ENOENT, -1);
    if (fd < 0) {
        if (error != nullptr) {
            error->m_cause = CFileException::ErrnoToException(errno);
            error->m_lOsError = errno;
            error->m_strFileName = fileName;
        }
        return FALSE;
    }
    m_hFile = fd;
    m_bCloseOnDelete = TRUE;
    m_strFileName = FullPath(fileName);
    return TRUE;
}

UINT CFile::Read(void *buffer, UINT count)
{
    UINT done = 0;
    while (done < count) {
        ssize_t n = read(m_hFile, static_cast<char *>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowErrno(errno);
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void *buffer, UINT count)
{
    UINT done = 0;
    while (done < count) {
        ssize_t n = write(m_hFile, static_cast<const char *>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ThrowErrno(n < 0 ? errno : ENOSPC);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    off_t position = lseek(m_hFile, offset, whence);
    if (position < 0)
        AfxThrowFileException(errno == EINVAL ? CFileException::badSeek : CFileException::ErrnoToException(errno),
                              errno, m_strFileName);
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetPosition() const
{
    off_t position = lseek(m_hFile, 0, SEEK_CUR);
    if (position < 0)
        ThrowErrno(errno);
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetLength() const
{
    struct stat info;
    if (fstat(m_hFile, &info) != 0)
        ThrowErrno(errno);
    return static_cast<ULONGLONG>(info.st_size);
}

void CFile::SetLength(ULONGLONG newLength)
{
    if (newLength > static_cast<ULONGLONG>(INT64_MAX) || ftruncate(m_hFile, static_cast<off_t>(newLength)) != 0)
        ThrowErrno(newLength > static_cast<ULONGLONG>(INT64_MAX) ? EFBIG : errno);
}

void CFile::Flush()
{
    if (m_hFile == hFileNull)
        return;
    // Pipes and terminals cannot be synchronised and need not be.
    if (fsync(m_hFile) != 0 && errno != EINVAL && errno != EROFS)
        ThrowErrno(errno);
}

void CFile::Close()
{
    if (m_hFile == hFileNull)
        return;
    int fd = m_hFile;
    m_hFile = hFileNull;
    BOOL owned = m_bCloseOnDelete;
    m_bCloseOnDelete = FALSE;
    if (owned && close(fd) != 0 && errno != EINTR)
        ThrowErrno(errno);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        close(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

CString CFile::GetFileName() const
{
    int slash = m_strFileName.GetLength() - 1;
    while (slash >= 0 && m_strFileName[slash] != '/' && m_strFileName[slash] != '\\')
        --slash;
    return m_strFileName.Mid(slash + 1);
}

BOOL CFile::GetStatus(CFileStatus &status) const
{
    struct statx info;
    if (m_hFile == hFileNull || statx(m_hFile, "", AT_EMPTY_PATH, kStatusMask, &info) != 0)
        return FALSE;
    if (m_strFileName.GetLength() >= static_cast<int>(sizeof status.m_szFullName))
        return FALSE;
    FillStatus(info, status);
    memcpy(status.m_szFullName, static_cast<LPCSTR>(m_strFileName), m_strFileName.GetLength() + 1);
    return TRUE;
}

// A name whose full path does not fit m_szFullName fails rather than giving a cut path
// that names another file.
BOOL CFile::GetStatus(LPCSTR fileName, CFileStatus &status)
{
    struct statx info;
    if (fileName == nullptr || *fileName == '\0' || statx(AT_FDCWD, fileName, 0, kStatusMask, &info) != 0)
        return FALSE;
    CString full = FullPath(fileName);
    if (full.GetLength() >= static_cast<int>(sizeof status.m_szFullName))
        return FALSE;
    FillStatus(info, status);
    memcpy(status.m_szFullName, static_cast<LPCSTR>(full), full.GetLength() + 1);
    return TRUE;
}

void CFile::Rename(LPCSTR oldName, LPCSTR newName)
{
    if (oldName == nullptr || newName == nullptr)
        CFileException::ThrowErrno(ENOENT, oldName);
    if (rename(oldName, newName) != 0)
        CFileException::ThrowErrno(errno, oldName);
}

void CFile::Remove(LPCSTR fileName)
{
    if (fileName == nullptr || unlink(fileName) != 0)
        CFileException::ThrowErrno(fileName == nullptr ? ENOENT : errno, fileName);
}
