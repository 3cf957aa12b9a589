#include "internal/blocktable.h"

#include <cstdlib>
#include <cstring>

namespace qelcom {

namespace {

constexpr size_t kFirstCapacity = 2 * kGroupSlots;
constexpr size_t kLineBytes = 64;
static_assert(kGroupSlots * sizeof(void *) == kLineBytes, "a group of slots is one cache line");

// At most half the slots are used: a probe then ends after two or three slots on
// average, found or not, and there is always an empty slot to end it.
bool Crowded(size_t size, size_t capacity)
{
    return 2 * size > capacity;
}

} // namespace

BlockTable::~BlockTable()
{
    std::free(slots_);
}

size_t BlockTable::Find(const void *block) const
{
    const size_t mask = capacity_ - 1;
    size_t slot = Home(block);
    while (slots_[slot] && slots_[slot] != block)
        slot = (slot + 1) & mask;
    return slot;
}

bool BlockTable::Grow()
{
    const size_t capacity = capacity_ ? 2 * capacity_ : kFirstCapacity;
    // Aligned, so that each group of slots is one line of the cache.
    const size_t bytes = capacity * sizeof(void *);
    const void **slots = static_cast<const void **>(std::aligned_alloc(kLineBytes, bytes));
    if (!slots)
        return false;
    std::memset(slots, 0, bytes);
    const void **old = slots_;
    const size_t oldCapacity = capacity_;
    slots_ = slots;
    capacity_ = capacity;
    shift_ = 64u - static_cast<unsigned>(__builtin_ctzll(capacity));
    for (size_t k = 0; k < oldCapacity; ++k)
        if (old[k])
            slots_[Find(old[k])] = old[k];
    std::free(old);
    return true;
}

bool BlockTable::Reserve()
{
    if (capacity_ && !Crowded(size_ + 1, capacity_))
        return true;
    return Grow();
}

bool BlockTable::Insert(const void *block)
{
    if (capacity_ && slots_[Find(block)])
        return false;
    if (!Reserve())
        return false;
    InsertReserved(block);
    return true;
}

void BlockTable::InsertReserved(const void *block)
{
    slots_[Find(block)] = block;
    ++size_;
}

bool BlockTable::Contains(const void *block) const
{
    return capacity_ && slots_[Find(block)];
}

bool BlockTable::Erase(const void *block)
{
    if (!capacity_)
        return false;
    const size_t mask = capacity_ - 1;
    size_t hole = Find(block);
    if (!slots_[hole])
        return false;
    // Every block after the hole in its run that could not be found past the hole is
    // moved into it: one whose home lies cyclically after the hole, up to its own slot,
    // stays. This keeps every probe unbroken without markers.
    for (size_t next = (hole + 1) & mask; slots_[next]; next = (next + 1) & mask) {
        const size_t home = Home(slots_[next]);
        const bool staysReachable = ((next - home) & mask) < ((next - hole) & mask);
        if (!staysReachable) {
            slots_[hole] = slots_[next];
            hole = next;
        }
    }
    slots_[hole] = nullptr;
    --size_;
    return true;
}

} // namespace qelcom
