// The folder for temporary files and unique names in it.
#pragma once

#include "basetypes.h"

// The first of the environment's TMP, TEMP and TMPDIR that is set and not empty, else
// "/tmp/", always with a trailing '/'; whether the folder exists is not checked, as on
// Windows. Win32's rules: the length without the terminator when the path and its
// terminator fit in `bufferLength` bytes, else the size needed, terminator included,
// and the buffer is left alone.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);

// Composes "<path>/<prefix><hex>.TMP" in `tempFileName` (MAX_PATH bytes): up to three
// characters of `prefix` (NULL: none) and `unique` in hex. With `unique` 0 a number is
// chosen for which the file can be made, and the file is made, empty, so that no other
// caller can take the name; the caller removes it when done. Answers the number used;
// 0 on failure: ERROR_INVALID_PARAMETER (NULL path or output), ERROR_BUFFER_OVERFLOW
// (the name does not fit MAX_PATH), ERROR_PATH_NOT_FOUND or ERROR_ACCESS_DENIED (the
// folder), ERROR_FILE_EXISTS (every number is taken).
UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefixString, UINT unique, LPSTR tempFileName);

// The names of an ANSI build, which the system's code uses.
inline DWORD GetTempPath(DWORD bufferLength, LPSTR buffer)
{
    return GetTempPathA(bufferLength, buffer);
}

inline UINT GetTempFileName(LPCSTR pathName, LPCSTR prefixString, UINT unique, LPSTR tempFileName)
{
    return GetTempFileNameA(pathName, prefixString, unique, tempFileName);
}
