// Module paths.
#pragma once

#include "basetypes.h"

// The full path of a registered module (resources.h), or of the program for NULL (read
// from /proc/self/exe). Paths are absolute and normalised lexically, as _fullpath makes
// them; a library keeps the name it was loaded by, symbolic links are not followed.
// Win32's rules: the length without the terminator when the path fits; otherwise the
// first `size` - 1 characters, terminated, and `size` returned with
// ERROR_INSUFFICIENT_BUFFER; 0 with ERROR_MOD_NOT_FOUND for a module that is not
// registered.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
