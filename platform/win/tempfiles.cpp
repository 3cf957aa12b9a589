#include "tempfiles.h"

#include "fileobject.h"
#include "lasterror.h"
#include "winerror.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// Where the next search for a free number starts: different in each process and moved
// on by every search, so that callers rarely meet each other's files.
std::atomic<unsigned> nextUnique{static_cast<unsigned>(getpid())};

bool ComposeName(const std::string &base, UINT unique, LPSTR out)
{
    char number[16];
    snprintf(number, sizeof number, "%X.TMP", unique);
    std::string name = base + number;
    if (name.size() >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return false;
    }
    memcpy(out, name.c_str(), name.size() + 1);
    return true;
}

} // namespace

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer)
{
    std::string path = "/tmp/";
    for (const char *variable : {"TMP", "TEMP", "TMPDIR"}) {
        const char *value = getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            path = value;
            if (path.back() != '/')
                path += '/';
            break;
        }
    }
    if (buffer == nullptr || path.size() + 1 > bufferLength)
        return static_cast<DWORD>(path.size() + 1);
    memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefixString, UINT unique, LPSTR tempFileName)
{
    if (pathName == nullptr || tempFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string base = pathName;
    if (!base.empty() && base.back() != '/' && base.back() != '\\')
        base += '/';
    if (prefixString != nullptr)
        base.append(prefixString, strnlen(prefixString, 3));
    if (unique != 0)
        return ComposeName(base, unique, tempFileName) ? unique : 0;
    // Windows numbers with 16 bits, so there are 65535 names to try.
    for (unsigned attempt = 0; attempt < 0xFFFF; ++attempt) {
        UINT number = nextUnique++ % 0xFFFF + 1;
        if (!ComposeName(base, number, tempFileName))
            return 0;
        int descriptor = open(tempFileName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            close(descriptor);
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(qelwin::FileErrorFromErrno(errno, tempFileName));
            tempFileName[0] = '\0';
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    tempFileName[0] = '\0';
    return 0;
}
