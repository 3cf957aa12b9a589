// The kernel's own ANSI string functions.
//
// Unlike the C library, they take a null pointer without crashing, as Win32's do: copying
// from or to NULL fails with a NULL result, and the length of NULL is 0. The comparisons
// are in collation.h.
#pragma once

#include "basetypes.h"

// Copies `source` with its terminator and returns `dest`; NULL when either is NULL.
LPSTR lstrcpyA(LPSTR dest, LPCSTR source);

// Copies at most `maxLength` - 1 characters and always terminates (when `maxLength` is
// above 0); returns `dest`, or NULL when either pointer is NULL.
LPSTR lstrcpynA(LPSTR dest, LPCSTR source, int maxLength);

int lstrlenA(LPCSTR text);
