// WatchItemIds: the 32-bit item numbers under which the watch and locals trees hand their
// items to the symbol server's variable code. A tree item is a pointer-sized handle, and a
// 32-bit value can never carry one, so every item gets a number of its own; every number
// that comes back is looked up before it names an item.
//
// A number is never 0 (the root) nor 0xFFFF0000 (what a variable object holds before its
// item exists), and is not given again while its item lives.
#pragma once

#include <treeview.h>

#include <unordered_map>

class WatchItemIds {
public:
    // The number of a new item; an item already known keeps its number.
    LONG Add(HTREEITEM item);
    // The item of a number; NULL for 0 and for a number that names no live item.
    HTREEITEM Find(LONG id) const;
    // The number of an item; 0 for the root and for an item without one.
    LONG IdOf(HTREEITEM item) const;
    void Remove(HTREEITEM item);
    void Clear();
    size_t Count() const { return m_items.size(); }

    // Where the counter stands, so that a test can see it step over the numbers in use.
    void SetNextForTesting(ULONG next) { m_next = next; }

private:
    std::unordered_map<LONG, HTREEITEM> m_items;
    std::unordered_map<HTREEITEM, LONG> m_ids;
    ULONG m_next = 1;
};
