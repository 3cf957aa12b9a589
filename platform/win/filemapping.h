// Read-only views of files (file mapping).
//
// A view made here is a private snapshot of the file's bytes, read when the view is made,
// in pages that cannot be written. On Windows a file that has a mapped view cannot be
// shortened, so a reader of the view never faults; Linux lets another program truncate a
// mapped file, and touching a page beyond its new end would kill the process. A snapshot
// keeps the Windows guarantee. Later writes by others are not seen, which no reader of
// program files expects.
//
// The mapping object holds the file open; a view stays valid after the mapping's handle
// and the file's handle are closed, until UnmapViewOfFile.
#pragma once

#include "basetypes.h"
#include "handles.h"

#define PAGE_READONLY 0x02
#define SEC_COMMIT 0x08000000
#define FILE_MAP_READ 0x0004

// A mapping of the file of `file` (opened for reading) with PAGE_READONLY, optionally
// with SEC_COMMIT, which is what file mappings do anyway. A maximum size of 0 means the
// whole file; a larger size than the file's is refused (ERROR_NOT_ENOUGH_MEMORY, as
// Windows refuses to grow a read-only file). NULL on failure: ERROR_INVALID_HANDLE,
// ERROR_ACCESS_DENIED (not opened for reading), ERROR_FILE_INVALID (an empty file,
// which cannot be mapped), ERROR_INVALID_PARAMETER (other protections), ERROR_NOT_SUPPORTED
// (named mappings).
HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name);

// A view of `bytesToMap` bytes (0: up to the end of the mapping) from the offset, which
// must be a multiple of 65536 as on Windows (else ERROR_INVALID_PARAMETER). NULL on
// failure: ERROR_INVALID_HANDLE, ERROR_ACCESS_DENIED (access other than FILE_MAP_READ),
// ERROR_INVALID_PARAMETER (a range outside the mapping), ERROR_NOT_ENOUGH_MEMORY,
// ERROR_READ_FAULT.
LPVOID MapViewOfFile(HANDLE fileMapping, DWORD desiredAccess, DWORD fileOffsetHigh, DWORD fileOffsetLow,
                     SIZE_T bytesToMap);

// Releases a view; FALSE with ERROR_INVALID_PARAMETER for an address that is not the
// start of a live view.
BOOL UnmapViewOfFile(LPCVOID baseAddress);

// The name of an ANSI build, which the system's code uses.
inline HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                                DWORD maximumSizeLow, LPCSTR name)
{
    return CreateFileMappingA(file, attributes, protect, maximumSizeHigh, maximumSizeLow, name);
}
