// File search: the entries of one directory whose names match a pattern.
//
// The pattern is a path whose last name may hold the wildcards '*' (any run of
// characters, also none) and '?' (exactly one character); "*.*" matches every name, as on
// Windows, also a name without a dot. Both '/' and '\' separate; a pattern without a
// directory searches the current one. Names are compared exactly, since Linux file names
// are not blind to case. As on Windows, "." and ".." are entries of a directory and
// match a pattern like any other name. A name without wildcards finds that one entry.
//
// A search handle is a kernel object of this layer and is closed with FindClose.
#pragma once

#include "basetypes.h"

#include <ctime>

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;       // FILE_ATTRIBUTE_DIRECTORY, else NORMAL or READONLY
    FILETIME ftCreationTime;      // Linux keeps no creation time: the status change time
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];     // the entry's name, without its directory
    CHAR cAlternateFileName[14];  // no short names here: always empty
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// The first matching entry and a handle for the next ones; INVALID_HANDLE_VALUE with
// ERROR_FILE_NOT_FOUND when nothing matches (or the pattern names no entry),
// ERROR_PATH_NOT_FOUND when the directory cannot be read, ERROR_INVALID_PARAMETER for a
// NULL argument.
HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);

// The next matching entry; FALSE with ERROR_NO_MORE_FILES after the last one, with
// ERROR_INVALID_HANDLE for a handle that is not a live search.
BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData);

// FALSE with ERROR_INVALID_HANDLE for a handle that is not a live search.
BOOL FindClose(HANDLE findFile);

namespace qelwin {
// A time of the file system as Windows counts file times.
FILETIME ToFileTime(const struct timespec &time);
} // namespace qelwin

// The names of an ANSI build, which the system's code uses.
typedef WIN32_FIND_DATAA WIN32_FIND_DATA;
typedef LPWIN32_FIND_DATAA LPWIN32_FIND_DATA;

inline HANDLE FindFirstFile(LPCSTR fileName, LPWIN32_FIND_DATAA findData)
{
    return FindFirstFileA(fileName, findData);
}

inline BOOL FindNextFile(HANDLE findFile, LPWIN32_FIND_DATAA findData)
{
    return FindNextFileA(findFile, findData);
}
