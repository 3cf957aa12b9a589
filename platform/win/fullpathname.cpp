#include "fullpathname.h"

#include "crtpath.h"
#include "lasterror.h"
#include "winerror.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR *filePart)
{
    if (fileName == nullptr || fileName[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char *full = _fullpath(nullptr, fileName, 0);
    if (full == nullptr) {
        SetLastError(errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_PATH_NOT_FOUND);
        return 0;
    }
    size_t length = strlen(full);
    if (buffer == nullptr || length >= bufferLength) {
        free(full);
        return static_cast<DWORD>(length + 1);
    }
    memcpy(buffer, full, length + 1);
    free(full);
    if (filePart != nullptr) {
        char *last = strrchr(buffer, '/');
        *filePart = last[1] == '\0' ? nullptr : last + 1;
    }
    return static_cast<DWORD>(length);
}
