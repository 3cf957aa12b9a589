#include "drawnlisttip.h"

#include "afxdc.h"
#include "afxpaintmap.h"
#include "syscolors.h"
#include "textdraw.h"
#include "userinput.h"
#include "windowfocus.h"
#include "windowgeometry.h"
#include "windowpaint.h"
#include "windowstate.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(DrawnListTip, CWnd)
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL DrawnListTip::MakeWindow()
{
    if (m_hWnd != nullptr)
        return TRUE;
    CWnd *owner = m_owner->GetOwnerWindow();
    LPCTSTR className =
        AfxRegisterWndClass(CS_SAVEBITS | CS_OWNDC | CS_HREDRAW | CS_VREDRAW, LoadCursorA(nullptr, IDC_ARROW));
    return CreateEx(0, className, "", WS_POPUP | WS_BORDER, 0, 0, 0, 0, owner != nullptr ? owner->m_hWnd : nullptr,
                    nullptr);
}

BOOL DrawnListTip::ShowTip(UINT hitFlags, int row, int column, int x, int y)
{
    if (!MakeWindow())
        return FALSE;
    int subItem = column >= 0 ? m_owner->GetColumnSubItem(column) : -1;
    CRect rows, cell, label;
    m_owner->GetListClientRect(&rows);
    bool onText = (hitFlags & 0x4) != 0 || ((hitFlags & 0x2000) != 0 && subItem >= 1);
    if (!onText || row == -1 || column == -1 || ::GetActiveWindow() == nullptr ||
        !m_owner->GetCellRect(row, column, &cell, 0) || !m_owner->GetCellRect(row, column, &label, 2)) {
        HideTip();
        return FALSE;
    }
    int usableRight = std::min(static_cast<int>(cell.right) - 5, static_cast<int>(rows.Width()));
    bool wanted = label.right > usableRight || label.left < rows.left || (m_customText && column % 2 == 0);
    if (!wanted) {
        HideTip();
        return FALSE;
    }
    if (row == m_row && subItem == m_column)
        return TRUE;
    HideTip();
    CString text = m_owner->GetCellText(row, column);
    bool custom = m_customText && column % 2 == 0;
    if (m_customText && !m_customValue.IsEmpty())
        text = m_customValue;
    if (text.IsEmpty())
        return FALSE;
    m_row = row;
    m_column = subItem;
    m_rect = cell;
    m_text = text;

    CPoint topLeft(label.left, label.top), bottomRight(label.right, label.bottom);
    m_owner->ClientToScreenPoint(&topLeft);
    m_owner->ClientToScreenPoint(&bottomRight);
    CRect screen(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    CRect place;
    if (custom) {
        CClientDC dc(this);
        CFont *before = dc.SelectObject(m_owner->GetLabelFont());
        CRect extent(0, 0, 0, 0);
        dc.DrawText(m_text, &extent, DT_CALCRECT | DT_NOPREFIX);
        dc.SelectObject(before);
        CPoint mouse(x, y);
        m_owner->ClientToScreenPoint(&mouse);
        int top = mouse.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 3;
        place = CRect(mouse.x, top, mouse.x + extent.Width() + 6, top + extent.Height() + 3);
        if (place.bottom > screenHeight)
            place.OffsetRect(0, screenHeight - place.bottom);
    } else {
        CPoint cellTop(cell.left, cell.top), cellBottom(cell.left, cell.bottom);
        m_owner->ClientToScreenPoint(&cellTop);
        m_owner->ClientToScreenPoint(&cellBottom);
        place = CRect(screen.left - 1, cellTop.y, screen.left - 1 + screen.Width() + 3, cellBottom.y);
    }
    // The tip stays on the screen, its left edge first.
    if (place.right > screenWidth)
        place.OffsetRect(screenWidth - place.right, 0);
    if (place.left < 0)
        place.OffsetRect(-place.left, 0);
    SetWindowPos(nullptr, place.left, place.top, place.Width(), place.Height(), SWP_NOACTIVATE | SWP_NOZORDER);
    ShowWindow(SW_SHOWNOACTIVATE);
    m_owner->CaptureMouse(TRUE);
    m_captured = TRUE;
    UpdateTip();
    return TRUE;
}

void DrawnListTip::HideTip()
{
    CWnd *owner = m_owner->GetOwnerWindow();
    if (m_hWnd != nullptr && IsWindowVisible()) {
        ShowWindow(SW_HIDE);
        if (owner != nullptr && owner->m_hWnd != nullptr)
            owner->RedrawWindow(&m_rect, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    }
    m_row = m_column = -1;
    m_rect.SetRectEmpty();
    if (m_captured && owner != nullptr && owner->m_hWnd != nullptr && ::GetCapture() == owner->m_hWnd)
        ::ReleaseCapture();
    m_captured = FALSE;
}

void DrawnListTip::UpdateTip()
{
    if (m_hWnd != nullptr && IsWindowVisible()) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

void DrawnListTip::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    bool selected = m_owner->IsSelected(m_row) && !m_customText;
    dc.FillSolidRect(&client, selected ? m_owner->GetSelBkColor() : m_owner->GetTipBkColor());
    CFont *before = dc.SelectObject(m_owner->GetLabelFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(selected ? m_owner->GetSelTextColor() : m_owner->GetTipTextColor());
    CRect text = client;
    text.left += 2;
    dc.DrawText(m_text, &text,
                DT_NOPREFIX | DT_EXPANDTABS | (m_customText ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER));
    dc.SelectObject(before);
}

void DrawnListTip::OnDestroy()
{
    m_row = -1;
    CWnd *owner = m_owner->GetOwnerWindow();
    if (m_captured && owner != nullptr && owner->m_hWnd != nullptr && ::GetCapture() == owner->m_hWnd)
        ::ReleaseCapture();
    m_captured = FALSE;
    Default();
}
