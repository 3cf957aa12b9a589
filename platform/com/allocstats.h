// Live-allocation counts of this layer, for tests: a test reads them before and after
// and so sees that nothing leaked and nothing was freed twice.
#pragma once

#include "basetypes.h"

struct QelComAllocCounts {
    LONG bstrs;        // BSTRs made and not yet freed
    LONG safeArrays;   // SAFEARRAYs made and not yet destroyed
    LONG taskMemBlocks; // CoTaskMem blocks allocated and not yet freed
    // Frees (of BSTRs, SAFEARRAYs, CoTaskMem blocks) of something that this layer did not
    // hand out or has freed already. Such a free frees nothing.
    LONG invalidFrees;

    bool operator==(const QelComAllocCounts &) const = default;
};

QelComAllocCounts QelGetComAllocCounts();
