#include "fileclaim.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qeldao {

namespace {

std::mutex g_claimsLock;
// Per file: -1 when held exclusively, else the number of shared holders.
std::map<std::pair<dev_t, ino_t>, int> g_claims;

bool Conflicts(std::pair<dev_t, ino_t> key, bool exclusive)
{
    auto found = g_claims.find(key);
    return found != g_claims.end() && (exclusive || found->second < 0);
}

FileClaim::Failure FailureOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case EISDIR:
        return FileClaim::BadPath;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileClaim::NoAccess;
    case EEXIST:
        return FileClaim::Exists;
    default:
        return FileClaim::SystemError;
    }
}

} // namespace

std::unique_ptr<FileClaim> FileClaim::Take(const std::string &path, bool create, bool exclusive, bool readOnly,
                                           Failure *failure)
{
    std::lock_guard<std::mutex> guard(g_claimsLock);
    int fd;
    if (create) {
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            *failure = FailureOf(errno);
            return nullptr;
        }
    } else {
        struct stat status;
        if (stat(path.c_str(), &status) != 0) {
            *failure = errno == ENOENT ? NotFound : FailureOf(errno);
            return nullptr;
        }
        if (!S_ISREG(status.st_mode)) {
            *failure = BadPath;
            return nullptr;
        }
        if (Conflicts({status.st_dev, status.st_ino}, exclusive)) {
            *failure = InUse;
            return nullptr;
        }
        fd = open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
        if (fd < 0) {
            *failure = FailureOf(errno);
            return nullptr;
        }
    }
    struct stat status;
    if (fstat(fd, &status) != 0 || Conflicts({status.st_dev, status.st_ino}, exclusive)) {
        *failure = InUse;
        close(fd);
        return nullptr;
    }
    if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        *failure = errno == EWOULDBLOCK ? InUse : FailureOf(errno);
        close(fd);
        return nullptr;
    }
    auto key = std::make_pair(status.st_dev, status.st_ino);
    if (exclusive)
        g_claims[key] = -1;
    else
        ++g_claims[key];
    *failure = None;
    return std::unique_ptr<FileClaim>(new FileClaim(fd, status.st_dev, status.st_ino, exclusive));
}

FileClaim::FileClaim(int fd, dev_t device, ino_t inode, bool exclusive)
    : m_fd(fd), m_device(device), m_inode(inode), m_exclusive(exclusive)
{
}

FileClaim::~FileClaim()
{
    std::lock_guard<std::mutex> guard(g_claimsLock);
    auto found = g_claims.find({m_device, m_inode});
    if (found != g_claims.end() && (m_exclusive || --found->second == 0))
        g_claims.erase(found);
    close(m_fd);
}

} // namespace qeldao
