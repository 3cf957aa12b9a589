// The tree's keys, mouse, hit testing, label editing and window destruction.
#include "drawntreebase.h"

#include "afxinputmap.h"
#include "drawnlisttip.h"
#include "userinput.h"

BEGIN_MESSAGE_MAP(DrawnTreeBaseC, DrawnListCtrl)
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

void DrawnTreeBaseC::OnDestroy()
{
    // The owner hears of every node, children first, while the window still exists.
    DeleteItem(TVI_ROOT);
    DrawnListCtrl::OnDestroy();
}

HTREEITEM DrawnTreeBaseC::HitTest(int x, int y, UINT *flags)
{
    UINT listFlags = 0;
    int column = -1;
    int row = DrawnListBaseC::HitTest(x, y, &listFlags, &column);
    UINT hit = 0;
    _Node *node = nullptr;
    if (row >= 0) {
        hit = 0x4000;
        DrawnListColumn *record = GetColumnAt(column);
        if (record != nullptr && record->subItem == 0) {
            node = NodeOfRow(row);
            if ((listFlags & LVHT_ONITEMLABEL) != 0) {
                hit |= TVHT_ONITEMLABEL;
            } else if ((listFlags & LVHT_ONITEMICON) != 0) {
                hit |= TVHT_ONITEMICON;
            } else if ((listFlags & LVHT_ONITEMSTATEICON) != 0) {
                hit |= TVHT_ONITEMSTATEICON;
            } else if ((listFlags & DLHT_RIGHTOFLABEL) != 0) {
                hit |= TVHT_ONITEMRIGHT;
            } else {
                CRect button;
                bool onButton = (m_treeStyle & TVS_HASBUTTONS) != 0 && ItemHasChildren(reinterpret_cast<HTREEITEM>(node)) &&
                                GetButtonRect(&button, row) > 0 && button.PtInRect(CPoint(x, y));
                hit |= onButton ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
            }
        } else if (HasExtendedStyle(DLS_EX_FULLROWSELECT)) {
            node = NodeOfRow(row);
        }
    } else {
        if ((listFlags & LVHT_ABOVE) != 0)
            hit |= TVHT_ABOVE;
        if ((listFlags & LVHT_BELOW) != 0)
            hit |= TVHT_BELOW;
        if ((listFlags & LVHT_TOLEFT) != 0)
            hit |= TVHT_TOLEFT;
        if ((listFlags & LVHT_TORIGHT) != 0)
            hit |= TVHT_TORIGHT;
        if ((listFlags & DLHT_HEADER) != 0)
            hit |= 0x1000;
        if ((listFlags & DLHT_DIVIDER) != 0)
            hit |= 0x2000;
        if (hit == 0)
            hit = TVHT_NOWHERE;
    }
    if (flags != nullptr)
        *flags = hit;
    return reinterpret_cast<HTREEITEM>(node);
}

void DrawnTreeBaseC::OnLButtonDown(UINT keys, CPoint point)
{
    SetFocus();
    UINT flags = 0;
    HTREEITEM item = HitTest(point.x, point.y, &flags);
    if (item != nullptr && (flags & TVHT_ONITEMBUTTON) != 0) {
        m_tip->HideTip();
        Toggle(LiveNode(item));
        return;
    }
    DrawnListCtrl::OnLButtonDown(keys, point);
}

void DrawnTreeBaseC::OnLButtonDblClk(UINT keys, CPoint point)
{
    DrawnListCtrl::OnLButtonDblClk(keys, point);
    if (m_hWnd == nullptr || m_lastNotifyResult != 0 || (keys & (MK_SHIFT | MK_CONTROL)) != 0)
        return;
    UINT flags = 0;
    HTREEITEM item = HitTest(point.x, point.y, &flags);
    if (item != nullptr && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMBUTTON)) != 0)
        Toggle(LiveNode(item));
}

// Keys (the owner has heard TVN_KEYDOWN first).

void DrawnTreeBaseC::OnKeyCollapse(int row, int, BOOL, BOOL)
{
    m_tip->HideTip();
    _Node *node = NodeOfRow(row);
    if (node == nullptr)
        return;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(node);
    if (node->IsExpanded() && node->GetFirstChild() != nullptr) {
        Expand(item, TVE_COLLAPSE, TRUE);
        return;
    }
    HTREEITEM parent = GetParentItem(item);
    if (parent == nullptr)
        return;
    DeselectAllExcept(-1);
    Select(parent, TVGN_CARET);
}

void DrawnTreeBaseC::OnKeyBack(int row, int subItem, BOOL shift, BOOL control)
{
    OnKeyCollapse(row, subItem, shift, control);
}

void DrawnTreeBaseC::OnKeyExpand(int row, int, BOOL, BOOL)
{
    m_tip->HideTip();
    _Node *node = NodeOfRow(row);
    if (node == nullptr)
        return;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(node);
    if (node->IsExpanded() && node->GetFirstChild() != nullptr) {
        DeselectAllExcept(-1);
        Select(reinterpret_cast<HTREEITEM>(node->FirstChild()), TVGN_CARET);
    } else if (ItemHasChildren(item)) {
        Expand(item, TVE_EXPAND, TRUE);
    }
}

void DrawnTreeBaseC::OnKeyExpandAll(int row, int, BOOL, BOOL)
{
    m_tip->HideTip();
    _Node *node = NodeOfRow(row);
    if (node != nullptr)
        ExpandAll(reinterpret_cast<HTREEITEM>(node), TRUE);
}

void DrawnTreeBaseC::OnKeyReturn(int, int, BOOL, BOOL)
{
    SendNotify(NM_RETURN);
}

BOOL DrawnTreeBaseC::EditLabel(HTREEITEM item, int column)
{
    if (!HasStyle(LVS_EDITLABELS) || LiveNode(item) == nullptr || !EnsureVisible(item, FALSE))
        return FALSE;
    int row = RowOfNode(LiveNode(item));
    return row >= 0 && DrawnListBaseC::EditLabel(row, column);
}
