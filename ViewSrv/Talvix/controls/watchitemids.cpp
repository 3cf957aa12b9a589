#include "watchitemids.h"

namespace {

const ULONG kUnsetItem = 0xFFFF0000u;

} // namespace

LONG WatchItemIds::Add(HTREEITEM item)
{
    auto known = m_ids.find(item);
    if (known != m_ids.end())
        return known->second;
    // The counter wraps after 2^32 numbers; those still in use are stepped over.
    for (;;) {
        ULONG candidate = m_next++;
        if (candidate == 0 || candidate == kUnsetItem)
            continue;
        LONG id = static_cast<LONG>(candidate);
        if (m_items.count(id) != 0)
            continue;
        m_items[id] = item;
        m_ids[item] = id;
        return id;
    }
}

HTREEITEM WatchItemIds::Find(LONG id) const
{
    auto found = m_items.find(id);
    return found != m_items.end() ? found->second : nullptr;
}

LONG WatchItemIds::IdOf(HTREEITEM item) const
{
    auto found = m_ids.find(item);
    return found != m_ids.end() ? found->second : 0;
}

void WatchItemIds::Remove(HTREEITEM item)
{
    auto found = m_ids.find(item);
    if (found == m_ids.end())
        return;
    m_items.erase(found->second);
    m_ids.erase(found);
}

void WatchItemIds::Clear()
{
    m_items.clear();
    m_ids.clear();
}
