// The texts of a tree item's further columns: element i of an item's array is the text
// of sub-item i + 1 (sub-item 0 is the item's own text, kept in its node).
#pragma once

#include "afxtypedarrays.h"
#include "treeview.h"

#include <memory>
#include <unordered_map>

class DrawnSubItemTextStorage {
public:
    DrawnSubItemTextStorage() = default;
    DrawnSubItemTextStorage(const DrawnSubItemTextStorage &) = delete;
    DrawnSubItemTextStorage &operator=(const DrawnSubItemTextStorage &) = delete;
    virtual ~DrawnSubItemTextStorage() = default;

    // Sub-item 1 and up; a first text of an item makes the texts before it empty.
    BOOL SetSubItemTextAt(HTREEITEM item, int subItem, LPCSTR text);
    // At most size - 1 bytes and a NUL (nothing for size 0); FALSE, with the empty text,
    // when none is stored.
    BOOL GetSubItemTextAt(HTREEITEM item, int subItem, LPSTR buffer, int size);
    void RemoveItemTexts(HTREEITEM item);

private:
    std::unordered_map<HTREEITEM, std::unique_ptr<CStringArray>> m_texts;
};
