// Root storages and their files: opening, creating, and writing the tree back.
#include "stgfile.h"

#include "crtpath.h"
#include "internal/stgformat.h"
#include "internal/stgobjects.h"
#include "textconv.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qelcom {

namespace {

// The files whose root storage is open in this process, by their resolved path.
class FileClaims {
public:
    bool Claim(const std::string &path)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return paths_.insert(path).second;
    }
    void Release(const std::string &path)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        paths_.erase(path);
    }

private:
    std::mutex mutex_;
    std::set<std::string> paths_;
};

// Never destroyed: a root storage may still be released by a static destructor.
FileClaims &Claims()
{
    static FileClaims *claims = new FileClaims;
    return *claims;
}

HRESULT FromErrno(int error, HRESULT otherwise)
{
    switch (error) {
    case ENOENT:
        return STG_E_FILENOTFOUND;
    case ENOTDIR:
        return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return STG_E_ACCESSDENIED;
    case ENAMETOOLONG:
        return STG_E_INVALIDNAME;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return STG_E_MEDIUMFULL;
    case ENOMEM:
        return STG_E_INSUFFICIENTMEMORY;
    default:
        return otherwise;
    }
}

// The path that a UTF-16 name stands for: its bytes in the ANSI code page.
HRESULT PathFromName(const OLECHAR *name, std::string &path)
{
    int needed = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1)
        return STG_E_INVALIDNAME;
    std::string bytes(static_cast<size_t>(needed), '\0');
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, name, -1, bytes.data(), needed, nullptr, &lossy);
    if (lossy)
        return STG_E_INVALIDNAME;
    bytes.resize(static_cast<size_t>(needed - 1));
    path.swap(bytes);
    return S_OK;
}

// The absolute form of `path` as Stat gives it, in UTF-16.
HRESULT DisplayName(const std::string &path, std::u16string &name)
{
    char *full = _fullpath(nullptr, path.c_str(), 0);
    if (!full)
        return STG_E_INSUFFICIENTMEMORY;
    std::string absolute(full);
    std::free(full);
    int needed = MultiByteToWideChar(CP_ACP, 0, absolute.c_str(), -1, nullptr, 0);
    if (needed <= 0)
        return STG_E_INVALIDNAME;
    std::u16string wide(static_cast<size_t>(needed), u'\0');
    MultiByteToWideChar(CP_ACP, 0, absolute.c_str(), -1, wide.data(), needed);
    wide.resize(static_cast<size_t>(needed - 1));
    name.swap(wide);
    return S_OK;
}

// The file that the tree is written to: through symbolic links, so that a rename
// replaces the file and not the link; the absolute path when the file is not there yet.
std::string ResolvedPath(const std::string &path)
{
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved))
        return resolved;
    char *full = _fullpath(nullptr, path.c_str(), 0);
    std::string absolute = full ? full : path;
    std::free(full);
    return absolute;
}

bool WriteAll(int fd, const unsigned char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Writes the image to a new file beside `path` and renames it over `path`, so that the
// file is always either the old tree or the new one. The old file's permissions stay.
HRESULT ReplaceFile(const std::string &path, const std::vector<unsigned char> &image)
{
    static std::atomic<unsigned> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; attempt++) {
        temporary = path + ".qeltmp" + std::to_string(getpid()) + "-" + std::to_string(serial.fetch_add(1));
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno == ENOENT ? STG_E_PATHNOTFOUND : FromErrno(errno, STG_E_WRITEFAULT);
    }
    if (fd < 0)
        return STG_E_WRITEFAULT;
    struct stat old;
    bool ok = true;
    if (stat(path.c_str(), &old) == 0)
        ok = fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, image.data(), image.size()) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        return FromErrno(error, STG_E_WRITEFAULT);
    }
    // The rename itself lasts once the directory is on disk; a failure here loses
    // nothing that a crash could not, so it is not reported.
    std::string directory = path.substr(0, path.find_last_of('/') + 1);
    int dirFd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return S_OK;
}

HRESULT WriteTree(StgDocument &doc)
{
    std::vector<unsigned char> image;
    HRESULT hr = BuildStorageImage(doc.root, image);
    if (SUCCEEDED(hr))
        hr = ReplaceFile(doc.path, image);
    if (SUCCEEDED(hr))
        doc.dirty = false;
    return hr;
}

// Reads the whole file, refusing one larger than a tree can be before reading it.
HRESULT ReadFile(int fd, std::vector<unsigned char> &bytes)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return FromErrno(errno, STG_E_READFAULT);
    // Only a regular file can hold a storage; a directory, a device or a pipe (which
    // could make a read wait for ever) is refused before anything is read.
    if (!S_ISREG(info.st_mode))
        return STG_E_ACCESSDENIED;
    const uint64_t largest = kStgHeaderSize + kMaxDocumentBytes;
    if (static_cast<uint64_t>(info.st_size) > largest)
        return STG_E_DOCFILETOOLARGE;
    try {
        bytes.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc &) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    // The file may change while it is read; what is read is what counts, and the
    // image's own lengths and check sums then judge it.
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FromErrno(errno, STG_E_READFAULT);
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return S_OK;
}

HRESULT ReadTree(StgDocument &doc)
{
    // A file opened for writing must be writable now, not only when it is written back.
    // Non-blocking, so that opening a pipe does not wait for a writer.
    int fd = open(doc.path.c_str(), (doc.writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FromErrno(errno, STG_E_READFAULT);
    std::vector<unsigned char> bytes;
    HRESULT hr = ReadFile(fd, bytes);
    close(fd);
    if (FAILED(hr))
        return hr;
    return ParseStorageImage(bytes.data(), bytes.size(), doc.root, doc.dataBytes);
}

HRESULT MakeRoot(std::shared_ptr<StgDocument> doc, DWORD mode, IStorage **out)
{
    HRESULT hr = MakeStorageObject(doc, &doc->root, mode, 0, true, out);
    if (FAILED(hr) && !doc->path.empty())
        Claims().Release(doc->path);
    return hr;
}

std::shared_ptr<StgDocument> NewDocument()
{
    try {
        return std::make_shared<StgDocument>();
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // namespace

HRESULT FlushDocument(StgDocument &doc)
{
    if (doc.path.empty() || !doc.writable || !doc.dirty)
        return S_OK;
    return WriteTree(doc);
}

void CloseDocument(StgDocument &doc)
{
    if (doc.path.empty())
        return;
    // Nobody is left to hear of a failed write; the file keeps the tree it had.
    FlushDocument(doc);
    Claims().Release(doc.path);
}

} // namespace qelcom

using namespace qelcom;

STDAPI StgCreateDocfile(const OLECHAR *pwcsName, DWORD grfMode, DWORD reserved, IStorage **ppstgOpen)
{
    if (!ppstgOpen)
        return STG_E_INVALIDPOINTER;
    *ppstgOpen = nullptr;
    if (reserved != 0)
        return STG_E_INVALIDPARAMETER;
    if ((grfMode & ~DWORD(STGM_CREATE)) != (STGM_READWRITE | STGM_SHARE_EXCLUSIVE))
        return STG_E_INVALIDFLAG;
    std::shared_ptr<StgDocument> doc = NewDocument();
    if (!doc)
        return STG_E_INSUFFICIENTMEMORY;
    doc->writable = true;
    if (!pwcsName)
        return MakeRoot(doc, grfMode & ~DWORD(STGM_CREATE), ppstgOpen);

    std::string path;
    HRESULT hr = PathFromName(pwcsName, path);
    if (SUCCEEDED(hr))
        hr = DisplayName(path, doc->rootName);
    if (FAILED(hr))
        return hr;
    doc->path = ResolvedPath(path);
    if (!Claims().Claim(doc->path))
        return STG_E_SHAREVIOLATION;
    struct stat info;
    if (stat(doc->path.c_str(), &info) == 0 && (grfMode & STGM_CREATE) == 0) {
        Claims().Release(doc->path);
        return STG_E_FILEALREADYEXISTS;
    }
    hr = WriteTree(*doc);
    if (FAILED(hr)) {
        Claims().Release(doc->path);
        return hr;
    }
    return MakeRoot(doc, grfMode & ~DWORD(STGM_CREATE), ppstgOpen);
}

STDAPI StgOpenStorage(const OLECHAR *pwcsName, IStorage *pstgPriority, DWORD grfMode, SNB snbExclude,
                      DWORD reserved, IStorage **ppstgOpen)
{
    if (!ppstgOpen)
        return STG_E_INVALIDPOINTER;
    *ppstgOpen = nullptr;
    if (pstgPriority != nullptr || snbExclude != nullptr || reserved != 0)
        return STG_E_INVALIDPARAMETER;
    if (grfMode != STGM_SHARE_EXCLUSIVE && grfMode != (STGM_READWRITE | STGM_SHARE_EXCLUSIVE))
        return STG_E_INVALIDFLAG;
    if (!pwcsName)
        return STG_E_INVALIDNAME;
    std::shared_ptr<StgDocument> doc = NewDocument();
    if (!doc)
        return STG_E_INSUFFICIENTMEMORY;
    doc->writable = (grfMode & STGM_READWRITE) != 0;

    std::string path;
    HRESULT hr = PathFromName(pwcsName, path);
    if (SUCCEEDED(hr))
        hr = DisplayName(path, doc->rootName);
    if (FAILED(hr))
        return hr;
    doc->path = ResolvedPath(path);
    if (!Claims().Claim(doc->path))
        return STG_E_SHAREVIOLATION;
    hr = ReadTree(*doc);
    if (FAILED(hr)) {
        Claims().Release(doc->path);
        return hr;
    }
    return MakeRoot(doc, grfMode, ppstgOpen);
}
