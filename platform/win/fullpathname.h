// The full path of a file name, with Win32's buffer conventions.
#pragma once

#include "basetypes.h"

// The full path of `fileName` as _fullpath makes it (crtpath.h): absolute, normalised
// lexically, every separator written '/', a trailing separator kept. The file need not
// exist. Win32's rules: when the path and its terminator fit in `bufferLength` bytes it
// is written and its length without the terminator returned, and *filePart (when given)
// points at its last name, or is NULL when the path ends with a separator; otherwise the
// size needed, terminator included, is returned and the buffer is left alone. 0 with
// ERROR_INVALID_PARAMETER for a NULL or empty name, with ERROR_PATH_NOT_FOUND when the
// current directory cannot be read.
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR *filePart);

// The name of an ANSI build, which the system's code uses.
inline DWORD GetFullPathName(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR *filePart)
{
    return GetFullPathNameA(fileName, bufferLength, buffer, filePart);
}
