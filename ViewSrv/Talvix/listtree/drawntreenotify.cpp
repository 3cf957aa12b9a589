// The tree's creation, styles and notifications.
#include "drawntreebase.h"

#include "drawnsubitemtextstorage.h"

#include <cstring>
#include <vector>

namespace {

const int kTextBufferSize = 2048;

} // namespace

BOOL DrawnTreeBaseC::Create(DWORD style, DWORD exStyle, const RECT &rect, CWnd *parent, UINT id, LPVOID param)
{
    if (!DrawnListBaseC::Create(style, exStyle, rect, parent, id, param))
        return FALSE;
    // The list's creation handling sets its own styles from the window style; the
    // mirrored options and the two tree styles kept in the list's go on after it, or
    // they would be lost.
    SetTreeExStyle(m_treeExStyle, FALSE);
    DWORD listBits = 0;
    if ((m_pendingTreeStyle & TVS_EDITLABELS) != 0)
        listBits |= LVS_EDITLABELS;
    if ((m_pendingTreeStyle & TVS_SHOWSELALWAYS) != 0)
        listBits |= DLS_SHOWSELALWAYS;
    if (listBits != 0)
        ModifyListStyle(0, listBits, FALSE);
    return TRUE;
}

BOOL DrawnTreeBaseC::Create(DWORD style, const RECT &rect, CWnd *parent, UINT id)
{
    return Create(style, 0, rect, parent, id, nullptr);
}

void DrawnTreeBaseC::PreCreateStyles(DWORD *style, DWORD *exStyle)
{
    if (style != nullptr) {
        m_pendingTreeStyle = *style & 0x3F;
        ModifyTreeStyle(0x3F, *style & 0x3F, FALSE);
        // The low bits are the tree's; the list must not read them as its own.
        *style &= ~static_cast<DWORD>(0x3F);
    }
    if (exStyle != nullptr)
        ModifyTreeExStyle(DTS_EX_MIRRORS, *exStyle & DTS_EX_MIRRORS, FALSE);
    DrawnListCtrl::PreCreateStyles(style, exStyle);
}

// Styles.

DWORD DrawnTreeBaseC::GetTreeStyle()
{
    DWORD style = m_treeStyle & DTS_STORED;
    if (HasStyle(LVS_EDITLABELS))
        style |= TVS_EDITLABELS;
    if (HasStyle(DLS_SHOWSELALWAYS))
        style |= TVS_SHOWSELALWAYS;
    return style;
}

void DrawnTreeBaseC::SetTreeStyle(DWORD style, BOOL redraw)
{
    m_treeStyle = style & DTS_STORED;
    DWORD add = 0, remove = 0;
    ((style & TVS_EDITLABELS) != 0 ? add : remove) |= LVS_EDITLABELS;
    ((style & TVS_SHOWSELALWAYS) != 0 ? add : remove) |= DLS_SHOWSELALWAYS;
    ModifyListStyle(remove, add, FALSE);
    if (redraw && m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
}

void DrawnTreeBaseC::SetTreeExStyle(DWORD exStyle, BOOL redraw)
{
    m_treeExStyle = exStyle;
    DWORD remove = 0, add = 0, exRemove = 0, exAdd = 0;
    ((exStyle & DTS_EX_MULTIPLESELECTION) != 0 ? remove : add) |= LVS_SINGLESEL;
    ((exStyle & DTS_EX_MULTILINELABELS) != 0 ? remove : add) |= LVS_NOLABELWRAP;
    ((exStyle & DTS_EX_SHOWHEADER) != 0 ? remove : add) |= LVS_NOCOLUMNHEADER;
    ((exStyle & DTS_EX_LABELTIPS) != 0 ? exAdd : exRemove) |= DLS_EX_LABELTIPS;
    DrawnListBaseC::ModifyListStyles(remove, add, exRemove, exAdd, redraw);
}

void DrawnTreeBaseC::GetTreeStyles(DWORD *style, DWORD *exStyle)
{
    if (style != nullptr)
        *style = GetTreeStyle();
    if (exStyle != nullptr)
        *exStyle = GetTreeExStyle();
}

void DrawnTreeBaseC::SetTreeStyles(DWORD style, DWORD exStyle, BOOL redraw)
{
    SetTreeStyle(style, FALSE);
    SetTreeExStyle(exStyle, redraw);
}

void DrawnTreeBaseC::ModifyTreeStyle(DWORD remove, DWORD add, BOOL redraw)
{
    SetTreeStyle((GetTreeStyle() & ~remove) | add, redraw);
}

void DrawnTreeBaseC::ModifyTreeExStyle(DWORD remove, DWORD add, BOOL redraw)
{
    SetTreeExStyle((m_treeExStyle & ~remove) | add, redraw);
}

void DrawnTreeBaseC::ModifyTreeStyles(DWORD remove, DWORD add, DWORD exRemove, DWORD exAdd, BOOL redraw)
{
    SetTreeStyle((GetTreeStyle() & ~remove) | add, FALSE);
    ModifyTreeExStyle(exRemove, exAdd, redraw);
}

// The list's four options, mirrored into the tree's extended style.

void DrawnTreeBaseC::SetMultiLineLabels(BOOL multiLine, BOOL redraw)
{
    m_treeExStyle = multiLine ? m_treeExStyle | DTS_EX_MULTILINELABELS : m_treeExStyle & ~DTS_EX_MULTILINELABELS;
    DrawnListCtrl::SetMultiLineLabels(multiLine, redraw);
}

void DrawnTreeBaseC::EnableLabelTips(BOOL enable, BOOL redraw)
{
    m_treeExStyle = enable ? m_treeExStyle | DTS_EX_LABELTIPS : m_treeExStyle & ~DTS_EX_LABELTIPS;
    DrawnListCtrl::EnableLabelTips(enable, redraw);
}

void DrawnTreeBaseC::SetMultipleSelection(BOOL multiple, BOOL redraw)
{
    m_treeExStyle =
        multiple ? m_treeExStyle | DTS_EX_MULTIPLESELECTION : m_treeExStyle & ~DTS_EX_MULTIPLESELECTION;
    DrawnListCtrl::SetMultipleSelection(multiple, redraw);
}

void DrawnTreeBaseC::ShowHeader(BOOL show, BOOL redraw)
{
    m_treeExStyle = show ? m_treeExStyle | DTS_EX_SHOWHEADER : m_treeExStyle & ~DTS_EX_SHOWHEADER;
    DrawnListCtrl::ShowHeader(show, redraw);
}

void DrawnTreeBaseC::SetIndent(int pixels)
{
    m_indent = pixels < 0 ? 0 : pixels + (pixels & 1);
    if (m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
}

CImageList *DrawnTreeBaseC::SetImageList(CImageList *list, int which)
{
    CImageList *before = DrawnListCtrl::SetImageList(list, which);
    int cx = 0, cy = 0;
    if (which == TVSIL_NORMAL && list != nullptr && ImageList_GetIconSize(list->m_hImageList, &cx, &cy) &&
        cx > m_indent)
        SetIndent(cx);
    return before;
}

void DrawnTreeBaseC::RedrawItem(HTREEITEM item)
{
    // A row out of view has nothing to redraw; finding where it would be costs a walk
    // over every row above it.
    int row = RowOfNode(LiveNode(item));
    if (row >= 0 && m_hWnd != nullptr && row >= GetTopIndex() && row < GetEndVisibleIndex())
        InvalidateItem(row);
}

// Notifications.

LRESULT DrawnTreeBaseC::SendTreeNotify(NMHDR *header, UINT code)
{
    header->hwndFrom = m_hWnd;
    header->idFrom = static_cast<UINT_PTR>(m_hWnd != nullptr ? GetDlgCtrlID() : 0);
    header->code = code;
    CWnd *target = GetNotifyTarget();
    if (m_hWnd == nullptr || target == nullptr || target->m_hWnd == nullptr)
        return 0;
    return ::SendMessageA(target->m_hWnd, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

void DrawnTreeBaseC::FillNotifyItem(_Node *node, TV_ITEM *item)
{
    *item = TV_ITEM{};
    if (node == nullptr)
        return;
    item->mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
    item->hItem = reinterpret_cast<HTREEITEM>(node);
    item->stateMask = 0xFFFF;
    GetItem(item, FALSE, FALSE);
}

LRESULT DrawnTreeBaseC::NotifySelection(UINT code, int row, int oldRow, BOOL cause)
{
    NM_TREEVIEW info{};
    info.action = cause == 0 ? TVC_BYKEYBOARD : cause == 1 ? TVC_BYMOUSE : TVC_UNKNOWN;
    if (oldRow != -1)
        FillNotifyItem(NodeOfRow(oldRow), &info.itemOld);
    if (row != -1)
        FillNotifyItem(NodeOfRow(row), &info.itemNew);
    return SendTreeNotify(&info.hdr, code);
}

LRESULT DrawnTreeBaseC::OnSelChanging(int row, int oldRow, BOOL cause)
{
    return NotifySelection(TVN_SELCHANGINGA, row, oldRow, cause);
}

void DrawnTreeBaseC::OnSelChanged(int row, int oldRow, BOOL cause)
{
    NotifySelection(TVN_SELCHANGEDA, row, oldRow, cause);
}

LRESULT DrawnTreeBaseC::NotifyItemGetDispInfo(TV_ITEM *item)
{
    NMTVDISPINFOA info{};
    info.item = *item;
    LRESULT answer = SendTreeNotify(&info.hdr, TVN_GETDISPINFOA);
    *item = info.item;
    return answer;
}

void DrawnTreeBaseC::NotifyItemSetDispInfo(TV_ITEM *item)
{
    NMTVDISPINFOA info{};
    info.item = *item;
    SendTreeNotify(&info.hdr, TVN_SETDISPINFOA);
}

LRESULT DrawnTreeBaseC::NotifyItemExpanding(HTREEITEM item, UINT code)
{
    NM_TREEVIEW info{};
    info.action = code;
    FillNotifyItem(LiveNode(item), &info.itemNew);
    return SendTreeNotify(&info.hdr, TVN_ITEMEXPANDINGA);
}

void DrawnTreeBaseC::NotifyItemExpanded(HTREEITEM item, UINT code)
{
    NM_TREEVIEW info{};
    info.action = code;
    _Node *node = LiveNode(item);
    FillNotifyItem(node, &info.itemNew);
    info.itemNew.state = node != nullptr && node->IsExpanded() ? TVIS_EXPANDED : 0;
    SendTreeNotify(&info.hdr, TVN_ITEMEXPANDEDA);
}

void DrawnTreeBaseC::NotifyItemDeleted(HTREEITEM item)
{
    NM_TREEVIEW info{};
    info.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
    info.itemOld.hItem = item;
    GetItem(&info.itemOld, FALSE, FALSE);
    SendTreeNotify(&info.hdr, TVN_DELETEITEMA);
}

void DrawnTreeBaseC::NotifyDrag(UINT code, int row, CPoint point)
{
    if ((m_treeStyle & TVS_DISABLEDRAGDROP) != 0) {
        m_dragging = FALSE;
        return;
    }
    NM_TREEVIEW info{};
    FillNotifyItem(NodeOfRow(row), &info.itemNew);
    info.ptDrag = point;
    SendTreeNotify(&info.hdr, code);
}

void DrawnTreeBaseC::OnBeginDrag(int row, CPoint point)
{
    NotifyDrag(TVN_BEGINDRAGA, row, point);
}

void DrawnTreeBaseC::OnBeginRightDrag(int row, CPoint point)
{
    NotifyDrag(TVN_BEGINRDRAGA, row, point);
}

LRESULT DrawnTreeBaseC::NotifyBeginLabelEdit(int row, int subItem)
{
    if (subItem != 0)
        return DrawnListCtrl::NotifyBeginLabelEdit(row, subItem);
    NMTVDISPINFOA info{};
    FillNotifyItem(NodeOfRow(row), &info.item);
    info.item.mask |= TVIF_TEXT;
    return SendTreeNotify(&info.hdr, TVN_BEGINLABELEDITA);
}

LRESULT DrawnTreeBaseC::NotifyEndLabelEdit(int row, int subItem, CString *text, BOOL confirmed)
{
    if (subItem != 0)
        return DrawnListCtrl::NotifyEndLabelEdit(row, subItem, text, confirmed);
    NMTVDISPINFOA info{};
    FillNotifyItem(NodeOfRow(row), &info.item);
    info.item.mask |= TVIF_TEXT;
    std::vector<char> buffer;
    if (confirmed && text != nullptr) {
        buffer.assign(kTextBufferSize, '\0');
        size_t length = std::min(static_cast<size_t>(text->GetLength()), buffer.size() - 1);
        std::memcpy(buffer.data(), static_cast<LPCSTR>(*text), length);
        info.item.pszText = buffer.data();
        info.item.cchTextMax = kTextBufferSize;
    } else {
        info.item.pszText = nullptr;
    }
    LRESULT answer = SendTreeNotify(&info.hdr, TVN_ENDLABELEDITA);
    if (!buffer.empty()) {
        buffer.back() = '\0';
        *text = CString(buffer.data());
    }
    return answer;
}

LRESULT DrawnTreeBaseC::NotifyKeyDown(UINT key)
{
    TV_KEYDOWN info{};
    info.wVKey = static_cast<WORD>(key);
    info.flags = 0;
    return SendTreeNotify(&info.hdr, TVN_KEYDOWN);
}
