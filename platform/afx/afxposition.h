// POSITION: where the framework's lists and maps stand in an iteration.
//
// A position is an opaque pointer to a list node or a map association; NULL means the
// end. A map's iteration starts at BEFORE_START_POSITION.
#pragma once

#include "basetypes.h"

struct QEL_POSITION__ {
    int unused;
};
typedef QEL_POSITION__ *POSITION;

#define BEFORE_START_POSITION ((POSITION)(LONG_PTR)-1)
