// The system libraries that this layer stands in for (inside this layer only; not part of
// windows.h).
//
// On Windows the functions of this layer live in kernel32.dll and user32.dll, and the
// system's code asks those modules for a function by name (GetProcAddress) where older
// Windows versions lacked it. Here both names answer this layer's own library, which
// registers itself as a module (without resources) the first time it is asked for.
#pragma once

#include "basetypes.h"

namespace qelwin {

// Whether `name` is "kernel32" or "user32", with or without ".dll", blind to case.
bool IsSystemModuleName(const char *name);

// The handle of this layer's library.
HMODULE SystemModule();

} // namespace qelwin
