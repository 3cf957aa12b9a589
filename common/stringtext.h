// The text of an entry of the calling module's string table, for callers that use it at
// once rather than test whether it is there.
#pragma once

#include <afx.h>

// "" when the module has no string `id`.
CString LoadStringText(UINT id);
