// Full paths and file patterns.
#pragma once

#include <afx.h>

// The full path of `path` (GetFullPathNameA: absolute, normalised lexically) into `out`,
// at most 1023 characters; FALSE when it cannot be made or is longer. With `mustExist`
// TRUE only when exactly one entry answers to it (IsSingleFileMatch), so a pattern
// with wildcards passes when it matches one file.
BOOL GetFullPath(LPCSTR path, CString &out, BOOL mustExist);

// TRUE when the file search finds exactly one entry for `pattern` (a path whose last
// name may hold '*' and '?').
BOOL IsSingleFileMatch(LPCSTR pattern);
