#include "drawntreenodeset.h"

void DrawnTreeNodeSet::Insert(_Node *node)
{
    if (node == nullptr || Contains(node))
        return;
    if (2 * (m_count + 1) > m_slots.size())
        Grow();
    size_t at = Home(node);
    while (m_slots[at] != nullptr)
        at = (at + 1) & m_mask;
    m_slots[at] = node;
    ++m_count;
}

void DrawnTreeNodeSet::Erase(const _Node *node)
{
    if (node == nullptr || m_slots.empty())
        return;
    size_t at = Home(node);
    while (m_slots[at] != node) {
        if (m_slots[at] == nullptr)
            return;
        at = (at + 1) & m_mask;
    }
    // Backward shift: every entry after the hole that may move into it does, so that no
    // search stops early at a gap.
    size_t hole = at;
    for (size_t next = (hole + 1) & m_mask; m_slots[next] != nullptr; next = (next + 1) & m_mask) {
        size_t home = Home(m_slots[next]);
        bool between = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
        if (!between) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = nullptr;
    --m_count;
}

void DrawnTreeNodeSet::Grow()
{
    std::vector<_Node *> old;
    old.swap(m_slots);
    size_t size = old.empty() ? 64 : old.size() * 2;
    unsigned bits = 0;
    while ((size_t(1) << bits) < size)
        ++bits;
    m_slots.assign(size, nullptr);
    m_mask = size - 1;
    m_shift = 64 - bits;
    m_count = 0;
    for (_Node *node : old)
        if (node != nullptr)
            Insert(node);
}
