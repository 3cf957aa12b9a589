#include "crttemp.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsWritableDirectory(const char *dir)
{
    struct stat info;
    return dir != nullptr && dir[0] != '\0' && stat(dir, &info) == 0 && S_ISDIR(info.st_mode) &&
           access(dir, W_OK | X_OK) == 0;
}

std::atomic<unsigned> nextNumber{0};

} // namespace

char *_tempnam(const char *dir, const char *prefix)
{
    const char *candidates[] = {getenv("TMP"), getenv("TMPDIR"), dir, "/tmp"};
    const char *chosen = nullptr;
    for (const char *candidate : candidates) {
        if (IsWritableDirectory(candidate)) {
            chosen = candidate;
            break;
        }
    }
    if (chosen == nullptr)
        return nullptr;
    std::string base = chosen;
    if (base.back() != '/')
        base += '/';
    if (prefix != nullptr)
        base += prefix;
    // The number space is large; giving up after this many taken names means something
    // else is wrong with the directory.
    for (int attempt = 0; attempt < 100000; ++attempt) {
        char suffix[32];
        snprintf(suffix, sizeof suffix, "%x_%x", static_cast<unsigned>(getpid()), nextNumber++);
        std::string path = base + suffix;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 && errno == ENOENT)
            return strdup(path.c_str());
    }
    return nullptr;
}
