#include "taskmem.h"

#include "internal/liveset.h"

#include <cstdlib>

STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb)
{
    void *block = std::malloc(cb ? cb : 1);
    if (block && !qelcom::LiveTaskMem().Add(block)) {
        std::free(block);
        return nullptr;
    }
    return block;
}

STDAPI_(LPVOID) CoTaskMemRealloc(LPVOID pv, SIZE_T cb)
{
    if (!pv)
        return CoTaskMemAlloc(cb);
    if (cb == 0) {
        CoTaskMemFree(pv);
        return nullptr;
    }
    return qelcom::LiveTaskMem().Replace(pv, [cb](void *block) { return std::realloc(block, cb); });
}

STDAPI_(void) CoTaskMemFree(LPVOID pv)
{
    if (pv && qelcom::LiveTaskMem().Remove(pv))
        std::free(pv);
}
