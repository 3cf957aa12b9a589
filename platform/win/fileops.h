// Copying and deleting files, making directories and reading a file's attributes.
//
// Names are POSIX paths; Linux compares them exactly. Like the file search (filefind.h),
// these functions give FILE_ATTRIBUTE_DIRECTORY for a directory and NORMAL or READONLY
// for anything else.
#pragma once

#include "basetypes.h"
#include "handles.h"

#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

// Copies the contents and the last-write time of `existingFileName` to `newFileName`,
// replacing that file unless `failIfExists` is set (then ERROR_FILE_EXISTS). A copy that
// fails part way removes what it wrote. Copying a file onto itself is refused with
// ERROR_SHARING_VIOLATION, as on Windows, where it would otherwise empty the file. Only
// regular files are copied (ERROR_ACCESS_DENIED for anything else).
BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);

// Removes a file; FALSE with ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or
// ERROR_ACCESS_DENIED (a directory among others).
BOOL DeleteFileA(LPCSTR fileName);

// Makes one directory; its parent must exist (else ERROR_PATH_NOT_FOUND).
// ERROR_ALREADY_EXISTS when the name is taken, by a directory or a file.
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);

// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_READONLY (no write permission for its owner)
// or FILE_ATTRIBUTE_NORMAL; INVALID_FILE_ATTRIBUTES with ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND when there is no such entry.
DWORD GetFileAttributesA(LPCSTR fileName);

typedef enum _GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard } GET_FILEEX_INFO_LEVELS;

typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes; // as GetFileAttributesA gives them
    FILETIME ftCreationTime; // Linux keeps no creation time: the status change time
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;

// The attributes, times and size of the one entry `fileName` (no wildcards: '*' and '?'
// are characters of the name), into *information; FALSE with the errors of
// GetFileAttributesA, or ERROR_INVALID_PARAMETER for another level or no buffer.
BOOL GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information);

// The names of an ANSI build, which the system's code uses.
inline BOOL CopyFile(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists)
{
    return CopyFileA(existingFileName, newFileName, failIfExists);
}

inline BOOL DeleteFile(LPCSTR fileName)
{
    return DeleteFileA(fileName);
}

inline BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes)
{
    return CreateDirectoryA(pathName, securityAttributes);
}

inline DWORD GetFileAttributes(LPCSTR fileName)
{
    return GetFileAttributesA(fileName);
}

inline BOOL GetFileAttributesEx(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information)
{
    return GetFileAttributesExA(fileName, level, information);
}
