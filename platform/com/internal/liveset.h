// The set of live blocks of one allocator of this layer (BSTRs, SAFEARRAYs, CoTaskMem).
//
// Every block handed out is entered; a free must find its block here, so a second free
// of the same block, or a free of memory this layer never made, is refused and counted
// instead of corrupting the heap. Internal to the library.
#pragma once

#include "basetypes.h"

#include <mutex>
#include <unordered_set>

namespace qelcom {

// Counts a refused free (allocstats.cpp).
__attribute__((visibility("hidden"))) void NoteInvalidFree();

class LiveSet {
public:
    // False when the set cannot grow; the caller then frees the block and fails.
    bool Add(const void *block)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            return blocks_.insert(block).second;
        } catch (const std::bad_alloc &) {
            return false;
        }
    }

    // False, counted, when `block` is not live: the caller must not free it.
    bool Remove(const void *block)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (blocks_.erase(block) == 0) {
            NoteInvalidFree();
            return false;
        }
        return true;
    }

    bool Contains(const void *block)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return blocks_.count(block) != 0;
    }

    // Moves a live block: `move(block)` gives the new address, or NULL when it failed and
    // the block stays. Runs under the lock, so that no other allocation can be given the
    // old address before the set forgets it. NULL, counted, when `block` is not live.
    template <class Move>
    void *Replace(void *block, Move move)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = blocks_.find(block);
        if (found == blocks_.end()) {
            NoteInvalidFree();
            return nullptr;
        }
        void *moved = move(block);
        if (moved) {
            // Re-keying the extracted node needs no memory, so the set cannot fail to
            // follow a block that has already moved.
            auto node = blocks_.extract(found);
            node.value() = moved;
            blocks_.insert(std::move(node));
        }
        return moved;
    }

    LONG Count()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<LONG>(blocks_.size());
    }

private:
    std::mutex mutex_;
    std::unordered_set<const void *> blocks_;
};

// The sets live as long as the process: blocks may still be freed by static destructors.
__attribute__((visibility("hidden"))) LiveSet &LiveBstrs();
__attribute__((visibility("hidden"))) LiveSet &LiveSafeArrays();
__attribute__((visibility("hidden"))) LiveSet &LiveTaskMem();

} // namespace qelcom
