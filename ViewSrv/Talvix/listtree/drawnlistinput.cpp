// The user's side: the message map, selection with Shift and Ctrl, keys, the mouse,
// focus, and the window's life.
#include "drawnlistbase.h"

#include "afxinputmap.h"
#include "afxpaintmap.h"
#include "dialogresults.h"
#include "dialogs.h"
#include "drawnlistedit.h"
#include "drawnlisttip.h"
#include "windowgeometry.h"

#include <cstdlib>

namespace {

const UINT kKeyHitFlags = 70;
const UINT_PTR kEditTimer = 1;
const UINT kEditDelay = 500;

// What SelectWithModifiers reads of MK_ bits.
const UINT kShiftKey = MK_SHIFT;
const UINT kControlKey = MK_CONTROL;
const UINT kRightButton = MK_RBUTTON;

} // namespace

BEGIN_MESSAGE_MAP(DrawnListBaseC, CWnd)
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_SYSCOLORCHANGE()
ON_WM_KEYDOWN()
ON_WM_SYSKEYDOWN()
ON_WM_GETDLGCODE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
ON_WM_RBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_MOUSEWHEEL()
ON_WM_SETCURSOR()
ON_WM_TIMER()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_VSCROLL()
ON_WM_HSCROLL()
ON_WM_CANCELMODE()
ON_WM_ENABLE()
ON_EN_UPDATE(1, OnEditUpdate)
ON_EN_KILLFOCUS(1, OnEditKillFocus)
END_MESSAGE_MAP()

LRESULT DrawnListBaseC::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CWnd::WindowProc(message, wParam, lParam);
}

void DrawnListBaseC::OnDestroy()
{
    if (m_destroyedFlag != nullptr)
        *m_destroyedFlag = true;
    m_destroyedFlag = nullptr;
    EndLabelEdit(FALSE);
    if (!HasStyle(LVS_SHAREIMAGELISTS))
        for (CImageList *&list : m_imageLists)
            delete list;
    for (CImageList *&list : m_imageLists)
        list = nullptr;
    if (m_tip->m_hWnd != nullptr)
        m_tip->DestroyWindow();
    DeleteAllItems();
    DeleteAllColumns();
    m_subItemCount = 0;
    m_scrollBarFlags = 0;
    CancelEditTimer();
    Default();
}

void DrawnListBaseC::OnSize(UINT, int, int)
{
    PositionScrollBars();
    if (GetColumnCount() > 0) {
        AutoSizeColumns();
        InvalidateAllRowHeights();
    }
}

void DrawnListBaseC::OnSysColorChange()
{
    if (m_followSystemColors)
        LoadColors();
}

// Selection with the keys held.

BOOL DrawnListBaseC::SelectWithModifiers(int row, UINT, UINT keyFlags, BOOL notify)
{
    if (!ValidRow(row))
        return FALSE;
    int oldFocus = m_focusRow;
    bool shift = (keyFlags & kShiftKey) != 0, control = (keyFlags & kControlKey) != 0;
    if (IsMultipleSelection() && (shift || control)) {
        if (m_selectionVeto)
            return FALSE;
        if (control) {
            if (!notify) {
                m_tip->HideTip();
                MoveCaret(row);
                return TRUE;
            }
            m_selectionVeto = static_cast<BOOL>(OnSelChanging(row, oldFocus, notify));
            if (m_selectionVeto)
                return FALSE;
            m_tip->HideTip();
            SetCaret(row, !IsSelected(row));
        } else {
            if (m_anchorRow < 0 || row == m_focusRow)
                return TRUE;
            m_selectionVeto = static_cast<BOOL>(OnSelChanging(row, oldFocus, notify));
            if (m_selectionVeto)
                return FALSE;
            int anchor = m_anchorRow;
            DeselectAllExcept(-1);
            SelectRange(anchor, row, TRUE);
            SetCaret(row, TRUE);
            m_anchorRow = anchor;
            InvalidateRows(std::min(anchor, row), std::max(anchor, row));
        }
        OnSelChanged(row, oldFocus, notify);
        return TRUE;
    }
    if (row == m_focusRow && IsSelected(row))
        return TRUE;
    if ((keyFlags & kRightButton) != 0 && IsSelected(row)) {
        SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
        return TRUE;
    }
    m_selectionVeto = static_cast<BOOL>(OnSelChanging(row, oldFocus, notify));
    if (m_selectionVeto)
        return FALSE;
    m_tip->HideTip();
    DeselectAllExcept(row);
    SetCaret(row, TRUE);
    OnSelChanged(row, oldFocus, notify);
    return TRUE;
}

// Keys.

void DrawnListBaseC::OnKeyDown(UINT key, UINT, UINT)
{
    NotifyKeyDown(key);
    if (m_hWnd == nullptr)
        return;
    int row = m_focusRow, subItem = GetColumnSubItem(m_clickedColumn);
    BOOL shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0, control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    switch (key) {
    case VK_UP:
        OnKeyArrowUp(row, subItem, shift, control);
        break;
    case VK_DOWN:
        OnKeyArrowDown(row, subItem, shift, control);
        break;
    case VK_HOME:
        OnKeyHome(row, subItem, shift, control);
        break;
    case VK_END:
        OnKeyEnd(row, subItem, shift, control);
        break;
    case VK_PRIOR:
        OnKeyPageUp(row, subItem, shift, control);
        break;
    case VK_NEXT:
        OnKeyPageDown(row, subItem, shift, control);
        break;
    case VK_F2:
        OnKeyF2(row, subItem, shift, control);
        break;
    case VK_RETURN:
        OnKeyReturn(row, subItem, shift, control);
        break;
    case VK_SPACE:
        if (ValidRow(row))
            SetCaret(row, !IsSelected(row));
        break;
    case VK_LEFT:
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        OnKeyCollapse(row, subItem, shift, control);
        break;
    case VK_RIGHT:
    case VK_ADD:
    case VK_OEM_PLUS:
        OnKeyExpand(row, subItem, shift, control);
        break;
    case VK_MULTIPLY:
        OnKeyExpandAll(row, subItem, shift, control);
        break;
    case VK_BACK:
        OnKeyBack(row, subItem, shift, control);
        break;
    case VK_TAB:
        if (CWnd *parent = GetParent())
            parent->PostMessage(WM_NEXTDLGCTL, shift ? 1 : 0, 0);
        break;
    case VK_ESCAPE:
        if (CWnd *parent = GetParent())
            parent->PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        break;
    default:
        break;
    }
    Default();
}

void DrawnListBaseC::OnSysKeyDown(UINT key, UINT, UINT)
{
    NotifyKeyDown(key);
    Default();
}

namespace {

UINT KeysOf(BOOL shift, BOOL control)
{
    return (shift ? MK_SHIFT : 0) | (control ? MK_CONTROL : 0);
}

} // namespace

void DrawnListBaseC::OnKeyArrowUp(int row, int, BOOL shift, BOOL control)
{
    if (row > 0 && SelectWithModifiers(row - 1, kKeyHitFlags, KeysOf(shift, control), FALSE)) {
        OnCaretMoved(row - 1, FALSE);
        EnsureVisible(row - 1);
    }
}

void DrawnListBaseC::OnKeyArrowDown(int row, int, BOOL shift, BOOL control)
{
    if (row < GetItemCount() - 1 && SelectWithModifiers(row + 1, kKeyHitFlags, KeysOf(shift, control), FALSE)) {
        OnCaretMoved(row + 1, FALSE);
        EnsureVisible(row + 1);
    }
}

void DrawnListBaseC::OnKeyHome(int, int, BOOL shift, BOOL control)
{
    if (GetItemCount() == 0)
        return;
    if ((m_scrollBarFlags & 0x200000) != 0)
        SendMessage(WM_VSCROLL, SB_TOP, 0);
    SelectWithModifiers(0, kKeyHitFlags, KeysOf(shift, control), FALSE);
    OnCaretMoved(0, FALSE);
    Invalidate(FALSE);
}

void DrawnListBaseC::OnKeyEnd(int, int, BOOL shift, BOOL control)
{
    if (GetItemCount() == 0)
        return;
    if ((m_scrollBarFlags & 0x200000) != 0)
        SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    SelectWithModifiers(GetItemCount() - 1, kKeyHitFlags, KeysOf(shift, control), FALSE);
    OnCaretMoved(GetItemCount() - 1, FALSE);
    Invalidate(FALSE);
}

void DrawnListBaseC::OnKeyPageUp(int row, int subItem, BOOL shift, BOOL control)
{
    if ((m_scrollBarFlags & 0x200000) == 0) {
        OnKeyHome(row, subItem, shift, control);
        return;
    }
    if (row == m_topIndex)
        SendMessage(WM_VSCROLL, SB_PAGEUP, 0);
    SelectWithModifiers(m_topIndex, kKeyHitFlags, KeysOf(shift, control), FALSE);
    OnCaretMoved(m_topIndex, FALSE);
    Invalidate(FALSE);
}

void DrawnListBaseC::OnKeyPageDown(int row, int subItem, BOOL shift, BOOL control)
{
    if ((m_scrollBarFlags & 0x200000) == 0) {
        OnKeyEnd(row, subItem, shift, control);
        return;
    }
    if (row == GetLastVisibleIndex())
        SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    int last = GetLastVisibleIndex();
    SelectWithModifiers(last, kKeyHitFlags, KeysOf(shift, control), FALSE);
    OnCaretMoved(last, FALSE);
    Invalidate(FALSE);
}

void DrawnListBaseC::OnKeyF2(int row, int, BOOL, BOOL)
{
    if (HasStyle(LVS_EDITLABELS))
        EditLabel(row, m_clickedColumn);
}

void DrawnListBaseC::OnKeyReturn(int, int, BOOL, BOOL)
{
    SendNotify(NM_RETURN);
}

// The mouse.

int DrawnListBaseC::GetClickAction(int row, UINT hitFlags)
{
    if (!ValidRow(row))
        return 0;
    if ((hitFlags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)) != 0)
        return 2;
    if ((hitFlags & DLHT_ONROW) == 0 || (hitFlags & LVHT_ONITEMSTATEICON) != 0)
        return 0;
    if (HasExtendedStyle(DLS_EX_FULLROWSELECT))
        return 1;
    if ((hitFlags & DLHT_LEFTOFLABEL) != 0) {
        // Between the icon and the label.
        CRect icon;
        if (GetItemRect(row, &icon, 1) && m_pressPoint.x >= icon.right)
            return 2;
    }
    return 0;
}

void DrawnListBaseC::ButtonPress(UINT keys, CPoint point, bool right)
{
    SetFocus();
    UINT flags = 0;
    int column = -1;
    int row = HitTest(point.x, point.y, &flags, &column);
    if (column >= 0)
        m_clickedColumn = column;
    m_pressPoint = point;
    if (!right && (flags & DLHT_DIVIDER) != 0 && column < GetColumnCount() - 1) {
        int change = TrackColumnDivider(point.x, point.y, column);
        if (change != 0 && m_hWnd != nullptr)
            FinishDividerDrag(column, change);
        return;
    }
    int action = GetClickAction(row, flags);
    if (action != 0) {
        SelectWithModifiers(row, flags, keys | (right ? MK_RBUTTON : 0), TRUE);
        OnCaretMoved(row, TRUE);
    }
    m_tip->HideTip();
    m_dragging = FALSE;
    m_dragArmed = action == 2;
}

void DrawnListBaseC::OnLButtonDown(UINT keys, CPoint point)
{
    ButtonPress(keys, point, false);
}

void DrawnListBaseC::OnRButtonDown(UINT keys, CPoint point)
{
    ButtonPress(keys, point, true);
}

void DrawnListBaseC::OnMouseMove(UINT keys, CPoint point)
{
    if (m_dragging)
        return;
    UINT flags = 0;
    int column = -1;
    int row = HitTest(point.x, point.y, &flags, &column);
    m_overDivider = (flags & DLHT_DIVIDER) != 0;
    if (m_dragArmed && (keys & (MK_LBUTTON | MK_RBUTTON)) != 0 &&
        (std::abs(point.x - m_pressPoint.x) >= 4 || std::abs(point.y - m_pressPoint.y) >= 4)) {
        m_dragging = TRUE;
        m_dragArmed = FALSE;
        m_tip->HideTip();
        if ((keys & MK_LBUTTON) != 0)
            OnBeginDrag(m_focusRow, m_pressPoint);
        else
            OnBeginRightDrag(m_focusRow, m_pressPoint);
        return;
    }
    if (AreLabelTipsEnabled() && HasStyle(LVS_NOLABELWRAP)) {
        if (m_dragging || (row >= 0 && row == m_editRow))
            m_tip->HideTip();
        else
            m_tip->ShowTip(flags, row, column, point.x, point.y);
    }
}

void DrawnListBaseC::OnLButtonUp(UINT, CPoint point)
{
    if (m_dragging) {
        m_dragging = FALSE;
        return;
    }
    m_dragArmed = FALSE;
    UINT flags = 0;
    int column = -1;
    int row = HitTest(point.x, point.y, &flags, &column);
    if (GetClickAction(row, flags) != 0 && row >= 0 && row == m_pendingEditRow) {
        CancelEditTimer();
        m_editTimer = SetTimer(kEditTimer, kEditDelay, nullptr);
    }
    if (HasStyle(LVS_EDITLABELS)) {
        bool labelHit = (flags & LVHT_ONITEMLABEL) != 0 ||
                        (HasExtendedStyle(DLS_EX_FULLROWSELECT) && column > 0 && (flags & DLHT_ONROW) != 0);
        m_pendingEditRow = row >= 0 && IsSelected(row) && labelHit ? row : -1;
    }
    Default();
    SendNotify(NM_CLICK);
}

void DrawnListBaseC::OnTimer(UINT_PTR id)
{
    if (id != kEditTimer) {
        Default();
        return;
    }
    CancelEditTimer();
    if (m_pendingEditRow >= 0 && m_pendingEditRow == m_focusRow)
        EditLabel(m_pendingEditRow, m_clickedColumn);
}

void DrawnListBaseC::CancelEditTimer()
{
    if (m_editTimer != 0 && m_hWnd != nullptr)
        KillTimer(kEditTimer);
    m_editTimer = 0;
}

void DrawnListBaseC::OnLButtonDblClk(UINT, CPoint)
{
    m_pendingEditRow = -1;
    CancelEditTimer();
    Default();
    SendNotify(NM_DBLCLK);
}

void DrawnListBaseC::OnRButtonUp(UINT, CPoint)
{
    if (m_dragging) {
        m_dragging = FALSE;
        return;
    }
    m_dragArmed = FALSE;
    m_tip->HideTip();
    Default();
    SendNotify(NM_RCLICK);
}

BOOL DrawnListBaseC::OnSetCursor(CWnd *, UINT hitTest, UINT)
{
    if (hitTest == HTCLIENT && m_dividerCursor != nullptr) {
        CPoint at;
        ::GetCursorPos(&at);
        ScreenToClient(&at);
        UINT flags = 0;
        HitTest(at.x, at.y, &flags, nullptr);
        m_overDivider = (flags & DLHT_DIVIDER) != 0;
        if (m_overDivider) {
            ::SetCursor(m_dividerCursor);
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

void DrawnListBaseC::OnCancelMode()
{
    m_tip->HideTip();
    Default();
}

void DrawnListBaseC::OnEnable(BOOL enable)
{
    if (!enable)
        m_tip->HideTip();
    Invalidate(FALSE);
}

void DrawnListBaseC::OnSetFocus(CWnd *)
{
    Default();
    if (HasStyle(LVS_SINGLESEL) && ValidRow(m_focusRow))
        InvalidateItem(m_focusRow);
    else
        Invalidate(FALSE);
    SendNotify(NM_SETFOCUS);
}

void DrawnListBaseC::OnKillFocus(CWnd *next)
{
    if (next != nullptr && next->m_hWnd != nullptr && next->m_hWnd == m_edit->m_hWnd)
        return;
    EndLabelEdit(TRUE);
    if (HasStyle(LVS_SINGLESEL) && ValidRow(m_focusRow))
        InvalidateItem(m_focusRow);
    else
        Invalidate(FALSE);
    SendNotify(NM_KILLFOCUS);
}

CWnd *DrawnListBaseC::CaptureMouse(BOOL capture)
{
    if (!capture)
        return nullptr;
    return CWnd::FromHandle(::SetCapture(m_hWnd));
}
