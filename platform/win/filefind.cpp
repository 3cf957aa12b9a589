#include "filefind.h"

#include "kernelobject.h"
#include "lasterror.h"
#include "winerror.h"

#include <cstring>
#include <dirent.h>
#include <mutex>
#include <string>
#include <sys/stat.h>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Greedy matching that goes back only to the last '*', so a pattern with many stars
// takes time proportional to the product of the lengths at worst, never exponential.
bool Matches(const char *pattern, const char *name)
{
    if (strcmp(pattern, "*.*") == 0)
        return true;
    const char *star = nullptr;
    const char *resume = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

using qelwin::ToFileTime;

// The entry `name` of `directory`; an entry whose status cannot be read (a dangling
// link, a file removed meanwhile) is still listed, as a plain file of no size.
void Describe(const std::string &directory, const char *name, WIN32_FIND_DATAA *data)
{
    memset(data, 0, sizeof *data);
    size_t length = strlen(name);
    if (length >= sizeof data->cFileName)
        length = sizeof data->cFileName - 1; // Linux names have at most 255 bytes
    memcpy(data->cFileName, name, length);
    std::string path = directory + name;
    struct stat status;
    if (stat(path.c_str(), &status) != 0 && lstat(path.c_str(), &status) != 0) {
        data->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
        return;
    }
    if (S_ISDIR(status.st_mode))
        data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    else
        data->dwFileAttributes = (status.st_mode & S_IWUSR) != 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
    data->ftCreationTime = ToFileTime(status.st_ctim);
    data->ftLastAccessTime = ToFileTime(status.st_atim);
    data->ftLastWriteTime = ToFileTime(status.st_mtim);
    uint64_t size = S_ISDIR(status.st_mode) ? 0 : static_cast<uint64_t>(status.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
}

class FileSearch : public qelwin::KernelObject {
public:
    // `directory` ends with '/' ("" for the current directory).
    FileSearch(std::string directory, std::string pattern, DIR *stream)
        : directory_(std::move(directory)), pattern_(std::move(pattern)), stream_(stream)
    {
    }
    ~FileSearch() override
    {
        if (stream_ != nullptr)
            closedir(stream_);
    }

    // The next matching entry into `data`; false when there is none.
    bool Next(WIN32_FIND_DATAA *data)
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stream_ == nullptr)
            return false;
        while (struct dirent *entry = readdir(stream_)) {
            if (Matches(pattern_.c_str(), entry->d_name)) {
                Describe(directory_, entry->d_name, data);
                return true;
            }
        }
        closedir(stream_);
        stream_ = nullptr;
        return false;
    }

private:
    std::mutex lock_;
    const std::string directory_;
    const std::string pattern_;
    DIR *stream_; // null once the directory has been read to its end
};

HANDLE Fail(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

} // namespace

// Windows counts 100-nanosecond intervals from 1601-01-01, Linux seconds from 1970.
FILETIME qelwin::ToFileTime(const struct timespec &time)
{
    const int64_t secondsFrom1601To1970 = 11644473600LL;
    uint64_t ticks = static_cast<uint64_t>(time.tv_sec + secondsFrom1601To1970) * 10000000u +
                     static_cast<uint64_t>(time.tv_nsec) / 100u;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData)
{
    if (fileName == nullptr || findData == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    std::string directory;
    const char *name = fileName;
    for (const char *p = fileName; *p != '\0'; ++p)
        if (IsSeparator(*p))
            name = p + 1;
    for (const char *p = fileName; p < name; ++p)
        directory += IsSeparator(*p) ? '/' : *p;
    if (*name == '\0')
        return Fail(ERROR_FILE_NOT_FOUND);

    if (strpbrk(name, "*?") == nullptr) {
        struct stat status;
        std::string path = directory + name;
        if (stat(path.c_str(), &status) != 0 && lstat(path.c_str(), &status) != 0)
            return Fail(ERROR_FILE_NOT_FOUND);
        Describe(directory, name, findData);
        return qelwin::InsertHandle(std::make_shared<FileSearch>(directory, name, nullptr));
    }

    DIR *stream = opendir(directory.empty() ? "." : directory.c_str());
    if (stream == nullptr)
        return Fail(ERROR_PATH_NOT_FOUND);
    auto search = std::make_shared<FileSearch>(directory, name, stream);
    if (!search->Next(findData))
        return Fail(ERROR_FILE_NOT_FOUND);
    return qelwin::InsertHandle(search);
}

BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData)
{
    std::shared_ptr<FileSearch> search = qelwin::FindHandle<FileSearch>(findFile);
    if (search == nullptr)
        return FALSE;
    if (findData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!search->Next(findData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE findFile)
{
    // Only a search is closed here; another kind of handle stays open.
    if (qelwin::FindHandle<FileSearch>(findFile) == nullptr)
        return FALSE;
    return qelwin::RemoveHandle(findFile) ? TRUE : FALSE;
}
