#include "globalmemory.h"

#include "lasterror.h"
#include "winerror.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Block {
    SIZE_T size;
    UINT locks;
};

struct LiveBlocks {
    std::mutex lock;
    std::unordered_map<HGLOBAL, Block> blocks;
};

// Never destroyed: a module's static destructors may still free a block at process exit.
LiveBlocks &Live()
{
    static LiveBlocks *live = new LiveBlocks;
    return *live;
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    HGLOBAL block = (flags & GMEM_ZEROINIT) != 0 ? std::calloc(bytes != 0 ? bytes : 1, 1) : std::malloc(bytes != 0 ? bytes : 1);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    LiveBlocks &live = Live();
    try {
        std::lock_guard<std::mutex> hold(live.lock);
        live.blocks.emplace(block, Block{bytes, 0});
    } catch (const std::bad_alloc &) {
        std::free(block);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return block;
}

LPVOID GlobalLock(HGLOBAL memory)
{
    LiveBlocks &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    auto found = live.blocks.find(memory);
    if (found == live.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++found->second.locks;
    return memory;
}

BOOL GlobalUnlock(HGLOBAL memory)
{
    LiveBlocks &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    auto found = live.blocks.find(memory);
    if (found == live.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (found->second.locks > 0)
        --found->second.locks;
    if (found->second.locks == 0) {
        SetLastError(ERROR_SUCCESS);
        return FALSE;
    }
    return TRUE;
}

SIZE_T GlobalSize(HGLOBAL memory)
{
    LiveBlocks &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    auto found = live.blocks.find(memory);
    if (found == live.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return found->second.size;
}

HGLOBAL GlobalFree(HGLOBAL memory)
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
