#include "fileio.h"

#include "fileobject.h"
#include "lasterror.h"
#include "winerror.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qelwin {

FileObject::~FileObject()
{
    close(m_descriptor);
}

namespace {

bool ParentExists(const char *path)
{
    std::string parent = path;
    size_t slash = parent.find_last_of('/');
    parent = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : parent.substr(0, slash);
    struct stat status;
    return stat(parent.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

DWORD FileErrorFromErrno(int error, const char *path)
{
    switch (error) {
    case ENOENT:
        return ParentExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EIO:
        return ERROR_READ_FAULT;
    default:
        return ERROR_ACCESS_DENIED; // EACCES, EPERM, EROFS, EISDIR, ETXTBSY, ...
    }
}

} // namespace qelwin

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile)
{
    (void)shareMode;
    (void)securityAttributes;
    if (templateFile != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    DWORD rights = desiredAccess & (GENERIC_READ | GENERIC_WRITE);
    if (fileName == nullptr || fileName[0] == '\0' || rights == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int flags = O_CLOEXEC | O_NONBLOCK;
    flags |= rights == (GENERIC_READ | GENERIC_WRITE) ? O_RDWR : rights == GENERIC_WRITE ? O_WRONLY : O_RDONLY;
    switch (creationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        if ((rights & GENERIC_WRITE) == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        flags |= O_TRUNC;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Opened without blocking, so that a pipe or device is refused below instead of
    // making the caller wait; a regular file reads the same either way, but the flag is
    // cleared all the same.
    int descriptor = open(fileName, flags, 0666);
    if (descriptor < 0) {
        SetLastError(qelwin::FileErrorFromErrno(errno, fileName));
        return INVALID_HANDLE_VALUE;
    }
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(descriptor);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if ((flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0)
        unlink(fileName);
    return qelwin::InsertHandle(std::make_shared<qelwin::FileObject>(descriptor, rights));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD bytesRead, LPOVERLAPPED overlapped)
{
    if (bytesRead != nullptr)
        *bytesRead = 0;
    if (overlapped != nullptr || (buffer == nullptr && count != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<qelwin::FileObject> object = qelwin::FindHandle<qelwin::FileObject>(file);
    if (object == nullptr)
        return FALSE;
    if ((object->Access() & GENERIC_READ) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD done = 0;
    while (done < count) {
        ssize_t got = read(object->Descriptor(), static_cast<char *>(buffer) + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (bytesRead != nullptr)
                *bytesRead = done;
            SetLastError(ERROR_READ_FAULT);
            return FALSE;
        }
        if (got == 0)
            break;
        done += static_cast<DWORD>(got);
    }
    if (bytesRead != nullptr)
        *bytesRead = done;
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    std::shared_ptr<qelwin::FileObject> object = qelwin::FindHandle<qelwin::FileObject>(file);
    struct stat status;
    if (object == nullptr)
        return INVALID_FILE_SIZE;
    if (fstat(object->Descriptor(), &status) != 0) {
        SetLastError(ERROR_READ_FAULT);
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(status.st_size);
    if (sizeHigh != nullptr)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    if (static_cast<DWORD>(size) == INVALID_FILE_SIZE)
        SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD moveMethod)
{
    std::shared_ptr<qelwin::FileObject> object = qelwin::FindHandle<qelwin::FileObject>(file);
    if (object == nullptr)
        return INVALID_SET_FILE_POINTER;
    // Without a high word the distance is a signed 32-bit one, as on Windows.
    const int64_t move = distanceHigh != nullptr
                             ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                    static_cast<DWORD>(distance))
                             : static_cast<int64_t>(distance);
    int whence;
    switch (moveMethod) {
    case FILE_BEGIN:
        whence = SEEK_SET;
        break;
    case FILE_CURRENT:
        whence = SEEK_CUR;
        break;
    case FILE_END:
        whence = SEEK_END;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const off_t position = lseek(object->Descriptor(), static_cast<off_t>(move), whence);
    if (position < 0) {
        SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr)
        *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    if (static_cast<DWORD>(position) == INVALID_SET_FILE_POINTER)
        SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}
