#include "fileops.h"

#include "filefind.h"
#include "fileobject.h"
#include "lasterror.h"
#include "winerror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsUsableName(LPCSTR name)
{
    if (name != nullptr && name[0] != '\0')
        return true;
    SetLastError(name == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
    return false;
}

// Writes all of `count` bytes; false with errno set when the system will not take them.
bool WriteAll(int descriptor, const char *data, size_t count)
{
    while (count > 0) {
        ssize_t put = write(descriptor, data, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        data += put;
        count -= static_cast<size_t>(put);
    }
    return true;
}

// Copies from `source` to `target`; 0, or the Win32 error.
DWORD CopyContents(int source, int target)
{
    char buffer[65536];
    for (;;) {
        ssize_t got = read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ERROR_READ_FAULT;
        if (got == 0)
            return 0;
        if (!WriteAll(target, buffer, static_cast<size_t>(got)))
            return errno == ENOSPC || errno == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
    }
}

} // namespace

BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists)
{
    if (!IsUsableName(existingFileName) || !IsUsableName(newFileName))
        return FALSE;
    int source = open(existingFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (source < 0) {
        SetLastError(qelwin::FileErrorFromErrno(errno, existingFileName));
        return FALSE;
    }
    struct stat from;
    if (fstat(source, &from) != 0 || !S_ISREG(from.st_mode)) {
        close(source);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    struct stat to;
    if (stat(newFileName, &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino) {
        close(source);
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    int target = open(newFileName, O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC), 0666);
    if (target < 0) {
        SetLastError(qelwin::FileErrorFromErrno(errno, newFileName));
        close(source);
        return FALSE;
    }
    DWORD error = CopyContents(source, target);
    if (error == 0) {
        struct timespec times[2] = {from.st_atim, from.st_mtim};
        futimens(target, times);
    }
    close(source);
    if (close(target) != 0 && error == 0)
        error = ERROR_WRITE_FAULT;
    if (error != 0) {
        unlink(newFileName);
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName)
{
    if (!IsUsableName(fileName))
        return FALSE;
    if (unlink(fileName) != 0) {
        SetLastError(qelwin::FileErrorFromErrno(errno, fileName));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes)
{
    (void)securityAttributes;
    if (!IsUsableName(pathName))
        return FALSE;
    if (mkdir(pathName, 0777) != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : qelwin::FileErrorFromErrno(errno, pathName));
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information)
{
    if (level != GetFileExInfoStandard || information == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsUsableName(fileName))
        return FALSE;
    struct stat status;
    if (stat(fileName, &status) != 0) {
        SetLastError(qelwin::FileErrorFromErrno(errno, fileName));
        return FALSE;
    }
    auto *data = static_cast<WIN32_FILE_ATTRIBUTE_DATA *>(information);
    *data = WIN32_FILE_ATTRIBUTE_DATA{};
    if (S_ISDIR(status.st_mode))
        data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    else
        data->dwFileAttributes = (status.st_mode & S_IWUSR) != 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
    data->ftCreationTime = qelwin::ToFileTime(status.st_ctim);
    data->ftLastAccessTime = qelwin::ToFileTime(status.st_atim);
    data->ftLastWriteTime = qelwin::ToFileTime(status.st_mtim);
    uint64_t size = S_ISDIR(status.st_mode) ? 0 : static_cast<uint64_t>(status.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName)
{
    if (!IsUsableName(fileName))
        return INVALID_FILE_ATTRIBUTES;
    struct stat status;
    if (stat(fileName, &status) != 0) {
        SetLastError(qelwin::FileErrorFromErrno(errno, fileName));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(status.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    return (status.st_mode & S_IWUSR) != 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}
