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

// Blocks are hashed by the 128-byte granule they start in, with multiplicative
// (Fibonacci) hashing, whose high bits depend on every bit of the granule's address. The
// top kShardHashBits choose a live set's shard; a table indexes with the bits below them.
// Within its granule's group of eight slots, one cache line of the table, a block takes
// the slot of its 16-byte unit: blocks made one after another, as the texts of an array
// are, mostly share a line of the table instead of each missing the cache, and no two
// blocks of one granule compete for a slot (the allocator aligns every block to 16).
constexpr unsigned kShardHashBits = 6;
constexpr size_t kGroupSlots = 8;

inline uint64_t BlockHash(const void *block)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(block) >> 7) * 0x9E3779B97F4A7C15ull;
}

inline size_t UnitInGranule(const void *block)
{
    return static_cast<size_t>(reinterpret_cast<uintptr_t>(block) >> 4) & (kGroupSlots - 1);
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
        const size_t group = static_cast<size_t>((BlockHash(block) << kShardHashBits) >> shift_) & ~(kGroupSlots - 1);
        return group | UnitInGranule(block);
    }
    // The slot of `block`, or the empty slot where its probe ends. The table has one.
    size_t Find(const void *block) const;
    bool Grow();

    const void **slots_ = nullptr; // NULL marks an empty slot: no block has address 0
    size_t capacity_ = 0;          // a power of two of at least a group, or 0 before the first block
    unsigned shift_ = 64;          // 64 - log2(capacity_)
    size_t size_ = 0;
};

} // namespace qelcom
