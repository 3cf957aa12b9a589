// The common control "msctls_progress32": a position inside a range, nothing drawn.
#pragma once

#include "basetypes.h"

#define PROGRESS_CLASSA "msctls_progress32"
#define PROGRESS_CLASS PROGRESS_CLASSA

#define PBM_SETRANGE 0x0401
#define PBM_SETPOS 0x0402
#define PBM_SETRANGE32 0x0406
#define PBM_GETPOS 0x0408

// PBM_SETRANGE takes the range as MAKELPARAM(low, high) and answers the old one the same
// way; PBM_SETRANGE32 takes low in wParam and high in lParam. The range starts as 0-100.
// PBM_SETPOS answers the old position; positions are kept inside the range.
