// Scrolling: the top row, the horizontal offset, the two scroll-bar windows, the wheel,
// and dragging a column divider.
#include "drawnlistbase.h"

#include "afxdc.h"
#include "afxexcept.h"
#include "drawnlisttip.h"
#include "userinput.h"
#include "windowgeometry.h"
#include "windowmessages.h"

#include <algorithm>
#include <cstdlib>

int QelDrawnListVScrollWidth();
int QelDrawnListHScrollHeight();

namespace {

const DWORD kHorzShown = 0x100000;
const DWORD kVertShown = 0x200000;
const int kLineWidth = 15;

} // namespace

CScrollBar *DrawnListBaseC::GetScrollBarCtrl(int bar) const
{
    int index = bar == SB_HORZ ? 0 : bar == SB_VERT ? 1 : -1;
    if (index < 0 || m_scrollBars[index].m_hWnd == nullptr)
        return nullptr;
    return const_cast<CScrollBar *>(&m_scrollBars[index]);
}

CScrollBar *DrawnListBaseC::CreateScrollBar(int which)
{
    CScrollBar &bar = m_scrollBars[which];
    if (bar.m_hWnd == nullptr &&
        !bar.Create(WS_CHILD | WS_VISIBLE | (which == 1 ? SBS_VERT : SBS_HORZ), CRect(0, 0, 0, 0), this,
                    which == 1 ? DRAWNLIST_VSCROLL_ID : DRAWNLIST_HSCROLL_ID))
        AfxThrowResourceException();
    return &bar;
}

void DrawnListBaseC::ShowScrollBar(int which, BOOL show, SCROLLINFO *info)
{
    if (HasStyle(LVS_NOSCROLL))
        show = FALSE;
    for (int bar = 0; bar < 2; ++bar) {
        if (which != bar && which != SB_BOTH)
            continue;
        DWORD flag = bar == 0 ? kHorzShown : kVertShown;
        bool was = (m_scrollBarFlags & flag) != 0;
        if (show) {
            CScrollBar *control = CreateScrollBar(bar);
            if (info != nullptr)
                control->SetScrollInfo(info, TRUE);
            m_scrollBarFlags |= flag;
        } else {
            m_scrollBarFlags &= ~flag;
        }
        if (m_scrollBars[bar].m_hWnd != nullptr && was != (show != FALSE)) {
            m_scrollBars[bar].ShowWindow(show ? SW_SHOWNA : SW_HIDE);
            Invalidate(FALSE);
        }
    }
}

void DrawnListBaseC::PositionScrollBars()
{
    CRect rows;
    GetListClientRect(&rows);
    bool header = (m_listStyle & LVS_TYPEMASK) == LVS_REPORT && IsHeaderShown();
    if (m_scrollBars[0].m_hWnd != nullptr)
        m_scrollBars[0].MoveWindow(rows.left, rows.bottom, rows.Width() + 1, QelDrawnListHScrollHeight(), TRUE);
    if (m_scrollBars[1].m_hWnd != nullptr)
        m_scrollBars[1].MoveWindow(rows.right, 0, QelDrawnListVScrollWidth(),
                                   rows.Height() + 1 + (header ? m_headerHeight : 0), TRUE);
}

void DrawnListBaseC::UpdateVertScroll(int count)
{
    CRect before;
    GetListClientRect(&before);
    int perPage = GetCountPerPage();
    if (count > perPage) {
        int lastTop = GetLastPageTop();
        if (m_topIndex > lastTop)
            m_topIndex = lastTop;
        SCROLLINFO info{};
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = count - 1;
        info.nPage = static_cast<UINT>(GetCountPerPage());
        info.nPos = m_topIndex;
        ShowScrollBar(SB_VERT, TRUE, &info);
    } else {
        if (m_topIndex != 0) {
            m_topIndex = 0;
            Invalidate(FALSE);
        }
        ShowScrollBar(SB_VERT, FALSE, nullptr);
    }
    CRect after;
    GetListClientRect(&after);
    if (!after.EqualRect(&before) && AutoSizeColumns())
        Invalidate(FALSE);
}

void DrawnListBaseC::UpdateHorzScroll(int width)
{
    CRect rows;
    GetListClientRect(&rows);
    if (width <= rows.Width()) {
        m_scrollX = 0;
        ShowScrollBar(SB_HORZ, FALSE, nullptr);
        return;
    }
    m_scrollX = std::clamp(m_scrollX, 0, width - rows.Width());
    SCROLLINFO info{};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    // The last offset, width - page, is then the bar's last position.
    info.nMax = width - 1;
    info.nPage = static_cast<UINT>(rows.Width());
    info.nPos = m_scrollX;
    ShowScrollBar(SB_HORZ, TRUE, &info);
}

void DrawnListBaseC::RecalcScrollBars()
{
    if (m_hWnd == nullptr)
        return;
    UpdateVertScroll(GetScrollRowCount());
    if (IsMultiLine())
        ResetRowHeights();
    UpdateHorzScroll(GetTotalWidth());
    UpdateVertScroll(GetScrollRowCount());
    PositionScrollBars();
}

void DrawnListBaseC::FitItemColumn()
{
    CRect rows;
    GetListClientRect(&rows);
    int others = 0;
    DrawnListColumn *item = nullptr;
    for (DrawnListColumn *column : m_columns) {
        if (column->subItem == 0 && item == nullptr)
            item = column;
        else
            others += column->width;
    }
    if (item != nullptr)
        item->width = std::max(rows.Width() - others, 0);
}

BOOL DrawnListBaseC::AutoSizeColumns()
{
    if (GetColumnCount() == 1 || HasExtendedStyle(DLS_EX_FILLITEMCOLUMN)) {
        FitItemColumn();
        return TRUE;
    }
    return FALSE;
}

// Vertical scrolling.

void DrawnListBaseC::SetTopIndexAt(int row)
{
    row = std::clamp(row, 0, std::max(GetItemCount() - 1, 0));
    if (row == m_topIndex)
        return;
    m_topIndex = row;
    if (m_scrollBars[1].m_hWnd != nullptr && (m_scrollBarFlags & kVertShown) != 0) {
        SCROLLINFO info{};
        info.fMask = SIF_POS;
        info.nPos = row;
        m_scrollBars[1].SetScrollInfo(&info, TRUE);
    }
    Invalidate(FALSE);
}

void DrawnListBaseC::ScrollRows(int delta, BOOL byPage)
{
    if (!byPage) {
        SetTopIndexAt(m_topIndex + delta);
        return;
    }
    int last = GetLastVisibleIndex();
    int target = std::clamp((last < 0 ? m_topIndex : last) + delta, 0, std::max(GetItemCount() - 1, 0));
    CRect rows;
    GetListClientRect(&rows);
    int top = target, sum = RowHeight(target);
    while (top > 0 && sum + RowHeight(top - 1) <= rows.Height()) {
        --top;
        sum += RowHeight(top);
    }
    if (top > m_topIndex)
        SetTopIndexAt(top);
}

void DrawnListBaseC::EnsureVisible(int row)
{
    if (!ValidRow(row))
        return;
    int last = GetLastVisibleIndex();
    if (last >= 0 && row > last)
        ScrollRows(row - last, TRUE);
    else if (row < m_topIndex)
        SetTopIndexAt(row);
}

void DrawnListBaseC::ScrollRangeIntoView(int first, int last)
{
    if (!ValidRow(first))
        return;
    CRect rows;
    GetListClientRect(&rows);
    int top = first;
    int sum = GetRowsHeight(first, std::min(last, GetItemCount() - 1), TRUE);
    while (top > 0 && sum + RowHeight(top - 1) <= rows.Height()) {
        --top;
        sum += RowHeight(top);
    }
    SetTopIndexAt(top);
}

void DrawnListBaseC::OnVScroll(UINT code, UINT, CScrollBar *)
{
    EndLabelEdit(TRUE);
    m_tip->HideTip();
    SCROLLINFO info{};
    info.nMax = std::max(GetItemCount() - 1, 0);
    info.nPage = static_cast<UINT>(GetCountPerPage());
    info.nPos = info.nTrackPos = m_topIndex;
    if (m_scrollBars[1].m_hWnd != nullptr && (m_scrollBarFlags & kVertShown) != 0)
        m_scrollBars[1].GetScrollInfo(&info, SIF_ALL);
    int lastTop = info.nMax - static_cast<int>(info.nPage) + 1;
    switch (code) {
    case SB_LINEUP:
        if (m_topIndex > 0)
            ScrollRows(-1, FALSE);
        break;
    case SB_LINEDOWN:
        if (info.nPos + static_cast<int>(info.nPage) < info.nMax + 1)
            ScrollRows(1, FALSE);
        break;
    case SB_PAGEUP:
        ScrollRows(-std::max(GetCountAbove(), 1), FALSE);
        break;
    case SB_PAGEDOWN:
        SetTopIndexAt(std::min(m_topIndex + static_cast<int>(info.nPage), lastTop));
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        SetTopIndexAt(info.nTrackPos);
        break;
    case SB_TOP:
        SetTopIndexAt(0);
        break;
    case SB_BOTTOM:
        SetTopIndexAt(lastTop);
        break;
    default:
        break;
    }
}

// Horizontal scrolling.

void DrawnListBaseC::ScrollHorizontal(int dx)
{
    CRect rows;
    GetListClientRect(&rows);
    int offset = std::clamp(m_scrollX - dx, 0, std::max(GetTotalWidth() - rows.Width(), 0));
    if (offset == m_scrollX)
        return;
    m_scrollX = offset;
    if (m_scrollBars[0].m_hWnd != nullptr && (m_scrollBarFlags & kHorzShown) != 0) {
        SCROLLINFO info{};
        info.fMask = SIF_POS;
        info.nPos = offset;
        m_scrollBars[0].SetScrollInfo(&info, TRUE);
    }
    Invalidate(FALSE);
}

void DrawnListBaseC::OnHScroll(UINT code, UINT, CScrollBar *)
{
    EndLabelEdit(TRUE);
    m_tip->HideTip();
    CRect rows;
    GetListClientRect(&rows);
    SCROLLINFO info{};
    info.nTrackPos = m_scrollX;
    if (m_scrollBars[0].m_hWnd != nullptr && (m_scrollBarFlags & kHorzShown) != 0)
        m_scrollBars[0].GetScrollInfo(&info, SIF_ALL);
    switch (code) {
    case SB_LINELEFT:
        ScrollHorizontal(kLineWidth);
        break;
    case SB_LINERIGHT:
        ScrollHorizontal(-kLineWidth);
        break;
    case SB_PAGELEFT:
        ScrollHorizontal(rows.Width());
        break;
    case SB_PAGERIGHT:
        ScrollHorizontal(-rows.Width());
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ScrollHorizontal(m_scrollX - info.nTrackPos);
        break;
    case SB_LEFT:
        ScrollHorizontal(m_scrollX);
        break;
    case SB_RIGHT:
        ScrollHorizontal(m_scrollX - GetTotalWidth());
        break;
    default:
        break;
    }
}

BOOL DrawnListBaseC::OnMouseWheel(UINT, short delta, CPoint)
{
    m_wheelRemainder += delta;
    int notches = m_wheelRemainder / WHEEL_DELTA;
    if (notches == 0)
        return TRUE;
    m_tip->HideTip();
    if ((m_scrollBarFlags & kVertShown) != 0) {
        bool atTop = m_topIndex == 0, atLastPage = m_topIndex >= GetLastPageTop();
        if ((notches > 0 && !atTop) || (notches < 0 && !atLastPage))
            ScrollRows(notches > 0 ? -std::min(notches, m_topIndex)
                                   : std::min(-notches, GetLastPageTop() - m_topIndex),
                       FALSE);
    } else if ((m_scrollBarFlags & kHorzShown) != 0) {
        ScrollHorizontal(kLineWidth * notches);
    }
    m_wheelRemainder = 0;
    return TRUE;
}

// The column divider.

int DrawnListBaseC::TrackColumnDivider(int, int, int column)
{
    HWND holder = ::GetCapture();
    if (holder != nullptr && holder != m_hWnd)
        return 0;
    ::SetCapture(m_hWnd);
    UpdateWindow();
    CRect client;
    CWnd::GetClientRect(&client);
    const int left = GetColumnLeft(column), start = GetColumnRight(column);
    int position = start;
    bool destroyed = false;
    m_destroyedFlag = &destroyed;
    auto line = [&](int x) { return CRect(x, client.top, x + 2, client.bottom); };
    {
        CClientDC dc(this);
        CRect at = line(position);
        dc.DrawDragRect(&at, CSize(1, 1), nullptr, CSize(1, 1));
    }
    auto moveLine = [&](int x) {
        CClientDC dc(this);
        CRect from = line(position), to = line(x);
        dc.DrawDragRect(&to, CSize(1, 1), &from, CSize(1, 1));
        position = x;
    };
    for (;;) {
        MSG message;
        BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT ends the drag; the loop it was meant for gets it again.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            moveLine(start);
            break;
        }
        if (got == -1)
            break;
        bool ours = message.hwnd == m_hWnd;
        if (ours && message.message == WM_MOUSEMOVE) {
            moveLine(std::max(left + 10, static_cast<int>(GET_X_LPARAM(message.lParam))));
            continue;
        }
        if (ours && message.message == WM_LBUTTONUP) {
            moveLine(std::max(left + 10, static_cast<int>(GET_X_LPARAM(message.lParam))));
            break;
        }
        if ((message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) ||
            (ours && message.message == WM_RBUTTONDOWN)) {
            moveLine(start);
            break;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
        if (destroyed)
            return 0;
        if (::GetCapture() != m_hWnd) {
            moveLine(start);
            break;
        }
    }
    m_destroyedFlag = nullptr;
    {
        CClientDC dc(this);
        CRect at = line(position);
        dc.DrawDragRect(nullptr, CSize(1, 1), &at, CSize(1, 1));
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    return position - start;
}

void DrawnListBaseC::FinishDividerDrag(int column, int change)
{
    DrawnListColumn *record = GetColumnAt(column);
    if (record == nullptr)
        return;
    record->width += change;
    if (HasExtendedStyle(DLS_EX_FILLITEMCOLUMN)) {
        if (DrawnListColumn *next = GetColumnAt(column + 1))
            next->width -= change;
        for (DrawnListColumn *each : m_columns)
            if (each->width < 6)
                each->width = 5;
        CRect rows;
        GetListClientRect(&rows);
        int total = 0;
        for (DrawnListColumn *each : m_columns)
            total += each->width;
        // Column 0 gives the excess, but stays 5 wide at least.
        if (total > rows.Width())
            m_columns[0]->width = std::max(m_columns[0]->width - (total - rows.Width()), 5);
    }
    InvalidateAllRowHeights();
    Invalidate(FALSE);
}
