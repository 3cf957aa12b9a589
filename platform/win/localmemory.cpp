#include "localmemory.h"

#include "lasterror.h"
#include "winerror.h"

#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace {

struct LiveBlocks {
    std::mutex lock;
    std::unordered_set<HLOCAL> blocks;
};

// Never destroyed: a module's static destructors may still free a block at process exit.
LiveBlocks &Live()
{
    static LiveBlocks *live = new LiveBlocks;
    return *live;
}

} // namespace

HLOCAL qelwin::AllocateLocal(SIZE_T bytes)
{
    HLOCAL block = std::malloc(bytes != 0 ? bytes : 1);
    if (block == nullptr)
        return nullptr;
    LiveBlocks &live = Live();
    try {
        std::lock_guard<std::mutex> hold(live.lock);
        live.blocks.insert(block);
    } catch (const std::bad_alloc &) {
        std::free(block);
        return nullptr;
    }
    return block;
}

HLOCAL LocalFree(HLOCAL memory)
{
    if (memory == nullptr)
        return nullptr;
    LiveBlocks &live = Live();
    {
        std::lock_guard<std::mutex> hold(live.lock);
        if (live.blocks.erase(memory) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return memory;
        }
    }
    std::free(memory);
    return nullptr;
}
