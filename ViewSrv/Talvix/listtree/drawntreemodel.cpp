// The tree's model: nodes, their rows, item fields, insertion, deletion, expansion,
// hidden items, moving and sorting.
#include "drawntreebase.h"

#include "crtstring.h"
#include "drawnsubitemtextstorage.h"
#include "windowinfo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const int kTextBufferSize = 2048;

LPSTR CopyOf(LPCSTR text)
{
    size_t length = std::strlen(text);
    LPSTR copy = static_cast<LPSTR>(std::malloc(length + 1));
    if (copy != nullptr)
        std::memcpy(copy, text, length + 1);
    return copy;
}

// At most size - 1 bytes and a NUL; nothing for size 0.
void CopyBounded(LPSTR buffer, int size, LPCSTR text)
{
    if (buffer == nullptr || size <= 0)
        return;
    size_t length = text != nullptr ? strnlen(text, static_cast<size_t>(size) - 1) : 0;
    std::memmove(buffer, text, length);
    buffer[length] = '\0';
}

} // namespace

DrawnTreeBaseC::DrawnTreeBaseC()
{
    m_listStyle |= 0x41;
    EnsureRoot();
}

DrawnTreeBaseC::~DrawnTreeBaseC()
{
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    delete m_subItemTexts;
    delete m_root;
}

void DrawnTreeBaseC::EnsureRoot()
{
    if (m_root != nullptr)
        return;
    m_root = new _Node;
    m_root->SetExpanded(TRUE);
}

_Node *DrawnTreeBaseC::LiveNode(HTREEITEM item)
{
    if (item == nullptr || item == TVI_ROOT)
        return nullptr;
    _Node *node = reinterpret_cast<_Node *>(item);
    return m_liveNodes.Contains(node) ? node : nullptr;
}

_Node *DrawnTreeBaseC::ParentNode(HTREEITEM item)
{
    if (item == nullptr || item == TVI_ROOT) {
        EnsureRoot();
        return m_root;
    }
    return LiveNode(item);
}

_Node *DrawnTreeBaseC::NodeOfRow(int row)
{
    DrawnListItem *record = GetItemRecord(row);
    if (record == nullptr)
        return nullptr;
    _Node *node = reinterpret_cast<_Node *>(record->data);
    if (node != nullptr)
        node->m_row = row;
    return node;
}

int DrawnTreeBaseC::RowOfNode(_Node *node)
{
    if (node == nullptr || !node->m_hasRow)
        return -1;
    DrawnListItem *cached = GetItemRecord(node->m_row);
    if (cached != nullptr && reinterpret_cast<_Node *>(cached->data) == node)
        return node->m_row;
    // Rows moved since: look near the old place first, going outwards.
    int count = GetItemCount();
    int start = std::clamp(node->m_row, 0, std::max(count - 1, 0));
    for (int distance = 0; distance < count; ++distance) {
        int below = start + distance, above = start - distance;
        if (below >= count && above < 0)
            break;
        if (below < count && reinterpret_cast<_Node *>(m_items[static_cast<size_t>(below)]->data) == node)
            return node->m_row = below;
        if (above >= 0 && above != below && reinterpret_cast<_Node *>(m_items[static_cast<size_t>(above)]->data) == node)
            return node->m_row = above;
    }
    node->m_hasRow = false;
    return -1;
}

bool DrawnTreeBaseC::IsShown(_Node *node)
{
    if (node == nullptr || node == m_root || (node->m_flags & DTF_HIDDEN) != 0)
        return false;
    // A node taken out of the tree (while the owner hears of its deletion) is never shown.
    for (_Node *up = node->Parent(); up != m_root; up = up->Parent())
        if (up == nullptr || !up->IsExpanded() || (up->m_flags & DTF_HIDDEN) != 0)
            return false;
    return true;
}

bool DrawnTreeBaseC::IsDisabled(_Node *node)
{
    for (; node != nullptr && node != m_root; node = node->Parent())
        if ((node->m_flags & DTF_DISABLED) != 0)
            return true;
    return false;
}

// Rows.

void DrawnTreeBaseC::AddRows(int row, const std::vector<_Node *> &nodes)
{
    if (nodes.empty())
        return;
    std::vector<DrawnListItem *> records;
    records.reserve(nodes.size());
    for (_Node *node : nodes) {
        DrawnListItem *record = NewItemRecord();
        InitItemRecord(record);
        record->data = reinterpret_cast<LPARAM>(node);
        records.push_back(record);
    }
    InsertRowRecords(row, records.data(), static_cast<int>(records.size()));
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->m_hasRow = true;
        nodes[i]->m_row = row + static_cast<int>(i);
    }
}

int DrawnTreeBaseC::AddRowsFor(_Node *node, int row, std::vector<_Node *> *rows)
{
    for (_Node *child = node->FirstChild(); child != nullptr; child = child->Next()) {
        if ((child->m_flags & DTF_HIDDEN) != 0)
            continue;
        rows->push_back(child);
        ++row;
        if (child->IsExpanded())
            row = AddRowsFor(child, row, rows);
    }
    return row;
}

void DrawnTreeBaseC::RemoveDescendantRows(_Node *node)
{
    int row = node == m_root ? -1 : RowOfNode(node);
    if (node != m_root && row < 0)
        return;
    int first = row + 1, end = first;
    while (end < GetItemCount() && node->IsAncestorOf(NodeOfRow(end))) {
        NodeOfRow(end)->m_hasRow = false;
        ++end;
    }
    RemoveRowRecords(first, end - first);
}

void DrawnTreeBaseC::RemoveNodeRow(_Node *node)
{
    int row = RowOfNode(node);
    if (row < 0)
        return;
    node->m_hasRow = false;
    RemoveRowRecords(row, 1);
}

int DrawnTreeBaseC::RowAfterPredecessor(_Node *node)
{
    for (_Node *sibling = node->Prev(); sibling != nullptr; sibling = sibling->Prev()) {
        if (!sibling->m_hasRow)
            continue;
        // The last row of the sibling's shown subtree.
        _Node *last = sibling;
        for (bool deeper = true; deeper;) {
            deeper = false;
            if (!last->IsExpanded())
                break;
            for (_Node *child = static_cast<_Node *>(last->GetLastChild()); child != nullptr; child = child->Prev())
                if (child->m_hasRow) {
                    last = child;
                    deeper = true;
                    break;
                }
        }
        return RowOfNode(last) + 1;
    }
    _Node *parent = node->Parent();
    return parent == m_root ? 0 : RowOfNode(parent) + 1;
}

void DrawnTreeBaseC::SyncRows(_Node *from)
{
    for (_Node *node = from; node != nullptr; node = static_cast<_Node *>(node->GetNextInTree())) {
        bool shown = IsShown(node);
        if (shown && !node->m_hasRow) {
            AddRows(RowAfterPredecessor(node), {node});
        } else if (!shown && node->m_hasRow) {
            int row = RowOfNode(node);
            if (row >= 0 && IsSelected(row))
                DrawnListBaseC::SetItemState(row, 0, LVIS_SELECTED);
            RemoveNodeRow(node);
        }
    }
}

// Item fields.

UINT DrawnTreeBaseC::StoreFields(_Node *node, const TV_ITEM *item)
{
    UINT collected = 0;
    TVITEMA &own = node->m_item;
    UINT mask = item->mask;
    if ((mask & TVIF_CHILDREN) != 0) {
        if (own.cChildren == I_CHILDRENCALLBACK && item->cChildren != I_CHILDRENCALLBACK)
            collected |= TVIF_CHILDREN;
        else
            own.cChildren = item->cChildren;
    }
    if ((mask & TVIF_IMAGE) != 0) {
        if (own.iImage == I_IMAGECALLBACK && item->iImage != I_IMAGECALLBACK)
            collected |= TVIF_IMAGE;
        else
            own.iImage = item->iImage;
    }
    // The application value may be a counted object of the owner's: only TVIF_PARAM
    // replaces it.
    if ((mask & TVIF_PARAM) != 0)
        own.lParam = item->lParam;
    if ((mask & TVIF_SELECTEDIMAGE) != 0) {
        if (own.iSelectedImage == I_IMAGECALLBACK && item->iSelectedImage != I_IMAGECALLBACK)
            collected |= TVIF_SELECTEDIMAGE;
        else
            own.iSelectedImage = item->iSelectedImage;
    }
    if ((mask & TVIF_STATE) != 0)
        own.state = (own.state & ~item->stateMask) | (item->state & item->stateMask);
    if ((mask & TVIF_TEXT) != 0) {
        if (item->pszText == LPSTR_TEXTCALLBACKA) {
            if (own.pszText != LPSTR_TEXTCALLBACKA)
                std::free(own.pszText);
            own.pszText = LPSTR_TEXTCALLBACKA;
        } else if (own.pszText == LPSTR_TEXTCALLBACKA) {
            collected |= TVIF_TEXT;
        } else {
            LPSTR copy = CopyOf(item->pszText != nullptr ? item->pszText : "");
            if (copy != nullptr) {
                std::free(own.pszText);
                own.pszText = copy;
            }
        }
        node->m_highlight = 0;
    }
    if (collected != 0) {
        TV_ITEM tell = *item;
        tell.hItem = reinterpret_cast<HTREEITEM>(node);
        tell.mask = collected | TVIF_HANDLE;
        tell.lParam = own.lParam;
        NotifyItemSetDispInfo(&tell);
    }
    return collected;
}

BOOL DrawnTreeBaseC::SetItem(TV_ITEM *item)
{
    if (item == nullptr)
        return FALSE;
    _Node *node = LiveNode(item->hItem);
    if (node == nullptr)
        return FALSE;
    UINT before = node->m_item.state;
    int imageBefore = node->m_item.iImage;
    StoreFields(node, item);
    // The owner may have deleted the node while it heard of the callback fields.
    node = LiveNode(item->hItem);
    int row = RowOfNode(node);
    if (row < 0)
        return TRUE;
    const UINT kRowBits = TVIS_CUT | TVIS_DROPHILITED | TVIS_OVERLAYMASK | TVIS_SELECTED | TVIS_STATEIMAGEMASK;
    UINT state = node->m_item.state;
    if ((item->mask & TVIF_STATE) != 0 && (item->stateMask & kRowBits) != 0) {
        UINT mask = item->stateMask & kRowBits;
        if ((mask & TVIS_OVERLAYMASK) != 0)
            mask |= TVIS_OVERLAYMASK;
        if ((mask & TVIS_STATEIMAGEMASK) != 0)
            mask |= TVIS_STATEIMAGEMASK;
        DrawnListBaseC::SetItemState(row, state & mask, mask);
    }
    const UINT kLook = TVIS_DROPHILITED | TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK | TVIS_BOLD;
    bool changed = ((before ^ state) & kLook) != 0 || imageBefore != node->m_item.iImage ||
                   (item->mask & (TVIF_TEXT | TVIF_CHILDREN)) != 0;
    if (changed && row != m_editRow) {
        InvalidateRowHeight(row);
        RedrawItem(reinterpret_cast<HTREEITEM>(node));
    }
    return TRUE;
}

BOOL DrawnTreeBaseC::GetItem(TV_ITEM *item, BOOL copyText, BOOL resolve)
{
    if (item == nullptr)
        return FALSE;
    _Node *node = LiveNode(item->hItem);
    if (node == nullptr)
        return FALSE;
    const TVITEMA &own = node->m_item;
    UINT collected = 0;
    LPSTR callerBuffer = item->pszText;
    int callerSize = item->cchTextMax;
    if ((item->mask & TVIF_CHILDREN) != 0) {
        item->cChildren = own.cChildren;
        if (own.cChildren == I_CHILDRENCALLBACK)
            collected |= TVIF_CHILDREN;
    }
    if ((item->mask & TVIF_IMAGE) != 0) {
        item->iImage = own.iImage;
        if (own.iImage == I_IMAGECALLBACK)
            collected |= TVIF_IMAGE;
    }
    if ((item->mask & TVIF_SELECTEDIMAGE) != 0) {
        item->iSelectedImage = own.iSelectedImage;
        if (own.iSelectedImage == I_IMAGECALLBACK)
            collected |= TVIF_SELECTEDIMAGE;
    }
    if ((item->mask & TVIF_STATE) != 0) {
        UINT state = own.state & ~static_cast<UINT>(TVIS_SELECTED | TVIS_DROPHILITED);
        int row = RowOfNode(node);
        if (row >= 0 && IsSelected(row))
            state |= TVIS_SELECTED;
        if (row >= 0 && row == GetDropHighlight())
            state |= TVIS_DROPHILITED;
        item->state = state & item->stateMask;
    }
    if ((item->mask & TVIF_PARAM) != 0)
        item->lParam = own.lParam;
    if ((item->mask & TVIF_TEXT) != 0) {
        if (own.pszText == LPSTR_TEXTCALLBACKA) {
            collected |= TVIF_TEXT;
            if (!resolve)
                item->pszText = LPSTR_TEXTCALLBACKA;
        } else if (copyText) {
            CopyBounded(callerBuffer, callerSize, own.pszText != nullptr ? own.pszText : "");
        } else {
            item->pszText = own.pszText;
        }
    }
    if (!resolve || collected == 0)
        return TRUE;
    TV_ITEM ask = *item;
    ask.mask = collected | TVIF_HANDLE;
    ask.hItem = reinterpret_cast<HTREEITEM>(node);
    ask.lParam = own.lParam;
    ask.pszText = callerBuffer;
    ask.cchTextMax = callerSize;
    if ((collected & TVIF_TEXT) != 0)
        CopyBounded(callerBuffer, callerSize, "");
    NotifyItemGetDispInfo(&ask);
    if ((collected & TVIF_TEXT) != 0) {
        // Answered in the caller's buffer or with a text of the owner's: either way no
        // more than the buffer holds.
        if (ask.pszText == callerBuffer) {
            if (callerBuffer != nullptr && callerSize > 0)
                callerBuffer[callerSize - 1] = '\0';
        } else if (ask.pszText != LPSTR_TEXTCALLBACKA) {
            CopyBounded(callerBuffer, callerSize, ask.pszText);
        }
        item->pszText = callerBuffer;
    }
    if ((collected & TVIF_CHILDREN) != 0)
        item->cChildren = ask.cChildren;
    if ((collected & TVIF_IMAGE) != 0)
        item->iImage = ask.iImage;
    if ((collected & TVIF_SELECTEDIMAGE) != 0)
        item->iSelectedImage = ask.iSelectedImage;
    return TRUE;
}

BOOL DrawnTreeBaseC::SetItemData(HTREEITEM item, LPARAM data)
{
    TV_ITEM fields{};
    fields.mask = TVIF_HANDLE | TVIF_PARAM;
    fields.hItem = item;
    fields.lParam = data;
    return SetItem(&fields);
}

BOOL DrawnTreeBaseC::SetItemState(HTREEITEM item, UINT state, UINT stateMask)
{
    TV_ITEM fields{};
    fields.mask = TVIF_HANDLE | TVIF_STATE;
    fields.hItem = item;
    fields.state = state;
    fields.stateMask = stateMask;
    return SetItem(&fields);
}

BOOL DrawnTreeBaseC::SetItemImage(HTREEITEM item, int image, int selectedImage)
{
    TV_ITEM fields{};
    fields.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    fields.hItem = item;
    fields.iImage = image;
    fields.iSelectedImage = selectedImage;
    return SetItem(&fields);
}

BOOL DrawnTreeBaseC::SetItemText(HTREEITEM item, LPCSTR text)
{
    TV_ITEM fields{};
    fields.mask = TVIF_HANDLE | TVIF_TEXT;
    fields.hItem = item;
    fields.pszText = const_cast<LPSTR>(text);
    return SetItem(&fields);
}

LPARAM DrawnTreeBaseC::GetItemData(HTREEITEM item)
{
    _Node *node = LiveNode(item);
    return node != nullptr ? node->m_item.lParam : 0;
}

UINT DrawnTreeBaseC::GetItemState(HTREEITEM item, UINT stateMask)
{
    TV_ITEM fields{};
    fields.mask = TVIF_HANDLE | TVIF_STATE;
    fields.hItem = item;
    fields.stateMask = stateMask;
    return GetItem(&fields, TRUE, TRUE) ? fields.state : 0;
}

CString DrawnTreeBaseC::GetItemText(HTREEITEM item, int subItem)
{
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return CString();
    if (subItem == 0) {
        TV_ITEM fields{};
        fields.mask = TVIF_HANDLE | TVIF_TEXT;
        fields.hItem = item;
        fields.pszText = m_textBuffer;
        fields.cchTextMax = kTextBufferSize;
        m_textBuffer[0] = '\0';
        GetItem(&fields, TRUE, TRUE);
        CString text(m_textBuffer);
        m_textBuffer[0] = '\0';
        return text;
    }
    if (m_subItemTexts != nullptr) {
        char text[kTextBufferSize];
        m_subItemTexts->GetSubItemTextAt(item, subItem, text, sizeof text);
        return CString(text);
    }
    int row = RowOfNode(node);
    return row >= 0 ? DrawnListBaseC::GetItemText(row, subItem) : CString();
}

BOOL DrawnTreeBaseC::SetSubItemText(HTREEITEM item, int subItem, LPCSTR text)
{
    if (subItem == 0)
        return SetItemText(item, text);
    _Node *node = LiveNode(item);
    if (node == nullptr || subItem < 0 || text == nullptr)
        return FALSE;
    if (m_subItemTexts != nullptr) {
        if (subItem > GetColumnCount() || !m_subItemTexts->SetSubItemTextAt(item, subItem, text))
            return FALSE;
        int row = RowOfNode(node);
        if (row >= 0) {
            InvalidateRowHeight(row);
            RedrawItem(item);
        }
        return TRUE;
    }
    int row = RowOfNode(node);
    return row >= 0 && DrawnListBaseC::SetItemText(row, subItem, text);
}

void DrawnTreeBaseC::EnableSubItemTexts(BOOL enable)
{
    if (enable && m_subItemTexts == nullptr) {
        m_subItemTexts = new DrawnSubItemTextStorage;
    } else if (!enable) {
        delete m_subItemTexts;
        m_subItemTexts = nullptr;
    }
}

BOOL DrawnTreeBaseC::ItemHasChildren(HTREEITEM item)
{
    _Node *node = item == nullptr || item == TVI_ROOT ? m_root : LiveNode(item);
    if (node == nullptr)
        return FALSE;
    if (node->GetFirstChild() != nullptr)
        return TRUE;
    if (node == m_root)
        return FALSE;
    int count = node->m_item.cChildren;
    if (count == I_CHILDRENCALLBACK) {
        TV_ITEM fields{};
        fields.mask = TVIF_HANDLE | TVIF_CHILDREN;
        fields.hItem = item;
        if (!GetItem(&fields, TRUE, TRUE))
            return FALSE;
        count = fields.cChildren;
    }
    return count > 0;
}

HTREEITEM DrawnTreeBaseC::GetItemAtIndex(int row)
{
    return reinterpret_cast<HTREEITEM>(NodeOfRow(row));
}

int DrawnTreeBaseC::FindItemIndex(HTREEITEM item, int start)
{
    _Node *node = LiveNode(item);
    if (node == nullptr)
        return -1;
    for (int row = std::max(start, 0); row < GetItemCount(); ++row)
        if (reinterpret_cast<_Node *>(m_items[static_cast<size_t>(row)]->data) == node)
            return row;
    return -1;
}

BOOL DrawnTreeBaseC::GetItemRect(HTREEITEM item, CRect *rect, BOOL textOnly)
{
    int row = RowOfNode(LiveNode(item));
    return row >= 0 && DrawnListBaseC::GetItemRect(row, rect, textOnly ? 2 : 0);
}

int DrawnTreeBaseC::CompareItems(HTREEITEM a, HTREEITEM b)
{
    // Texts the nodes hold are compared where they are; only the owner's need asking.
    _Node *left = LiveNode(a), *right = LiveNode(b);
    if (left != nullptr && right != nullptr && left->m_item.pszText != LPSTR_TEXTCALLBACKA &&
        right->m_item.pszText != LPSTR_TEXTCALLBACKA) {
        LPCSTR one = left->m_item.pszText != nullptr ? left->m_item.pszText : "";
        LPCSTR two = right->m_item.pszText != nullptr ? right->m_item.pszText : "";
        return _mbsicmp(reinterpret_cast<const unsigned char *>(one), reinterpret_cast<const unsigned char *>(two));
    }
    CString first = GetItemText(a, 0), second = GetItemText(b, 0);
    return _mbsicmp(reinterpret_cast<const unsigned char *>(static_cast<LPCSTR>(first)),
                    reinterpret_cast<const unsigned char *>(static_cast<LPCSTR>(second)));
}

// Item flags: the list's user state for column 0.

BOOL DrawnTreeBaseC::SetItemFlags(HTREEITEM item, const DrawnTreeItemFlags *flags)
{
    _Node *node = LiveNode(item);
    if (node == nullptr || flags == nullptr)
        return FALSE;
    if ((flags->valid & 1) == 0)
        return TRUE;
    node->m_flags = (node->m_flags & ~flags->mask) | (flags->value & flags->mask);
    int row = RowOfNode(node);
    if (row >= 0)
        DrawnListBaseC::SetItemUserState(row, node->m_flags & (DTF_DISABLED | DTF_HIDDEN), DTF_DISABLED | DTF_HIDDEN);
    return TRUE;
}

BOOL DrawnTreeBaseC::GetItemFlags(HTREEITEM item, DrawnTreeItemFlags *flags, BOOL askOwner)
{
    _Node *node = LiveNode(item);
    if (node == nullptr || flags == nullptr)
        return FALSE;
    if (GetUserStateCallbackMask() != 0) {
        if (askOwner)
            OnItemFlagsDispInfo(flags);
        return TRUE;
    }
    UINT value = 0;
    for (_Node *up = node; up != nullptr && up != m_root; up = up->Parent())
        value |= up->m_flags & (DTF_DISABLED | DTF_HIDDEN);
    flags->valid = 1;
    flags->value = (flags->value & ~flags->mask) | (value & flags->mask);
    return TRUE;
}

BOOL DrawnTreeBaseC::SetItemUserState(int row, UINT state, UINT mask)
{
    _Node *node = NodeOfRow(row);
    if (node == nullptr)
        return FALSE;
    DrawnTreeItemFlags flags;
    flags.valid = 1;
    flags.value = state;
    flags.mask = mask & (DTF_DISABLED | DTF_HIDDEN);
    if ((mask & DTF_HIDDEN) != 0)
        return SetItemHidden(reinterpret_cast<HTREEITEM>(node), (state & DTF_HIDDEN) != 0);
    return SetItemFlags(reinterpret_cast<HTREEITEM>(node), &flags);
}

UINT DrawnTreeBaseC::GetItemUserState(int row, UINT mask)
{
    _Node *node = NodeOfRow(row);
    if (node == nullptr)
        return 0;
    DrawnTreeItemFlags flags;
    flags.mask = mask;
    GetItemFlags(reinterpret_cast<HTREEITEM>(node), &flags, TRUE);
    return flags.value & mask;
}

// The list's view of column 0 is the node.

BOOL DrawnTreeBaseC::SetItem(LVITEMA *item, BOOL redraw)
{
    if (item == nullptr || item->iSubItem != 0)
        return DrawnListBaseC::SetItem(item, redraw);
    _Node *node = NodeOfRow(item->iItem);
    if (node == nullptr)
        return FALSE;
    LVITEMA rest = *item;
    rest.mask &= LVIF_STATE | LVIF_PARAM;
    if ((item->mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_STATE)) != 0) {
        TV_ITEM fields{};
        fields.hItem = reinterpret_cast<HTREEITEM>(node);
        if ((item->mask & LVIF_TEXT) != 0) {
            fields.mask |= TVIF_TEXT;
            fields.pszText = item->pszText;
        }
        if ((item->mask & LVIF_IMAGE) != 0) {
            fields.mask |= TVIF_IMAGE;
            fields.iImage = item->iImage;
        }
        const UINT kNodeBits = TVIS_CUT | TVIS_DROPHILITED | TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK;
        if ((item->mask & LVIF_STATE) != 0 && (item->stateMask & kNodeBits) != 0) {
            fields.mask |= TVIF_STATE;
            fields.state = item->state;
            fields.stateMask = item->stateMask & kNodeBits;
        }
        StoreFields(node, &fields);
        if (LiveNode(fields.hItem) == nullptr)
            return FALSE;
    }
    if (rest.mask != 0 && !DrawnListBaseC::SetItem(&rest, redraw))
        return FALSE;
    if (redraw && (item->mask & (LVIF_TEXT | LVIF_IMAGE)) != 0 && item->iItem != m_editRow) {
        InvalidateRowHeight(item->iItem);
        InvalidateItem(item->iItem);
    }
    return TRUE;
}

BOOL DrawnTreeBaseC::GetItem(LVITEMA *item, BOOL copyText, BOOL notify)
{
    if (item == nullptr || item->iSubItem != 0)
        return DrawnListBaseC::GetItem(item, copyText, notify);
    _Node *node = NodeOfRow(item->iItem);
    if (node == nullptr)
        return FALSE;
    LVITEMA rest = *item;
    rest.mask &= LVIF_STATE;
    if (rest.mask != 0 && !DrawnListBaseC::GetItem(&rest, copyText, notify))
        return FALSE;
    TV_ITEM fields{};
    fields.hItem = reinterpret_cast<HTREEITEM>(node);
    fields.mask = (item->mask & LVIF_TEXT) | (item->mask & LVIF_IMAGE) | (item->mask & LVIF_PARAM) | TVIF_STATE;
    fields.pszText = item->pszText;
    fields.cchTextMax = item->cchTextMax;
    fields.stateMask = 0xFFFF;
    if (!GetItem(&fields, copyText, notify))
        return FALSE;
    if ((item->mask & LVIF_TEXT) != 0)
        item->pszText = fields.pszText;
    if ((item->mask & LVIF_IMAGE) != 0)
        item->iImage = fields.iImage;
    if ((item->mask & LVIF_PARAM) != 0)
        item->lParam = fields.lParam;
    if ((item->mask & LVIF_STATE) != 0) {
        const UINT kNodeBits = TVIS_CUT | TVIS_DROPHILITED | TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK;
        item->state = ((rest.state & ~kNodeBits) | (fields.state & kNodeBits)) & item->stateMask;
    }
    return TRUE;
}

LPARAM DrawnTreeBaseC::GetItemDataOf(DrawnListItem *record)
{
    _Node *node = record != nullptr ? reinterpret_cast<_Node *>(record->data) : nullptr;
    return node != nullptr ? node->m_item.lParam : 0;
}

BOOL DrawnTreeBaseC::NeedsDispInfo(int row)
{
    _Node *node = NodeOfRow(row);
    if (node == nullptr)
        return FALSE;
    const TVITEMA &item = node->m_item;
    return item.pszText == LPSTR_TEXTCALLBACKA || item.cChildren == I_CHILDRENCALLBACK ||
           item.iImage == I_IMAGECALLBACK || item.iSelectedImage == I_IMAGECALLBACK;
}

LRESULT DrawnTreeBaseC::NotifyGetDispInfo(LVITEMA *item)
{
    if (item != nullptr && item->iSubItem >= 1 && m_subItemTexts != nullptr) {
        _Node *node = NodeOfRow(item->iItem);
        if ((item->mask & LVIF_TEXT) != 0 && item->pszText != nullptr && item->cchTextMax > 0)
            m_subItemTexts->GetSubItemTextAt(reinterpret_cast<HTREEITEM>(node), item->iSubItem, item->pszText,
                                             std::min(item->cchTextMax, kTextBufferSize));
        return 0;
    }
    return DrawnListBaseC::NotifyGetDispInfo(item);
}

void DrawnTreeBaseC::OnSetDispInfo(LVITEMA *item)
{
    if (item != nullptr && item->iSubItem >= 1 && m_subItemTexts != nullptr && (item->mask & LVIF_TEXT) != 0 &&
        item->pszText != nullptr && item->pszText != LPSTR_TEXTCALLBACKA) {
        _Node *node = NodeOfRow(item->iItem);
        if (node != nullptr && item->iSubItem <= GetColumnCount())
            m_subItemTexts->SetSubItemTextAt(reinterpret_cast<HTREEITEM>(node), item->iSubItem, item->pszText);
    }
}

// Insertion.

bool DrawnTreeBaseC::Link(_Node *parent, _Node *node, HTREEITEM after)
{
    if (after == nullptr || after == TVI_ROOT || after == TVI_LAST)
        return parent->AddChild(node, DrawnTreeNode::kLast);
    if (after == TVI_FIRST)
        return parent->AddChild(node, DrawnTreeNode::kFirst);
    if (after == TVI_SORT || after == TVI_SORTDESCENDING) {
        int direction = after == TVI_SORT ? 1 : -1;
        // Before the first child that sorts after the new one: equal texts keep their
        // order of insertion.
        for (_Node *child = parent->FirstChild(); child != nullptr; child = child->Next()) {
            if (CompareItems(reinterpret_cast<HTREEITEM>(child), reinterpret_cast<HTREEITEM>(node)) * direction > 0) {
                _Node *before = child->Prev();
                return before != nullptr ? parent->AddChild(node, DrawnTreeNode::kAfter, before)
                                         : parent->AddChild(node, DrawnTreeNode::kFirst);
            }
        }
        return parent->AddChild(node, DrawnTreeNode::kLast);
    }
    if (parent->GetFirstChild() == nullptr)
        return parent->AddChild(node, DrawnTreeNode::kLast);
    _Node *sibling = LiveNode(after);
    return sibling != nullptr && parent->AddChild(node, DrawnTreeNode::kAfter, sibling);
}

HTREEITEM DrawnTreeBaseC::InsertItem(const TV_INSERTSTRUCT *insert)
{
    if (insert == nullptr)
        return nullptr;
    EnsureRoot();
    _Node *parent = ParentNode(insert->hParent);
    if (parent == nullptr || parent->m_deleting)
        return nullptr;
    _Node *node = CreateNode();
    if (node == nullptr)
        return nullptr;
    m_liveNodes.Insert(node);
    TV_ITEM fields = insert->item;
    fields.hItem = reinterpret_cast<HTREEITEM>(node);
    fields.mask |= TVIF_HANDLE;
    UINT expanded = (fields.mask & TVIF_STATE) != 0 ? fields.state & fields.stateMask & TVIS_EXPANDED : 0;
    // The text must be there before a sorted link compares it.
    StoreFields(node, &fields);
    node->SetExpanded(expanded != 0);
    if (!Link(parent, node, insert->hInsertAfter)) {
        m_liveNodes.Erase(node);
        delete node;
        return nullptr;
    }
    if (IsShown(node))
        AddRows(RowAfterPredecessor(node), {node});
    if (GetRedraw() && m_hWnd != nullptr)
        InvalidateAllRowHeights();
    return reinterpret_cast<HTREEITEM>(node);
}

HTREEITEM DrawnTreeBaseC::InsertItem(UINT mask, LPCSTR text, int image, int selectedImage, UINT state,
                                     UINT stateMask, LPARAM data, HTREEITEM parent, HTREEITEM after)
{
    TV_INSERTSTRUCT insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = mask;
    insert.item.pszText = const_cast<LPSTR>(text);
    insert.item.cchTextMax = text != nullptr && text != LPSTR_TEXTCALLBACKA ? static_cast<int>(std::strlen(text)) + 1 : 0;
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.state = state;
    insert.item.stateMask = stateMask;
    insert.item.lParam = data;
    return InsertItem(&insert);
}

HTREEITEM DrawnTreeBaseC::InsertItem(LPCSTR text, HTREEITEM parent, HTREEITEM after)
{
    return InsertItem(TVIF_TEXT, text, 0, 0, 0, 0, 0, parent, after);
}

HTREEITEM DrawnTreeBaseC::InsertItem(LPCSTR text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after)
{
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, selectedImage, 0, 0, 0, parent,
                      after);
}

BOOL DrawnTreeBaseC::InsertItems(TV_ITEM **items, HTREEITEM parent, int count, BOOL redraw)
{
    if (items == nullptr || count < 1)
        return FALSE;
    BOOL wasRedraw = GetRedraw();
    m_redraw = FALSE;
    BOOL good = TRUE;
    for (int i = 0; i < count && good; ++i) {
        TV_INSERTSTRUCT insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        if (items[i] != nullptr)
            insert.item = *items[i];
        good = InsertItem(&insert) != nullptr;
    }
    m_redraw = wasRedraw;
    if (redraw && m_hWnd != nullptr)
        InvalidateAllRowHeights();
    return good;
}

// Deletion.

BOOL DrawnTreeBaseC::DeleteOneNode(_Node *node, bool wholeTree)
{
    if (node->GetFirstChild() != nullptr || node->m_deleting)
        return FALSE;
    HTREEITEM handle = reinterpret_cast<HTREEITEM>(node);
    // Out of the tree before the owner hears: whatever it does to the tree meanwhile
    // cannot reach the node, and the node cannot be deleted twice.
    node->m_deleting = true;
    if (!wholeTree)
        RemoveNodeRow(node);
    node->Unlink();
    if (m_hWnd != nullptr)
        NotifyItemDeleted(handle);
    m_liveNodes.Erase(node);
    if (m_subItemTexts != nullptr)
        m_subItemTexts->RemoveItemTexts(handle);
    delete node;
    return TRUE;
}

BOOL DrawnTreeBaseC::DeleteItemTree(HTREEITEM item)
{
    bool whole = item == nullptr || item == TVI_ROOT;
    _Node *top = whole ? m_root : LiveNode(item);
    if (top == nullptr || top->m_deleting)
        return FALSE;
    if (whole) {
        CancelEditTimer();
        // The rows go at once; no row shows a node that is about to go.
        DrawnListBaseC::DeleteAllItems();
    }
    // Post-order: the deepest first descendant each time, looked for afresh because the
    // owner may change the tree while it hears of a deletion.
    while (top->GetFirstChild() != nullptr) {
        _Node *deepest = top->FirstChild();
        while (deepest->FirstChild() != nullptr)
            deepest = deepest->FirstChild();
        DeleteOneNode(deepest, whole);
        if (!whole && LiveNode(item) != top)
            return TRUE;
    }
    if (!whole)
        return DeleteOneNode(top, false);
    delete m_root;
    m_root = nullptr;
    EnsureRoot();
    if (m_hWnd != nullptr)
        DrawnListBaseC::DeleteAllItems();
    return TRUE;
}

BOOL DrawnTreeBaseC::DeleteItem(HTREEITEM item)
{
    if (item != nullptr && item != TVI_ROOT && LiveNode(item) == nullptr)
        return FALSE;
    BOOL done = DeleteItemTree(item);
    if (GetRedraw() && m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
    return done;
}

BOOL DrawnTreeBaseC::DeleteAllItems()
{
    return DeleteItem(TVI_ROOT);
}
