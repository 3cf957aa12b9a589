// The set of live blocks of one allocator of this layer (BSTRs, SAFEARRAYs, CoTaskMem).
//
// Every block handed out is entered; a free must find its block here, so a second free
// of the same block, or a free of memory this layer never made, is refused and counted
// instead of corrupting the heap. Internal to the library.
//
// Every text that crosses an interface is a BSTR made and freed, from many threads, so
// the set is split by address hash into shards, each a flat table under its own lock:
// threads that make and free texts at once seldom meet on one lock, and an entry costs
// no allocation of its own.
#pragma once

#include "basetypes.h"
#include "blocktable.h"

#include <mutex>

namespace qelcom {

// Counts a refused free (allocstats.cpp).
__attribute__((visibility("hidden"))) void NoteInvalidFree();

class LiveSet {
public:
    // False when the set cannot grow; the caller then frees the block and fails.
    bool Add(const void *block)
    {
        Shard &shard = ShardOf(block);
        std::lock_guard<std::mutex> lock(shard.mutex);
        return shard.blocks.Insert(block);
    }

    // False, counted, when `block` is not live: the caller must not free it.
    bool Remove(const void *block)
    {
        Shard &shard = ShardOf(block);
        std::lock_guard<std::mutex> lock(shard.mutex);
        if (!shard.blocks.Erase(block)) {
            NoteInvalidFree();
            return false;
        }
        return true;
    }

    bool Contains(const void *block)
    {
        Shard &shard = ShardOf(block);
        std::lock_guard<std::mutex> lock(shard.mutex);
        return shard.blocks.Contains(block);
    }

    // Moves a live block: `move(block)` gives the new address, or NULL when it failed and
    // the block stays. Runs under every shard's lock, so that no other allocation can be
    // given the old address before the set forgets it, and with room made in every shard
    // first, so that the set cannot fail to follow a block that has already moved. NULL,
    // counted, when `block` is not live; NULL, the block staying, when that room cannot
    // be made. Moves are rare (CoTaskMemRealloc): the one path that takes every lock.
    template <class Move>
    void *Replace(void *block, Move move)
    {
        AllShardsLock lock(*this);
        Shard &from = ShardOf(block);
        if (!from.blocks.Contains(block)) {
            NoteInvalidFree();
            return nullptr;
        }
        for (Shard &shard : shards_)
            if (!shard.blocks.Reserve())
                return nullptr;
        void *moved = move(block);
        if (moved) {
            from.blocks.Erase(block);
            ShardOf(moved).blocks.InsertReserved(moved);
        }
        return moved;
    }

    LONG Count()
    {
        size_t count = 0;
        for (Shard &shard : shards_) {
            std::lock_guard<std::mutex> lock(shard.mutex);
            count += shard.blocks.Size();
        }
        return static_cast<LONG>(count);
    }

private:
    static constexpr size_t kShards = size_t{1} << kShardHashBits;

    // A line of its own each, so that two threads on two shards do not share a cache line.
    struct alignas(64) Shard {
        std::mutex mutex;
        BlockTable blocks;
    };

    // Takes the locks in shard order, as only this path takes more than one.
    class AllShardsLock {
    public:
        explicit AllShardsLock(LiveSet &set) : set_(set)
        {
            for (Shard &shard : set_.shards_)
                shard.mutex.lock();
        }
        ~AllShardsLock()
        {
            for (Shard &shard : set_.shards_)
                shard.mutex.unlock();
        }
        AllShardsLock(const AllShardsLock &) = delete;
        AllShardsLock &operator=(const AllShardsLock &) = delete;

    private:
        LiveSet &set_;
    };

    Shard &ShardOf(const void *block) { return shards_[BlockHash(block) >> (64u - kShardHashBits)]; }

    Shard shards_[kShards];
};

// The sets live as long as the process: blocks may still be freed by static destructors.
__attribute__((visibility("hidden"))) LiveSet &LiveBstrs();
__attribute__((visibility("hidden"))) LiveSet &LiveSafeArrays();
__attribute__((visibility("hidden"))) LiveSet &LiveTaskMem();

} // namespace qelcom
