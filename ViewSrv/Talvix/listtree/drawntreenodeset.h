// The tree's live nodes, looked up by address for every handle that comes in: an open
// table of pointers (linear probing, at most half full), since the sorting asks for two
// handles a comparison and a node-based hash set spends its time chasing its own nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class _Node;

class DrawnTreeNodeSet {
public:
    bool Contains(const _Node *node) const
    {
        if (node == nullptr || m_slots.empty())
            return false;
        for (size_t at = Home(node);; at = (at + 1) & m_mask) {
            if (m_slots[at] == node)
                return true;
            if (m_slots[at] == nullptr)
                return false;
        }
    }
    void Insert(_Node *node);
    void Erase(const _Node *node);
    size_t Size() const { return m_count; }

private:
    size_t Home(const _Node *node) const
    {
        uint64_t key = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(node)) * 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>(key >> m_shift) & m_mask;
    }
    void Grow();

    std::vector<_Node *> m_slots;
    size_t m_mask = 0;
    unsigned m_shift = 64;
    size_t m_count = 0;
};
