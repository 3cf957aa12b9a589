// Files opened by name and read through handles.
//
// Only regular files are opened: a directory, a device or a pipe is refused with
// ERROR_ACCESS_DENIED (Windows refuses a directory the same way), so that nothing ever
// waits for a writer at the other end of a pipe. The share modes are accepted and not
// enforced, since POSIX has no mandatory sharing: another program may still write a file
// that is open here, and no caller can learn from a refused open that a file is busy.
// File handles are kernel objects of this layer and are closed with CloseHandle.
#pragma once

#include "basetypes.h"
#include "handles.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u

#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

// The file is removed when its handle is closed. Here it is unlinked as soon as it is
// open, which is what the flag is used for (a temporary file that nobody else needs to
// find), and leaves nothing behind even when the process is killed.
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000

#define INVALID_FILE_SIZE 0xFFFFFFFFu

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

// Opens or makes the file `fileName` with the rights in `desiredAccess` (GENERIC_READ,
// GENERIC_WRITE or both) by `creationDisposition` (CREATE_NEW ... TRUNCATE_EXISTING, as
// on Windows); the file position starts at 0. The attributes of `flagsAndAttributes` are
// accepted, of its flags only FILE_FLAG_DELETE_ON_CLOSE means anything. A template file
// is not offered (ERROR_NOT_SUPPORTED). INVALID_HANDLE_VALUE on failure:
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_FILE_EXISTS (CREATE_NEW),
// ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER (NULL or empty name, no rights, unknown
// disposition).
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

// Reads up to `count` bytes from the file position on; fewer only at the end of the file
// (0 there, and TRUE, as on Windows). Overlapped reads are not offered
// (ERROR_INVALID_PARAMETER). FALSE with ERROR_INVALID_HANDLE for a handle that is no
// file, ERROR_ACCESS_DENIED for one not opened for reading, ERROR_READ_FAULT when the
// system fails to read.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD bytesRead, LPOVERLAPPED overlapped);

// The file's size: the low 32 bits as the result, the high ones in *sizeHigh when that is
// given. INVALID_FILE_SIZE with ERROR_INVALID_HANDLE for a handle that is no file (a
// size whose low bits are all set also gives INVALID_FILE_SIZE, with the error
// ERROR_SUCCESS, as on Windows).
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

// Moves the file position by the signed distance (low word, and *distanceHigh as the high
// word when given) from FILE_BEGIN, FILE_CURRENT or FILE_END; the new position's low 32
// bits, its high ones in *distanceHigh. INVALID_SET_FILE_POINTER with
// ERROR_INVALID_HANDLE for a handle that is no file, ERROR_NEGATIVE_SEEK for a position
// before the start and ERROR_INVALID_PARAMETER for an unknown method (a position whose
// low bits are all set also gives INVALID_SET_FILE_POINTER, with ERROR_SUCCESS).
DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD moveMethod);

// The name of an ANSI build, which the system's code uses.
inline HANDLE CreateFile(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                         LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                         DWORD flagsAndAttributes, HANDLE templateFile)
{
    return CreateFileA(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                       flagsAndAttributes, templateFile);
}
