// Painting: the header, the rows cell by cell, the grid, through an off-screen buffer.
#include "drawnlistbase.h"

#include "afxdc.h"
#include "drawing.h"
#include "drawnbufferdc.h"
#include "gdiobjects.h"
#include "imagelist.h"
#include "syscolors.h"
#include "textdraw.h"

#include <algorithm>
#include <cstring>
#include <memory>

int QelDrawnListVScrollWidth();
int QelDrawnListHScrollHeight();

namespace {

COLORREF g_menuColor, g_menuTextColor, g_buttonFace;
CPen *g_horzGridPen = nullptr;
CPen *g_vertGridPen = nullptr;

CPen *GridPen(CPen *&pen)
{
    if (pen == nullptr) {
        pen = new CPen;
        pen->CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    }
    return pen;
}

int SingleLineLength(LPCSTR text)
{
    const char *end = std::strchr(text, '\n');
    return end != nullptr ? static_cast<int>(end - text) : static_cast<int>(std::strlen(text));
}

UINT Alignment(const DrawnListColumn *column)
{
    if (column == nullptr)
        return DT_LEFT;
    return column->format == LVCFMT_RIGHT ? DT_RIGHT : column->format == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
}

} // namespace

void DrawnListBaseC::LoadSharedColors()
{
    g_menuColor = GetSysColor(COLOR_MENU);
    g_menuTextColor = GetSysColor(COLOR_MENUTEXT);
    g_buttonFace = GetSysColor(COLOR_BTNFACE);
}

void DrawnListBaseC::DeleteGridPens()
{
    delete g_horzGridPen;
    delete g_vertGridPen;
    g_horzGridPen = g_vertGridPen = nullptr;
}

CPen *DrawnListBaseC::GetHorzGridPen()
{
    return GridPen(g_horzGridPen);
}

CPen *DrawnListBaseC::GetVertGridPen()
{
    return GridPen(g_vertGridPen);
}

bool DrawnListBaseC::IsFocused()
{
    HWND focus = ::GetFocus();
    return focus != nullptr && focus == m_hWnd;
}

BOOL DrawnListBaseC::ShowsSelection()
{
    return IsFocused() || HasStyle(DLS_SHOWSELALWAYS);
}

// Colours of the cell under paint.

void DrawnListBaseC::SetPaintBkColor(DrawnListPaintContext *context)
{
    context->windowBackground = GetBkColor();
}

void DrawnListBaseC::SetPaintLabelBkColor(DrawnListPaintContext *context)
{
    if (!IsWindowEnabled())
        context->labelBackground = g_menuColor;
    else if ((context->item.state & LVIS_SELECTED) != 0 && IsFocused())
        context->labelBackground = GetSelLabelBkColor();
    else
        context->labelBackground = GetLabelBkColor();
}

void DrawnListBaseC::SetPaintColors(DrawnListPaintContext *context)
{
    bool grey = (context->flags & 0x100) != 0;
    bool itemCell = context->columnRecord == nullptr || context->columnRecord->subItem == 0;
    bool selected = (context->item.state & LVIS_SELECTED) != 0 && ShowsSelection() &&
                    (itemCell || HasExtendedStyle(DLS_EX_FULLROWSELECT));
    if (!IsWindowEnabled()) {
        context->text = GetGrayTextColor();
        context->fill = g_menuColor;
        return;
    }
    if (selected && !IsFocused() && m_editRow == -1) {
        context->text = g_menuTextColor;
        context->fill = g_menuColor;
    } else if (selected) {
        context->text = grey ? GetGrayTextColor() : GetSelTextColor();
        context->fill = GetSelBkColor();
    } else {
        context->text = grey ? GetGrayTextColor() : GetTextColor();
        context->fill = GetTextBkColor();
    }
    if (itemCell && context->item.iItem == m_dropRow)
        std::swap(context->text, context->fill);
}

void DrawnListBaseC::SetPaintFont(DrawnListPaintContext *context)
{
    context->font = GetLabelFont();
}

DrawnListPaintContext *DrawnListBaseC::NewPaintContext(CDC *dc)
{
    DrawnListPaintContext *context = new DrawnListPaintContext;
    context->dc = dc;
    context->layout = static_cast<int>(m_listStyle & LVS_TYPEMASK);
    context->item.pszText = m_textBuffer;
    context->item.cchTextMax = 2048;
    return context;
}

void DrawnListBaseC::PreparePaintItem(DrawnListPaintContext *context, int row)
{
    context->record = m_items[static_cast<size_t>(row)];
    LVITEMA &item = context->item;
    item = LVITEMA{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = row;
    item.iSubItem = context->columnRecord != nullptr ? context->columnRecord->subItem : 0;
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.pszText = m_textBuffer;
    item.cchTextMax = 2048;
    m_textBuffer[0] = '\0';
    GetItem(&item, TRUE, TRUE);
    context->storeAnswer = (item.mask & LVIF_DI_SETITEM) != 0;
    if (context->storeAnswer) {
        LVITEMA store{};
        store.mask = LVIF_TEXT | LVIF_DI_SETITEM;
        store.iItem = row;
        store.iSubItem = item.iSubItem;
        store.pszText = m_textBuffer;
        // SetItem re-measures the row it changes; the height being measured stays ours.
        int height = context->record->rowHeight;
        SetItem(&store, FALSE);
        context->record->rowHeight = height;
    }
    SetPaintBkColor(context);
    SetPaintLabelBkColor(context);
    SetPaintColors(context);
    SetPaintFont(context);
}

// The whole paint.

void DrawnListBaseC::OnPaint()
{
    CPaintDC dc(this);
    CRect area(dc.m_ps.rcPaint);
    Paint(&dc, area);
}

BOOL DrawnListBaseC::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

CDC *DrawnListBaseC::NewMemoryDC(CDC *target, const CRect &area)
{
    return new DrawnBufferDC(target, area);
}

void DrawnListBaseC::Paint(CDC *dc, const CRect &area)
{
    CRect client, rows;
    CWnd::GetClientRect(&client);
    GetListClientRect(&rows);
    bool vertical = (m_scrollBarFlags & 0x200000) != 0, horizontal = (m_scrollBarFlags & 0x100000) != 0;
    CRect paintArea(client.left, client.top, vertical ? rows.right : client.right,
                    horizontal ? rows.bottom : client.bottom);
    {
        std::unique_ptr<CDC> memory;
        CDC *target = dc;
        if (!dc->IsPrinting()) {
            memory.reset(NewMemoryDC(dc, paintArea));
            target = memory.get();
        }
        target->FillSolidRect(&paintArea, GetBkColor());
        std::unique_ptr<DrawnListPaintContext> context(NewPaintContext(target));
        if (context->layout == LVS_REPORT && IsHeaderShown())
            PaintHeader(context.get());
        target->IntersectClipRect(&rows);
        CRect rowsToPaint;
        rowsToPaint.IntersectRect(&area, &rows);
        PaintRows(context.get(), dc->IsPrinting() ? rows : rowsToPaint);
    }
    if (vertical && horizontal) {
        CRect corner(rows.right, rows.bottom, client.right, client.bottom);
        dc->FillSolidRect(&corner, g_buttonFace);
    }
}

void DrawnListBaseC::PaintHeader(DrawnListPaintContext *context)
{
    CDC *dc = context->dc;
    CRect client;
    CWnd::GetClientRect(&client);
    CRect header(-m_scrollX, 0, std::max(GetTotalWidth(), static_cast<int>(client.Width()) + 1) - m_scrollX,
                 m_headerHeight);
    CRect visible;
    if (!visible.IntersectRect(&header, &client))
        return;
    CFont *before = dc->SelectObject(GetHeaderFont());
    dc->FillSolidRect(&header, g_buttonFace);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    COLORREF oldText = dc->SetTextColor(GetSysColor(COLOR_BTNTEXT));
    for (int c = 0; c < GetColumnCount(); ++c) {
        DrawnListColumn *column = m_columns[static_cast<size_t>(c)];
        CRect part(GetColumnLeft(c), 0, GetColumnRight(c), m_headerHeight);
        dc->DrawFrameControl(&part, DFC_BUTTON, DFCS_BUTTONPUSH);
        CRect space = part;
        space.DeflateRect(5, 0);
        UINT format = DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | Alignment(column);
        if (dc->GetTextExtent(column->text).cx > space.Width())
            format |= DT_END_ELLIPSIS;
        dc->DrawText(column->text, &space, format);
    }
    CRect rest(GetColumnRight(GetColumnCount() - 1), 0, client.right + 2, m_headerHeight);
    if (GetColumnCount() == 0)
        rest.left = -m_scrollX;
    if (rest.right > rest.left)
        dc->DrawFrameControl(&rest, DFC_BUTTON, DFCS_BUTTONPUSH);
    dc->SetTextColor(oldText);
    dc->SetBkMode(oldMode);
    dc->SelectObject(before);
}

void DrawnListBaseC::PaintRows(DrawnListPaintContext *context, const CRect &area)
{
    CRect rows;
    GetListClientRect(&rows);
    int total = GetTotalWidth();
    int y = rows.top, whole = 0;
    for (int row = m_topIndex; row < GetItemCount(); ++row) {
        if (NeedsDispInfo(row))
            m_items[static_cast<size_t>(row)]->rowHeight = -1;
        int height = RowHeight(row);
        CRect rowRect(-m_scrollX, y, total - m_scrollX, y + height);
        CRect overlap;
        if (context->dc->IsPrinting() || overlap.IntersectRect(&rowRect, &area))
            PaintRow(context, row, rowRect, area);
        y += height;
        if (y > rows.bottom)
            break;
        ++whole;
    }
    // The bar's page is the rows shown whole, so that the last row can be scrolled to.
    if (!context->dc->IsPrinting() && (m_scrollBarFlags & 0x200000) != 0 && m_scrollBars[1].m_hWnd != nullptr) {
        SCROLLINFO info{};
        info.fMask = SIF_POS | SIF_PAGE;
        info.nPos = m_topIndex;
        info.nPage = static_cast<UINT>(whole);
        m_scrollBars[1].SetScrollInfo(&info, TRUE);
    }
}

void DrawnListBaseC::PaintRow(DrawnListPaintContext *context, int row, const CRect &rowRect, const CRect &area)
{
    DrawnListItem *record = m_items[static_cast<size_t>(row)];
    int columns = GetColumnCount();
    for (int c = 0; c < columns; ++c) {
        DrawnListColumn *column = m_columns[static_cast<size_t>(c)];
        CRect cell(GetColumnLeft(c), rowRect.top, GetColumnRight(c), rowRect.bottom);
        if (columns < 2)
            cell = rowRect;
        CRect overlap;
        if (!context->dc->IsPrinting() && !overlap.IntersectRect(&cell, &area))
            continue;
        context->column = c;
        context->columnRecord = column;
        context->subRecord = column->subItem >= 1 && column->subItem <= static_cast<int>(record->subItems.size())
                                 ? record->subItems[static_cast<size_t>(column->subItem - 1)]
                                 : nullptr;
        context->cell = cell;
        PreparePaintItem(context, row);
        DrawCell(context);
    }
    if (context->layout != LVS_REPORT)
        return;
    if (HasExtendedStyle(DLS_EX_FULLROWSELECT) && row == m_focusRow && IsFocused() && columns > 1) {
        int itemLeft = -m_scrollX;
        for (int c = 0; c < columns; ++c)
            if (m_columns[static_cast<size_t>(c)]->subItem == 0)
                itemLeft = GetColumnLeft(c);
        CRect focus(itemLeft + record->label.left - 3, rowRect.top, rowRect.right, rowRect.bottom);
        context->dc->DrawFocusRect(&focus);
    }
    if (HasExtendedStyle(DLS_EX_COLUMNLINES))
        DrawColumnLines(context, rowRect, row == GetItemCount() - 1);
    if (HasExtendedStyle(DLS_EX_ROWLINES))
        DrawRowLine(context, rowRect);
}

void DrawnListBaseC::DrawCell(DrawnListPaintContext *context)
{
    context->dc->FillSolidRect(&context->cell, context->windowBackground);
    LPCSTR text = context->item.pszText;
    if (text == nullptr || IsCallbackText(text) || *text == '\0')
        return;
    if (context->columnRecord == nullptr || context->columnRecord->subItem == 0)
        DrawIcon(context);
    DrawLabel(context);
}

void DrawnListBaseC::DrawIcon(DrawnListPaintContext *context)
{
    DrawnListItem *record = context->record;
    CImageList *list = m_imageLists[context->layout == 0 ? LVSIL_NORMAL : LVSIL_SMALL];
    if (list == nullptr || record->icon.IsRectEmpty())
        return;
    int image = record->image;
    if (image == I_IMAGECALLBACK) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = context->item.iItem;
        GetItem(&item, TRUE, TRUE);
        image = item.iImage;
    }
    CPoint at(context->cell.left + record->icon.left, context->cell.top + record->icon.top);
    if (context->layout == 0)
        at.x = context->cell.left + record->label.left + (record->label.Width() - record->icon.Width()) / 2;
    ImageList_Draw(list->m_hImageList, image, *context->dc, at.x, at.y, ILD_TRANSPARENT);
}

void DrawnListBaseC::DrawLabel(DrawnListPaintContext *context)
{
    CDC *dc = context->dc;
    const CRect &cell = context->cell;
    DrawnListItem *record = context->record;
    bool itemCell = context->columnRecord == nullptr || context->columnRecord->subItem == 0;
    CRect label = itemCell ? record->label : context->subRecord != nullptr ? context->subRecord->label : CRect();
    CRect text(cell.left + 5, cell.top, cell.right - 5, cell.bottom);
    // The highlight runs from the cell's left to the label's right edge, so it covers the
    // text that is drawn in the shrunk rectangle.
    CRect highlight(cell.left, cell.top, cell.left + label.right, cell.bottom);
    if (context->layout == 0) {
        text = label;
        text.OffsetRect(cell.left, cell.top);
        highlight = text;
        highlight.InflateRect(2, 0);
    } else if (itemCell && !record->icon.IsRectEmpty()) {
        text.top += 3;
        text.left = cell.left + record->icon.right + 4;
        highlight = CRect(cell.left + record->icon.right + 2, cell.top + record->icon.top,
                          cell.left + label.right + 2, cell.top + record->icon.bottom);
    }
    if (HasExtendedStyle(DLS_EX_FULLROWSELECT)) {
        highlight.right = cell.right;
        dc->FillSolidRect(&highlight, context->fill);
    } else if (itemCell) {
        dc->FillSolidRect(&highlight, context->fill);
    }
    if (context->item.iItem == m_editRow && context->column == m_clickedColumn)
        return;
    CFont *before = dc->SelectObject(context->font);
    COLORREF oldText = dc->SetTextColor(context->text);
    COLORREF oldBk = dc->SetBkColor(context->labelBackground);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    UINT format = DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | Alignment(context->columnRecord);
    LPCSTR value = context->item.pszText;
    int length = static_cast<int>(std::strlen(value));
    if (HasStyle(LVS_NOLABELWRAP)) {
        format |= DT_SINGLELINE | DT_END_ELLIPSIS;
        length = SingleLineLength(value);
    }
    dc->DrawText(value, length, &text, format);
    dc->SetBkMode(oldMode);
    dc->SetBkColor(oldBk);
    dc->SetTextColor(oldText);
    dc->SelectObject(before);
}

void DrawnListBaseC::DrawRowLine(DrawnListPaintContext *context, const CRect &rowRect)
{
    CDC *dc = context->dc;
    CPen *before = dc->SelectObject(GetHorzGridPen());
    dc->MoveTo(rowRect.left, rowRect.bottom - 1);
    dc->LineTo(rowRect.right, rowRect.bottom - 1);
    dc->SelectObject(before);
}

void DrawnListBaseC::DrawColumnLines(DrawnListPaintContext *context, const CRect &rowRect, BOOL lastRow)
{
    CDC *dc = context->dc;
    CPen *before = dc->SelectObject(GetVertGridPen());
    int columns = GetColumnCount();
    for (int c = 0; c < columns; ++c) {
        if (c == columns - 1 && HasExtendedStyle(DLS_EX_FILLITEMCOLUMN))
            break;
        int x = GetColumnRight(c) - 1;
        dc->MoveTo(x, rowRect.top);
        dc->LineTo(x, rowRect.bottom);
    }
    if (lastRow) {
        dc->MoveTo(rowRect.left, rowRect.bottom - 1);
        dc->LineTo(rowRect.right, rowRect.bottom - 1);
    }
    dc->SelectObject(before);
}

void DrawnListBaseC::InvalidateItem(int row)
{
    InvalidateRows(row, row);
}

void DrawnListBaseC::InvalidateRows(int first, int last)
{
    if (m_hWnd == nullptr || !ValidRow(first))
        return;
    CRect rows;
    GetListClientRect(&rows);
    int top = rows.top;
    if (first >= m_topIndex) {
        if (!RowTop(first, &top))
            return;
    }
    if (top >= rows.bottom)
        return;
    int bottom = rows.bottom;
    if (ValidRow(last) && last >= first && RowTop(last, &bottom))
        bottom += RowHeight(last);
    CRect rect(rows.left, top, rows.right, std::min(bottom, static_cast<int>(rows.bottom)));
    InvalidateRect(&rect, FALSE);
}
