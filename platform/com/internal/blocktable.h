// A set of block addresses in one flat array: open addressing with linear probing.
//
// The live sets enter every BSTR, SAFEARRAY and task-memory block, so an entry must cost
// no allocation of its own: the array grows by doubling, and a removal shifts the
// entries of its run back instead of leaving a marker, so that lookups never slow down
// as blocks come and go. Not locked: the live set guards each table. Internal to the
// library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qelcom {

// Multiplicative (Fibonacci) hashing: the high bits of the product depend on every bit
// of the address, also on the ones above the allocator's alignment. The top
// kShardHashBits choose a live set's shard; a table indexes with the bits below them,
// which are not the same for every block of one shard.
constexpr unsigned kShardHashBits = 6;

inline uint64_t BlockHash(const void *block)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(block)) * 0x9E3779B97F4A7C15ull;
}

class BlockTable {
public:
    BlockTable() = default;
    BlockTable(const BlockTable &) = delete;
    BlockTable &operator=(const BlockTable &) = delete;
    ~BlockTable();

    // False when the block is there already or the table cannot grow.
    bool Insert(const void *block);
    // Inserts a block that is not there into room that Reserve made: cannot fail.
    void InsertReserved(const void *block);
    bool Erase(const void *block);
    bool Contains(const void *block) const;
    // Grows now, if need be, so that one more block goes in without growing; false when
    // the memory for that is refused.
    bool Reserve();
    size_t Size() const { return size_; }

private:
    size_t Home(const void *block) const
    {
        return static_cast<size_t>((BlockHash(block) << kShardHashBits) >> shift_);
    }
    // The slot of `block`, or the empty slot where its probe ends. The table has one.
    size_t Find(const void *block) const;
    bool Grow();

    const void **slots_ = nullptr; // NULL marks an empty slot: no block has address 0
    size_t capacity_ = 0;          // a power of two, or 0 before the first block
    unsigned shift_ = 64;          // 64 - log2(capacity_)
    size_t size_ = 0;
};

} // namespace qelcom
