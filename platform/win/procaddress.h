// Functions of a module by name.
#pragma once

#include "basetypes.h"

typedef INT_PTR(WINAPI *FARPROC)();

// The function `procName` of `module`. The system modules ("kernel32", "user32",
// GetModuleHandleA) give the functions of this layer that the system asks for by name:
// GetWindowInfo. Any other registered module, and a library that LoadLibraryA loaded,
// gives its exported symbol of that name, which must have C linkage to be found. NULL on failure: ERROR_INVALID_HANDLE for a
// module that is not registered, ERROR_PROC_NOT_FOUND for a name (or an ordinal, which
// Linux libraries do not have) that the module does not export.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
