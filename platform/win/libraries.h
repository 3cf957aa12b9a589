// Loading libraries at run time: LoadLibraryA and FreeLibrary.
#pragma once

#include "basetypes.h"

// Loads the library at `fileName` (a path, as dlopen takes it) and answers its module
// handle, its load address as for registered modules (resources.h); GetProcAddress finds
// its exported functions. Each call takes one reference, which FreeLibrary gives back; the
// library is unloaded when the last is given back. NULL with ERROR_MOD_NOT_FOUND when it
// cannot be loaded.
HMODULE LoadLibraryA(LPCSTR fileName);

// FALSE with ERROR_INVALID_HANDLE for a handle that LoadLibraryA did not give.
BOOL FreeLibrary(HMODULE module);

inline HMODULE LoadLibrary(LPCSTR fileName)
{
    return LoadLibraryA(fileName);
}
