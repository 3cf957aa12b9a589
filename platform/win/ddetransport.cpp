#include "ddetransport.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qelwin::dde {

namespace {

constexpr int kSendTimeoutSeconds = 5;

bool UsableFolder(const std::string &path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return false;
    // Another user could read every execute string, or plant sockets that answer for us.
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

bool FitsSocketName(const std::string &path)
{
    return path.size() < sizeof(sockaddr_un{}.sun_path);
}

sockaddr_un SocketAddress(const std::string &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

} // namespace

std::string DdeFolder()
{
    std::string folder;
    if (const char *chosen = getenv("QEL_DDE_DIR"); chosen != nullptr && *chosen != '\0') {
        folder = chosen;
    } else {
        const char *temp = getenv("TMPDIR");
        folder = std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/qel-dde-" +
                 std::to_string(geteuid());
    }
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::string();
    return UsableFolder(folder) ? folder : std::string();
}

std::string ServiceKey(const std::string &service)
{
    std::string key;
    for (unsigned char c : service) {
        if (c >= 'A' && c <= 'Z')
            key += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            key += static_cast<char>(c);
        else {
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", c);
            key += escaped;
        }
    }
    return key;
}

Listener ListenForService(const std::string &service)
{
    static std::atomic<unsigned> sequence{0};
    Listener listener;
    std::string folder = DdeFolder();
    if (folder.empty())
        return listener;
    std::string path = folder + "/" + ServiceKey(service) + "." + std::to_string(getpid()) + "." +
                       std::to_string(++sequence);
    if (!FitsSocketName(path))
        return listener;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return listener;
    unlink(path.c_str());
    sockaddr_un address = SocketAddress(path);
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        close(fd);
        unlink(path.c_str());
        return listener;
    }
    listener.fd = fd;
    listener.path = path;
    return listener;
}

std::vector<std::string> ServiceSockets(const std::string &service)
{
    std::vector<std::string> paths;
    std::string folder = DdeFolder();
    if (folder.empty())
        return paths;
    std::string prefix = ServiceKey(service) + ".";
    if (DIR *dir = opendir(folder.c_str())) {
        while (dirent *entry = readdir(dir)) {
            if (strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
                paths.push_back(folder + "/" + entry->d_name);
        }
        closedir(dir);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

int ConnectToSocket(const std::string &path)
{
    if (!FitsSocketName(path))
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_un address = SocketAddress(path);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        LimitSendWait(fd);
        return fd;
    }
    int error = errno;
    close(fd);
    if (error == ECONNREFUSED) {
        // NAME.PID.N: a socket whose process has ended is left from a killed one.
        size_t last = path.rfind('.');
        size_t before = last != std::string::npos && last > 0 ? path.rfind('.', last - 1) : std::string::npos;
        if (before != std::string::npos) {
            long pid = strtol(path.c_str() + before + 1, nullptr, 10);
            if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
                unlink(path.c_str());
        }
    }
    return -1;
}

void LimitSendWait(int fd)
{
    timeval timeout = {kSendTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

bool SendAll(int fd, const std::vector<uint8_t> &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

} // namespace qelwin::dde
