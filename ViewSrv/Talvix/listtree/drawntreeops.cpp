// The tree's operations on its shape: expanding and collapsing, relations, selection,
// scrolling an item into view, hidden items, moving and sorting.
#include "drawntreebase.h"

#include "drawnlisttip.h"

#include <algorithm>
#include <vector>

// Expanding.

BOOL DrawnTreeBaseC::Expand(HTREEITEM item, UINT code, BOOL scroll)
{
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return FALSE;
    // Nothing to expand and no count that promises children: nothing happens, as the
    // failure rules say.
    if (node->GetFirstChild() == nullptr && !ItemHasChildren(item))
        return FALSE;
    node = LiveNode(item);
    if (node == nullptr)
        return FALSE;
    int topBefore = GetTopIndex();
    int countBefore = GetItemCount();
    if (code == TVE_TOGGLE)
        code = node->IsExpanded() ? TVE_COLLAPSE : TVE_EXPAND;
    if (NotifyItemExpanding(item, code) == 1)
        return FALSE;
    // The owner may have deleted the node while it heard.
    node = LiveNode(item);
    if (node == nullptr)
        return FALSE;
    BOOL answer = TRUE;
    if (code == TVE_COLLAPSE || code == TVE_COLLAPSERESET || code == (TVE_COLLAPSE | TVE_COLLAPSERESET)) {
        if (node->IsExpanded()) {
            int row = RowOfNode(node);
            int focus = GetFocusItem();
            _Node *focused = NodeOfRow(focus);
            if (row >= 0 && focused != nullptr && node->IsAncestorOf(focused)) {
                OnSelChanging(row, focus, 1);
                node = LiveNode(item);
                if (node == nullptr)
                    return FALSE;
                row = RowOfNode(node);
                focus = GetFocusItem();
                SetCaret(row, TRUE);
                OnSelChanged(row, focus, 1);
                node = LiveNode(item);
                if (node == nullptr)
                    return FALSE;
            }
            node->SetExpanded(FALSE);
            RemoveDescendantRows(node);
        }
        if ((code & TVE_COLLAPSERESET) != 0) {
            while (node != nullptr && node->GetFirstChild() != nullptr) {
                DeleteItemTree(reinterpret_cast<HTREEITEM>(node->FirstChild()));
                node = LiveNode(item);
            }
            if (node == nullptr)
                return TRUE;
        }
    } else if (code == TVE_EXPAND) {
        if (node->IsExpanded())
            return TRUE;
        if (node->GetFirstChild() == nullptr)
            return FALSE;
        node->SetExpanded(TRUE);
        int row = RowOfNode(node);
        if (row >= 0) {
            std::vector<_Node *> rows;
            AddRowsFor(node, row + 1, &rows);
            AddRows(row + 1, rows);
        }
    } else {
        return FALSE;
    }
    NotifyItemExpanded(item, code);
    node = LiveNode(item);
    if (m_hWnd == nullptr)
        return answer;
    if (node == nullptr || !scroll) {
        // Rows came or went: the scroll bars follow, though nothing scrolls to show them.
        if (GetRedraw()) {
            RecalcScrollBars();
            Invalidate(FALSE);
        }
        return answer;
    }
    // Only a node in view scrolls its children into view: one under a collapsed ancestor
    // stays out of view, as it was.
    if (code == TVE_EXPAND && node->GetLastChild() != nullptr && RowOfNode(node) >= 0)
        EnsureVisible(reinterpret_cast<HTREEITEM>(node->GetLastChild()), TRUE);
    InvalidateAllRowHeights();
    int row = RowOfNode(node);
    if (GetTopIndex() == topBefore && GetItemCount() == countBefore && row >= 0)
        InvalidateRows(row, GetItemCount() - 1);
    else
        Invalidate(FALSE);
    return answer;
}

BOOL DrawnTreeBaseC::ExpandAll(HTREEITEM item, BOOL redraw)
{
    _Node *node = item == nullptr || item == TVI_ROOT ? m_root : LiveNode(item);
    if (node == nullptr)
        return FALSE;
    BOOL done = node == m_root ? TRUE : Expand(item, TVE_EXPAND, FALSE);
    // Children are walked by handle: the owner may change them as it hears.
    std::vector<HTREEITEM> children;
    for (_Node *child = node->FirstChild(); child != nullptr; child = child->Next())
        children.push_back(reinterpret_cast<HTREEITEM>(child));
    for (HTREEITEM child : children)
        if (LiveNode(child) != nullptr && ItemHasChildren(child))
            ExpandAll(child, FALSE);
    if (redraw && m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
    return done;
}

bool DrawnTreeBaseC::Toggle(_Node *node)
{
    return Expand(reinterpret_cast<HTREEITEM>(node), TVE_TOGGLE, TRUE) != FALSE;
}

// Relations.

int DrawnTreeBaseC::GetLevel(HTREEITEM item)
{
    _Node *node = LiveNode(item);
    return node != nullptr ? node->GetLevel() : 0;
}

HTREEITEM DrawnTreeBaseC::GetRootItem(HTREEITEM)
{
    return reinterpret_cast<HTREEITEM>(m_root->FirstChild());
}

HTREEITEM DrawnTreeBaseC::GetChildItem(HTREEITEM item)
{
    _Node *node = ParentNode(item);
    return node != nullptr ? reinterpret_cast<HTREEITEM>(node->FirstChild()) : nullptr;
}

HTREEITEM DrawnTreeBaseC::GetNextSiblingItem(HTREEITEM item)
{
    _Node *node = LiveNode(item);
    return node != nullptr ? reinterpret_cast<HTREEITEM>(node->Next()) : nullptr;
}

HTREEITEM DrawnTreeBaseC::GetPrevSiblingItem(HTREEITEM item)
{
    _Node *node = LiveNode(item);
    return node != nullptr ? reinterpret_cast<HTREEITEM>(node->Prev()) : nullptr;
}

HTREEITEM DrawnTreeBaseC::GetParentItem(HTREEITEM item)
{
    _Node *node = LiveNode(item);
    if (node == nullptr || node->Parent() == m_root)
        return nullptr;
    return reinterpret_cast<HTREEITEM>(node->Parent());
}

HTREEITEM DrawnTreeBaseC::GetFirstVisibleItem()
{
    return GetItemAtIndex(GetTopIndex());
}

HTREEITEM DrawnTreeBaseC::GetNextVisibleItem(HTREEITEM item)
{
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return nullptr;
    int row = RowOfNode(node);
    if (row >= 0)
        return GetItemAtIndex(row + 1);
    for (_Node *next = static_cast<_Node *>(node->GetNextInTree()); next != nullptr;
         next = static_cast<_Node *>(next->GetNextInTree()))
        if (next->m_hasRow && RowOfNode(next) >= 0)
            return reinterpret_cast<HTREEITEM>(next);
    return nullptr;
}

HTREEITEM DrawnTreeBaseC::GetPrevVisibleItem(HTREEITEM item)
{
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return nullptr;
    int row = RowOfNode(node);
    if (row >= 0)
        return row > 0 ? GetItemAtIndex(row - 1) : nullptr;
    for (_Node *prev = static_cast<_Node *>(node->GetPrevInTree()); prev != nullptr && prev != m_root;
         prev = static_cast<_Node *>(prev->GetPrevInTree()))
        if (prev->m_hasRow && RowOfNode(prev) >= 0)
            return reinterpret_cast<HTREEITEM>(prev);
    return nullptr;
}

HTREEITEM DrawnTreeBaseC::GetSelectedItem()
{
    return GetItemAtIndex(GetFocusItem());
}

HTREEITEM DrawnTreeBaseC::GetDropHilightItem()
{
    return GetItemAtIndex(GetDropHighlight());
}

HTREEITEM DrawnTreeBaseC::GetNextItem(HTREEITEM item, UINT code)
{
    switch (code) {
    case TVGN_ROOT:
        return GetRootItem(item);
    case TVGN_NEXT:
        return GetNextSiblingItem(item);
    case TVGN_PREVIOUS:
        return GetPrevSiblingItem(item);
    case TVGN_PARENT:
        return GetParentItem(item);
    case TVGN_CHILD:
        return GetChildItem(item);
    case TVGN_FIRSTVISIBLE:
        return GetFirstVisibleItem();
    case TVGN_NEXTVISIBLE:
        return GetNextVisibleItem(item);
    case TVGN_PREVIOUSVISIBLE:
        return GetPrevVisibleItem(item);
    case TVGN_DROPHILITE:
        return GetDropHilightItem();
    case TVGN_CARET:
        return GetSelectedItem();
    case 32:
        return GetItemAtIndex(DrawnListBaseC::GetNextItem(-1, LVNI_SELECTED));
    case 33:
    case 34: {
        _Node *node = LiveNode(item);
        if (node == nullptr)
            return nullptr;
        bool below = code == 33;
        int row = RowOfNode(node);
        if (row < 0) {
            // From the nearest shown item before it (below) or after it (above).
            HTREEITEM near = below ? GetPrevVisibleItem(item) : GetNextVisibleItem(item);
            row = near != nullptr ? RowOfNode(LiveNode(near)) : (below ? -1 : GetItemCount());
            if (!below && near == nullptr)
                row = GetItemCount();
        }
        return GetItemAtIndex(DrawnListBaseC::GetNextItem(row, LVNI_SELECTED | (below ? LVNI_BELOW : LVNI_ABOVE)));
    }
    default:
        return nullptr;
    }
}

// Selection.

BOOL DrawnTreeBaseC::Select(HTREEITEM item, UINT code)
{
    if (code == TVGN_DROPHILITE)
        return SelectDropTarget(item, TRUE);
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return FALSE;
    if (code == TVGN_FIRSTVISIBLE) {
        if (!EnsureVisible(item, FALSE))
            return FALSE;
        SetTopIndexAt(RowOfNode(LiveNode(item)));
        return TRUE;
    }
    if (code != TVGN_CARET)
        return FALSE;
    if (!EnsureVisible(item, FALSE))
        return FALSE;
    int row = RowOfNode(LiveNode(item));
    int focus = GetFocusItem();
    if (row < 0 || OnSelChanging(row, focus, 2) != 0)
        return FALSE;
    node = LiveNode(item);
    row = RowOfNode(node);
    if (row < 0)
        return FALSE;
    SetCaret(row, TRUE);
    OnSelChanged(row, focus, 2);
    return TRUE;
}

BOOL DrawnTreeBaseC::SelectItem(HTREEITEM item)
{
    if (LiveNode(item) == nullptr || !EnsureVisible(item, FALSE))
        return FALSE;
    int row = RowOfNode(LiveNode(item));
    int focus = GetFocusItem();
    if (row < 0 || OnSelChanging(row, focus, 2) != 0)
        return FALSE;
    row = RowOfNode(LiveNode(item));
    if (row < 0)
        return FALSE;
    DrawnListBaseC::SelectItem(row, TRUE);
    OnSelChanged(row, focus, 2);
    if ((m_treeExStyle & DTS_EX_MULTIPLESELECTION) == 0)
        return Select(item, TVGN_CARET);
    return TRUE;
}

BOOL DrawnTreeBaseC::SelectDropTarget(HTREEITEM item, BOOL ensureShown)
{
    if (item == nullptr) {
        SetDropHighlight(-1);
        return TRUE;
    }
    if (LiveNode(item) == nullptr || (ensureShown && !EnsureVisible(item, FALSE)))
        return FALSE;
    int row = RowOfNode(LiveNode(item));
    if (row < 0)
        return FALSE;
    SetDropHighlight(row);
    return TRUE;
}

BOOL DrawnTreeBaseC::SelectAndScrollToTop(HTREEITEM item)
{
    if (LiveNode(item) == nullptr || !EnsureVisible(item, FALSE))
        return FALSE;
    int row = RowOfNode(LiveNode(item));
    if (row < 0)
        return FALSE;
    SetTopIndexAt(row);
    SetCaret(row, TRUE);
    return TRUE;
}

BOOL DrawnTreeBaseC::EnsureVisible(HTREEITEM item, BOOL withParent)
{
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return FALSE;
    if (!IsShown(node) || RowOfNode(node) < 0) {
        if (IsItemHidden(item))
            return FALSE;
        std::vector<HTREEITEM> ancestors;
        for (_Node *up = node->Parent(); up != nullptr && up != m_root; up = up->Parent())
            ancestors.push_back(reinterpret_cast<HTREEITEM>(up));
        // From the top down, so that each expansion adds its rows under a shown parent.
        for (auto at = ancestors.rbegin(); at != ancestors.rend(); ++at) {
            _Node *up = LiveNode(*at);
            if (up == nullptr)
                return FALSE;
            if (!up->IsExpanded() && !Expand(*at, TVE_EXPAND, FALSE))
                return FALSE;
        }
        node = LiveNode(item);
        if (node == nullptr)
            return FALSE;
        SyncRows(m_root->FirstChild());
        if (m_hWnd != nullptr) {
            RecalcScrollBars();
            Invalidate(FALSE);
        }
    }
    int row = RowOfNode(node);
    if (row < 0)
        return FALSE;
    if (m_hWnd == nullptr)
        return TRUE;
    int parentRow = RowOfNode(node->Parent());
    if (withParent && parentRow >= 0)
        ScrollRangeIntoView(parentRow, row);
    else
        DrawnListBaseC::EnsureVisible(row);
    return TRUE;
}

// Hidden items.

BOOL DrawnTreeBaseC::SetItemHidden(HTREEITEM item, BOOL hidden)
{
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return FALSE;
    if (hidden)
        node->m_flags |= DTF_HIDDEN;
    else
        node->m_flags &= ~static_cast<DWORD>(DTF_HIDDEN);
    SyncRows(node);
    if (m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
    return TRUE;
}

BOOL DrawnTreeBaseC::ShowAllItems()
{
    for (_Node *node = m_root->FirstChild(); node != nullptr;) {
        if ((node->m_flags & DTF_HIDDEN) != 0) {
            SetItemHidden(reinterpret_cast<HTREEITEM>(node), FALSE);
            continue;
        }
        node = static_cast<_Node *>(node->GetNextInTree());
    }
    return TRUE;
}

BOOL DrawnTreeBaseC::IsItemHidden(HTREEITEM item)
{
    for (_Node *node = LiveNode(item); node != nullptr && node != m_root; node = node->Parent())
        if ((node->m_flags & DTF_HIDDEN) != 0)
            return TRUE;
    return FALSE;
}

// Moving.

BOOL DrawnTreeBaseC::MoveItem(HTREEITEM item, HTREEITEM newParent, BOOL redraw, HTREEITEM after)
{
    _Node *node = LiveNode(item);
    _Node *target = ParentNode(newParent);
    if (node == nullptr || target == nullptr || target == node || node->IsAncestorOf(target) || node->m_deleting ||
        target->m_deleting)
        return FALSE;
    if (after != nullptr && after != TVI_ROOT && after != TVI_FIRST && after != TVI_LAST && after != TVI_SORT &&
        after != TVI_SORTDESCENDING) {
        _Node *sibling = LiveNode(after);
        if (target->GetFirstChild() != nullptr && (sibling == nullptr || sibling->Parent() != target || sibling == node))
            return FALSE;
    }
    _Node *focused = FocusNode();
    DeselectAllExcept(-1);
    bool wasExpanded = node->IsExpanded() != FALSE;
    // The subtree's rows go with the node's own.
    RemoveDescendantRows(node);
    RemoveNodeRow(node);
    node->Unlink();
    if (!Link(target, node, after))
        target->AddChild(node, DrawnTreeNode::kLast);
    node->SetExpanded(wasExpanded);
    SyncRows(node);
    if (redraw && m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
    int row = focused != nullptr ? RowOfNode(focused) : -1;
    if (row >= 0) {
        SetCaret(row, TRUE);
    } else if (focused != nullptr && m_root->FirstChild() != nullptr) {
        _Node *first = m_root->FirstChild();
        if (EnsureVisible(reinterpret_cast<HTREEITEM>(first), FALSE) && RowOfNode(first) >= 0)
            SetCaret(RowOfNode(first), TRUE);
    }
    return TRUE;
}

// Sorting.

void DrawnTreeBaseC::SortSiblings(_Node *parent, int direction, const TV_SORTCB *callback)
{
    std::vector<_Node *> children;
    for (_Node *child = parent->FirstChild(); child != nullptr; child = child->Next())
        children.push_back(child);
    if (children.size() < 2)
        return;
    auto before = [&](_Node *a, _Node *b) {
        int result = callback != nullptr
                         ? callback->lpfnCompare(a->m_item.lParam, b->m_item.lParam, callback->lParam)
                         : CompareItems(reinterpret_cast<HTREEITEM>(a), reinterpret_cast<HTREEITEM>(b));
        return result * direction < 0;
    };
    // A stable merge sort gives the order of the exchange sort with fewer comparisons.
    std::stable_sort(children.begin(), children.end(), before);
    // The owner may have deleted children while it compared.
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [&](_Node *child) {
                                      return LiveNode(reinterpret_cast<HTREEITEM>(child)) != child ||
                                             child->Parent() != parent;
                                  }),
                   children.end());
    for (_Node *child : children)
        child->Unlink();
    for (_Node *child : children)
        parent->AddChild(child, DrawnTreeNode::kLast);
}

void DrawnTreeBaseC::RelabelRows(_Node *parent)
{
    if (parent != m_root && (!parent->IsExpanded() || RowOfNode(parent) < 0))
        return;
    int first = parent == m_root ? 0 : RowOfNode(parent) + 1;
    int end = first;
    while (end < GetItemCount() && parent->IsAncestorOf(NodeOfRow(end)))
        ++end;
    std::vector<_Node *> order;
    AddRowsFor(parent, first, &order);
    if (static_cast<int>(order.size()) != end - first)
        return;
    // Each row's record goes with the node it shows, and with it the node's measured
    // height and label: nothing needs measuring again. The focus, drop highlight and
    // selection follow their nodes (NodeOfRow has left each node's old row in it).
    std::vector<DrawnListItem *> records(m_items.begin() + first, m_items.begin() + end);
    int focus = GetFocusItem(), drop = GetDropHighlight();
    _Node *focusNode = focus >= first && focus < end ? NodeOfRow(focus) : nullptr;
    _Node *dropNode = drop >= first && drop < end ? NodeOfRow(drop) : nullptr;
    std::vector<_Node *> selectedNodes;
    for (int row = first; row < end; ++row)
        if (IsSelected(row))
            selectedNodes.push_back(NodeOfRow(row));
    for (int row = first; row < end; ++row)
        if (IsSelected(row))
            RemoveFromSelection(row);
    for (size_t i = 0; i < order.size(); ++i) {
        m_items[static_cast<size_t>(first) + i] = records[static_cast<size_t>(order[i]->m_row - first)];
        order[i]->m_row = first + static_cast<int>(i);
    }
    for (_Node *node : selectedNodes)
        AddToSelection(node->m_row);
    if (focusNode != nullptr)
        m_focusRow = focusNode->m_row;
    if (dropNode != nullptr)
        m_dropRow = dropNode->m_row;
    if (m_anchorRow >= first && m_anchorRow < end)
        m_anchorRow = m_focusRow;
    if (m_hWnd != nullptr)
        InvalidateRows(first, GetItemCount() - 1);
}

BOOL DrawnTreeBaseC::SortChildren(HTREEITEM parent, BOOL recursive, BOOL ascending)
{
    _Node *node = ParentNode(parent);
    if (node == nullptr)
        return FALSE;
    SortSiblings(node, ascending ? 1 : -1, nullptr);
    if (recursive) {
        std::vector<HTREEITEM> children;
        for (_Node *child = node->FirstChild(); child != nullptr; child = child->Next())
            if (child->GetFirstChild() != nullptr)
                children.push_back(reinterpret_cast<HTREEITEM>(child));
        for (HTREEITEM child : children)
            if (LiveNode(child) != nullptr)
                SortChildren(child, TRUE, ascending);
    }
    if (LiveNode(parent) == nullptr && parent != nullptr && parent != TVI_ROOT)
        return FALSE;
    RelabelRows(ParentNode(parent));
    return TRUE;
}

BOOL DrawnTreeBaseC::SortChildrenCB(const TV_SORTCB *sort, BOOL recursive, BOOL ascending)
{
    if (sort == nullptr || sort->lpfnCompare == nullptr)
        return FALSE;
    _Node *node = ParentNode(sort->hParent);
    if (node == nullptr)
        return FALSE;
    HTREEITEM focused = GetSelectedItem();
    SortSiblings(node, ascending ? 1 : -1, sort);
    if (recursive) {
        std::vector<HTREEITEM> children;
        for (_Node *child = node->FirstChild(); child != nullptr; child = child->Next())
            if (child->GetFirstChild() != nullptr)
                children.push_back(reinterpret_cast<HTREEITEM>(child));
        for (HTREEITEM child : children) {
            if (LiveNode(child) == nullptr)
                continue;
            TV_SORTCB inner = *sort;
            inner.hParent = child;
            SortChildrenCB(&inner, TRUE, ascending);
        }
    }
    node = ParentNode(sort->hParent);
    if (node == nullptr)
        return FALSE;
    RelabelRows(node);
    if (focused != nullptr && LiveNode(focused) != nullptr)
        Select(focused, TVGN_CARET);
    return TRUE;
}
