// The list's geometry: measuring rows, the row area, rows against heights, cell
// rectangles and hit testing.
#include "drawnlistbase.h"

#include "afxdc.h"
#include "syscolors.h"
#include "textdraw.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

int g_cxVScroll = -1;
int g_cyHScroll = -1;

void ReadScrollBarMetrics()
{
    if (g_cxVScroll < 0) {
        g_cxVScroll = GetSystemMetrics(SM_CXVSCROLL);
        g_cyHScroll = GetSystemMetrics(SM_CYHSCROLL);
    }
}

// How many bytes of a single-line label show: up to its first line feed.
int SingleLineLength(LPCSTR text)
{
    const char *end = std::strchr(text, '\n');
    return end != nullptr ? static_cast<int>(end - text) : static_cast<int>(std::strlen(text));
}

} // namespace

int QelDrawnListVScrollWidth()
{
    ReadScrollBarMetrics();
    return g_cxVScroll;
}

int QelDrawnListHScrollHeight()
{
    ReadScrollBarMetrics();
    return g_cyHScroll;
}

void DrawnListBaseC::GetClientRect(CRect *rect)
{
    CWnd::GetClientRect(rect);
}

BOOL DrawnListBaseC::GetListClientRect(CRect *rect)
{
    if (rect == nullptr)
        return FALSE;
    CWnd::GetClientRect(rect);
    if ((m_listStyle & LVS_TYPEMASK) == LVS_REPORT && IsHeaderShown())
        rect->top += m_headerHeight;
    if ((m_scrollBarFlags & 0x200000) != 0)
        rect->right -= QelDrawnListVScrollWidth() - 1;
    if ((m_scrollBarFlags & 0x100000) != 0)
        rect->bottom -= QelDrawnListHScrollHeight() - 1;
    if (rect->bottom < rect->top)
        rect->bottom = rect->top;
    if (rect->right < rect->left)
        rect->right = rect->left;
    return TRUE;
}

CDC *DrawnListBaseC::CreateMeasureDC()
{
    return new CClientDC(this);
}

// Measuring.

int DrawnListBaseC::RowHeight(int row)
{
    DrawnListItem *record = m_items[static_cast<size_t>(row)];
    if (record->rowHeight < 0)
        MeasureRow(row);
    return record->rowHeight + GetRowGap();
}

int DrawnListBaseC::MeasureRow(int row)
{
    return MeasureRowAt(row, nullptr);
}

int DrawnListBaseC::MeasureRowAt(int row, DrawnListPaintContext *context)
{
    DrawnListItem *record = GetItemRecord(row);
    if (record == nullptr)
        return 0;
    std::unique_ptr<CDC> ownDC;
    std::unique_ptr<DrawnListPaintContext> ownContext;
    if (context == nullptr) {
        ownDC.reset(CreateMeasureDC());
        ownContext.reset(NewPaintContext(ownDC.get()));
        context = ownContext.get();
    }
    int saved = context->column;
    int height = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
        DrawnListColumn *column = m_columns[static_cast<size_t>(c)];
        context->column = c;
        context->columnRecord = column;
        context->subRecord = column->subItem >= 1 && column->subItem <= static_cast<int>(record->subItems.size())
                                 ? record->subItems[static_cast<size_t>(column->subItem - 1)]
                                 : nullptr;
        context->cell = CRect(0, 0, column->width, 0);
        PreparePaintItem(context, row);
        height = std::max(height, MeasureCell(context));
    }
    context->column = saved;
    record->rowHeight = height;
    return height;
}

void DrawnListBaseC::MeasureIcon(DrawnListPaintContext *context, CRect *icon)
{
    icon->SetRectEmpty();
    CImageList *list = m_imageLists[context->layout == 0 ? LVSIL_NORMAL : LVSIL_SMALL];
    int cx = 0, cy = 0;
    if (list == nullptr || !ImageList_GetIconSize(list->m_hImageList, &cx, &cy))
        return;
    icon->SetRect(2, 2, 2 + cx, 2 + cy);
}

void DrawnListBaseC::MeasureLabel(DrawnListPaintContext *context, LPCSTR text, int width, CRect *label)
{
    CDC *dc = context->dc;
    CFont *before = dc->SelectObject(context->font);
    UINT format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
    int alignment = context->columnRecord != nullptr ? context->columnRecord->format : LVCFMT_LEFT;
    if (alignment == LVCFMT_RIGHT)
        format |= DT_RIGHT;
    else if (alignment == LVCFMT_CENTER)
        format |= DT_CENTER;
    int length = static_cast<int>(std::strlen(text));
    if (HasStyle(LVS_NOLABELWRAP)) {
        format |= DT_SINGLELINE;
        length = SingleLineLength(text);
    }
    CRect rect(0, 0, std::max(width, 1), 0);
    if (length > 0)
        dc->DrawText(text, length, &rect, format);
    else
        rect.SetRectEmpty();
    dc->SelectObject(before);
    *label = CRect(0, 0, rect.Width(), rect.Height());
}

int DrawnListBaseC::MeasureCell(DrawnListPaintContext *context)
{
    DrawnListItem *record = context->record;
    LPCSTR text = context->item.pszText != nullptr && !IsCallbackText(context->item.pszText) ? context->item.pszText : "";
    bool itemCell = context->columnRecord == nullptr || context->columnRecord->subItem == 0;
    CRect label, icon;
    int height = 0;
    if (*text != '\0') {
        if (itemCell)
            MeasureIcon(context, &icon);
        // The label is measured within the width it is drawn in, so that it never wraps
        // onto a line its row lacks.
        int width = context->cell.Width();
        if (GetColumnCount() < 2) {
            CRect area;
            GetListClientRect(&area);
            width = std::max(width, area.Width());
        }
        int textWidth = context->layout != 0 && !icon.IsRectEmpty() ? width - (icon.right + 4) - 5 : width - 10;
        MeasureLabel(context, text, textWidth, &label);
        if (context->layout == 0) {
            if (!icon.IsRectEmpty())
                label.OffsetRect(8, icon.bottom + 2);
            else
                label.OffsetRect(5, 2);
            height = icon.Height() + label.Height() + 5;
        } else {
            if (!icon.IsRectEmpty())
                label.OffsetRect(icon.right + 5, (icon.Height() - label.Height()) / 2);
            else
                label.OffsetRect(5, 2);
            // The row holds the whole icon rectangle, margin included: a row only as high
            // as the icon would let the next row paint over the icon's last two lines.
            height = std::max(static_cast<int>(icon.bottom), static_cast<int>(label.Height()));
        }
    }
    if (itemCell) {
        record->label = label;
        record->icon = icon;
    } else if (context->subRecord != nullptr) {
        context->subRecord->label = label;
    }
    return height;
}

// Rows against heights.

int DrawnListBaseC::GetRowsHeight(int a, int b, BOOL inclusive)
{
    int low = std::clamp(std::min(a, b), 0, GetItemCount());
    int high = std::clamp(std::max(a, b), 0, GetItemCount() - 1);
    int sum = 0;
    for (int row = low; row < high || (inclusive && row == high && row < GetItemCount()); ++row)
        sum += RowHeight(row);
    return a > b ? -sum : sum;
}

int DrawnListBaseC::CountRowsInHeight(int height, int start, BOOL downwards)
{
    int count = 0, sum = 0;
    for (int row = start; ValidRow(row) && sum < height; row += downwards ? 1 : -1) {
        sum += RowHeight(row);
        ++count;
    }
    return count;
}

int DrawnListBaseC::GetCountAbove()
{
    CRect area;
    GetListClientRect(&area);
    int count = 0, sum = 0;
    for (int row = m_topIndex - 1; row >= 0; --row) {
        sum += RowHeight(row);
        if (sum > area.Height())
            break;
        ++count;
    }
    return count;
}

int DrawnListBaseC::GetCountPerPage()
{
    CRect area;
    GetListClientRect(&area);
    int count = 0, sum = 0, row = m_topIndex;
    for (; row < GetItemCount(); ++row) {
        int height = RowHeight(row);
        if (sum + height > area.Height())
            return count;
        sum += height;
        ++count;
    }
    // The rows after the top do not fill the area: those above that fit count too.
    for (row = m_topIndex - 1; row >= 0; --row) {
        int height = RowHeight(row);
        if (sum + height > area.Height())
            break;
        sum += height;
        ++count;
    }
    return count;
}

int DrawnListBaseC::GetLastPageTop()
{
    CRect area;
    GetListClientRect(&area);
    int sum = 0, top = GetItemCount();
    for (int row = GetItemCount() - 1; row >= 0; --row) {
        sum += RowHeight(row);
        if (sum > area.Height())
            break;
        top = row;
    }
    return std::min(top, std::max(GetItemCount() - 1, 0));
}

int DrawnListBaseC::GetLastVisibleIndex()
{
    CRect area;
    GetListClientRect(&area);
    int sum = 0, last = -1;
    for (int row = m_topIndex; row < GetItemCount(); ++row) {
        sum += RowHeight(row);
        if (sum > area.Height())
            break;
        last = row;
    }
    return last;
}

int DrawnListBaseC::GetEndVisibleIndex()
{
    CRect area;
    GetListClientRect(&area);
    int top = 0;
    for (int row = m_topIndex; row < GetItemCount(); ++row) {
        if (top >= area.Height())
            return row;
        top += RowHeight(row);
    }
    return GetItemCount();
}

int DrawnListBaseC::GetPrevPageTop()
{
    CRect area;
    GetListClientRect(&area);
    int sum = 0, top = m_topIndex;
    for (int row = m_topIndex - 1; row >= 0; --row) {
        sum += RowHeight(row);
        if (sum > area.Height())
            break;
        top = row;
    }
    return top;
}

int DrawnListBaseC::RowFromY(int y)
{
    int count = 0, sum = 0;
    for (int row = 0; row < GetItemCount(); ++row) {
        sum += RowHeight(row);
        if (sum >= y)
            break;
        ++count;
    }
    return count;
}

int DrawnListBaseC::RowFromYInclusive(int y)
{
    int count = 0, sum = 0;
    for (int row = 0; row < GetItemCount(); ++row) {
        sum += RowHeight(row);
        if (sum > y)
            break;
        ++count;
    }
    return count;
}

int DrawnListBaseC::RowFromPoint(CPoint point)
{
    return RowFromY(point.y);
}

void DrawnListBaseC::SetRowHeight(int row, int height)
{
    DrawnListItem *record = GetItemRecord(row);
    if (record != nullptr)
        record->rowHeight = height;
}

void DrawnListBaseC::ResetRowHeights()
{
    for (DrawnListItem *record : m_items)
        record->rowHeight = -1;
}

void DrawnListBaseC::InvalidateAllRowHeights()
{
    ResetRowHeights();
    if (m_hWnd != nullptr) {
        RecalcScrollBars();
        Invalidate(FALSE);
    }
}

void DrawnListBaseC::InvalidateRowHeight(int row)
{
    SetRowHeight(row, -1);
}

int DrawnListBaseC::GetTotalWidth()
{
    if (GetColumnCount() >= 2) {
        int sum = 0;
        for (DrawnListColumn *column : m_columns)
            sum += column->width;
        return sum;
    }
    CRect area;
    GetListClientRect(&area);
    int widest = 0;
    int end = HasStyle(LVS_NOLABELWRAP) ? GetItemCount() : GetEndVisibleIndex();
    for (int row = m_topIndex; row < end; ++row) {
        RowHeight(row);
        widest = std::max(widest, static_cast<int>(m_items[static_cast<size_t>(row)]->label.right) + 5);
    }
    if ((m_listStyle & LVS_TYPEMASK) == LVS_REPORT)
        widest = std::max(widest, area.Width());
    return widest;
}

// Cells.

bool DrawnListBaseC::RowTop(int row, int *top)
{
    if (!ValidRow(row) || row < m_topIndex)
        return false;
    CRect area;
    GetListClientRect(&area);
    int y = area.top;
    for (int r = m_topIndex; r < row; ++r)
        y += RowHeight(r);
    *top = y;
    return true;
}

BOOL DrawnListBaseC::GetCellRect(int row, int column, CRect *rect, int part)
{
    DrawnListColumn *record = GetColumnAt(column);
    int top = 0;
    if (rect == nullptr || record == nullptr || !RowTop(row, &top))
        return FALSE;
    int bottom = top + RowHeight(row);
    CRect cell(GetColumnLeft(column), top, GetColumnRight(column), bottom);
    if (GetColumnCount() < 2)
        cell = CRect(-m_scrollX, top, GetTotalWidth() - m_scrollX, bottom);
    DrawnListItem *item = m_items[static_cast<size_t>(row)];
    switch (part) {
    case 0:
        *rect = cell;
        return TRUE;
    case 1:
        if (record->subItem != 0)
            return FALSE;
        *rect = item->icon;
        break;
    case 2: {
        if (record->subItem == 0) {
            *rect = item->label;
            break;
        }
        if (record->subItem > static_cast<int>(item->subItems.size()))
            return FALSE;
        *rect = item->subItems[static_cast<size_t>(record->subItem - 1)]->label;
        if (record->format == LVCFMT_CENTER) {
            int width = rect->Width();
            rect->left = (record->width - width) / 2;
            rect->right = rect->left + width;
        }
        break;
    }
    default:
        return FALSE;
    }
    rect->OffsetRect(cell.left, cell.top);
    return TRUE;
}

BOOL DrawnListBaseC::GetItemRect(int row, CRect *rect, int part)
{
    for (int c = 0; c < GetColumnCount(); ++c)
        if (m_columns[static_cast<size_t>(c)]->subItem == 0)
            return GetCellRect(row, c, rect, part);
    return FALSE;
}

CString DrawnListBaseC::GetCellText(int row, int column)
{
    DrawnListColumn *record = GetColumnAt(column);
    if (record == nullptr || !ValidRow(row))
        return CString();
    return GetItemText(row, record->subItem);
}

int DrawnListBaseC::HitTest(int x, int y, UINT *flags, int *column)
{
    UINT hit = 0;
    int found = -1, hitColumn = -1;
    CRect client, area;
    CWnd::GetClientRect(&client);
    GetListClientRect(&area);
    if (y < client.top)
        hit |= LVHT_ABOVE;
    if (y >= client.bottom)
        hit |= LVHT_BELOW;
    if (x < client.left)
        hit |= LVHT_TOLEFT;
    if (x >= client.right)
        hit |= LVHT_TORIGHT;
    if (hit == 0) {
        if (GetColumnCount() < 2) {
            hitColumn = GetColumnCount() == 1 ? 0 : -1;
        } else {
            for (int c = 0; c < GetColumnCount(); ++c)
                if (x >= GetColumnLeft(c) && x < GetColumnRight(c))
                    hitColumn = c;
        }
        if (y < area.top) {
            for (int c = 0; c < GetColumnCount(); ++c) {
                int edge = GetColumnRight(c);
                if (x >= edge - 4 && x <= edge + 4) {
                    hit |= DLHT_DIVIDER;
                    hitColumn = c;
                    break;
                }
            }
            if ((hit & DLHT_DIVIDER) == 0 && hitColumn >= 0)
                hit |= DLHT_HEADER;
        } else if (y < area.bottom && x < area.right) {
            int top = area.top;
            for (int row = m_topIndex; row < GetItemCount() && top < area.bottom; ++row) {
                int bottom = top + RowHeight(row);
                if (y >= top && y < bottom) {
                    found = row;
                    hit |= DLHT_ONROW;
                    DrawnListColumn *record = GetColumnAt(hitColumn);
                    if (record != nullptr && record->subItem == 0) {
                        DrawnListItem *item = m_items[static_cast<size_t>(row)];
                        int cellLeft = GetColumnCount() < 2 ? -m_scrollX : GetColumnLeft(hitColumn);
                        CPoint at(x - cellLeft, y - top);
                        if (item->label.PtInRect(at))
                            hit |= LVHT_ONITEMLABEL;
                        else if (item->icon.PtInRect(at))
                            hit |= LVHT_ONITEMICON;
                        else if (item->stateIcon.PtInRect(at))
                            hit |= LVHT_ONITEMSTATEICON;
                        else if (at.x < item->label.left)
                            hit |= DLHT_LEFTOFLABEL;
                        else
                            hit |= DLHT_RIGHTOFLABEL;
                    }
                    break;
                }
                top = bottom;
            }
        }
        if (found < 0 && (hit & (DLHT_DIVIDER | DLHT_HEADER)) == 0)
            hit |= LVHT_NOWHERE;
    }
    if (flags != nullptr)
        *flags = hit;
    if (column != nullptr)
        *column = hitColumn;
    return found;
}
