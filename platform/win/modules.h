// Module handles and paths.
#pragma once

#include "basetypes.h"

// The handle of a registered module (resources.h) by its file name, compared blind to
// case as on Windows; NULL names the program. Linux names its libraries "libName.so"
// where Windows said "Name.dll", so the Windows forms "Name.dll" and "Name" (a name
// without extension means ".dll"; a trailing '.' means no extension) find "libName.so"
// too, and so does the Linux name itself. A name with a directory is made a full path
// and compared exactly with the module's, POSIX paths being blind to nothing. As on
// Windows the module's registrations are
// not counted up. NULL with ERROR_MOD_NOT_FOUND when no registered module answers (a
// library that never registered, or the program before it registered). "kernel32" and
// "user32" (with or without ".dll") name this layer's own library, which plays them.
HMODULE GetModuleHandleA(LPCSTR moduleName);

// The full path of a registered module (resources.h), or of the program for NULL (read
// from /proc/self/exe). Paths are absolute and normalised lexically, as _fullpath makes
// them; a library keeps the name it was loaded by, symbolic links are not followed.
// Win32's rules: the length without the terminator when the path fits; otherwise the
// first `size` - 1 characters, terminated, and `size` returned with
// ERROR_INSUFFICIENT_BUFFER; 0 with ERROR_MOD_NOT_FOUND for a module that is not
// registered.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// The names of an ANSI build, which the system's code uses.
inline HMODULE GetModuleHandle(LPCSTR moduleName)
{
    return GetModuleHandleA(moduleName);
}

inline DWORD GetModuleFileName(HMODULE module, LPSTR fileName, DWORD size)
{
    return GetModuleFileNameA(module, fileName, size);
}
