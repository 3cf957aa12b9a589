// The claim of one connection on a database file. Internal to the library.
//
// Jet opens a database exclusively at once: a second open fails with "file already in
// use" and does not wait. The claim is an flock() on the file, which other processes
// see at once, together with a table of the files that this process holds. The table
// is asked first, by the file's device and inode from stat(), so that a refused open
// in this process never opens the file: closing a descriptor would drop the POSIX
// locks that SQLite holds on it for the connection that owns the file.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace qeldao {

class FileClaim {
public:
    enum Failure {
        None,
        NotFound,   // no such file
        Exists,     // creating: the file is there
        BadPath,    // the folder is missing, or the path names no plain file
        InUse,      // another connection holds the file
        NoAccess,   // permission denied
        SystemError,
    };

    // Claims an existing file (`create` false) or creates a new, empty one for a
    // connection. Exclusive claims shut everyone else out; shared ones exclude only
    // exclusive ones.
    static std::unique_ptr<FileClaim> Take(const std::string &path, bool create, bool exclusive, bool readOnly,
                                           Failure *failure);
    ~FileClaim();
    FileClaim(const FileClaim &) = delete;
    // The claim's own descriptor of the file, open as long as the claim: reading
    // through it, rather than through one opened and closed again, keeps SQLite's POSIX
    // locks, which any close of the file in this process would drop.
    int Descriptor() const { return m_fd; }
    bool IsExclusive() const { return m_exclusive; }
    FileClaim &operator=(const FileClaim &) = delete;

private:
    FileClaim(int fd, dev_t device, ino_t inode, bool exclusive);

    int m_fd;
    dev_t m_device;
    ino_t m_inode;
    bool m_exclusive;
};

} // namespace qeldao
