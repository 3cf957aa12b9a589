// Painting column 0 of the tree: indentation with connecting lines, the expand button,
// the state image, the icon and the label. Other columns are the list's.
#include "drawntreebase.h"

#include "afxdc.h"
#include "drawntreepaint.h"
#include "syscolors.h"
#include "textdraw.h"

#include <algorithm>
#include <cstring>

namespace {

const char kHangingIndent[] = "\\{HI}";
const int kTextInset = 1;

CPen *g_textPen = nullptr;
CPen *g_shadowPen = nullptr;
CFont *g_boldFont = nullptr;
// The face the bold font was made from: it is made again only when that changes.
LOGFONT g_boldBase;

CPen *SharedPen(CPen *&pen, int color)
{
    if (pen == nullptr) {
        pen = new CPen;
        pen->CreatePen(PS_SOLID, 1, GetSysColor(color));
    }
    return pen;
}

CFont *BoldOf(CFont *font)
{
    LOGFONT base{};
    if (font == nullptr || font->GetLogFont(&base) == 0)
        return font;
    if (g_boldFont != nullptr && std::memcmp(&base, &g_boldBase, sizeof base) == 0)
        return g_boldFont;
    LOGFONT bold = base;
    bold.lfWeight = 700;
    CFont *made = new CFont;
    if (!made->CreateFontIndirect(&bold)) {
        delete made;
        return font;
    }
    delete g_boldFont;
    g_boldFont = made;
    g_boldBase = base;
    return g_boldFont;
}

bool IsTreeColumn(const DrawnListPaintContext *context)
{
    return context->columnRecord == nullptr || context->columnRecord->subItem == 0;
}

int SingleLineLength(LPCSTR text)
{
    const char *end = std::strchr(text, '\n');
    return end != nullptr ? static_cast<int>(end - text) : static_cast<int>(std::strlen(text));
}

bool Even(int value)
{
    return (value & 1) == 0;
}

} // namespace

void DrawnTreeBaseC::DeleteSharedResources()
{
    delete g_textPen;
    delete g_shadowPen;
    delete g_boldFont;
    g_textPen = g_shadowPen = nullptr;
    g_boldFont = nullptr;
    DeleteGridPens();
}

DrawnListPaintContext *DrawnTreeBaseC::NewPaintContext(CDC *dc)
{
    DrawnTreePaintContext *context = new DrawnTreePaintContext;
    context->dc = dc;
    context->layout = static_cast<int>(m_listStyle & LVS_TYPEMASK);
    context->item.pszText = m_textBuffer;
    context->item.cchTextMax = 2048;
    return context;
}

void DrawnTreeBaseC::PreparePaintItem(DrawnListPaintContext *context, int row)
{
    if (!IsTreeColumn(context)) {
        DrawnListCtrl::PreparePaintItem(context, row);
        return;
    }
    DrawnTreePaintContext *tree = static_cast<DrawnTreePaintContext *>(context);
    context->record = m_items[static_cast<size_t>(row)];
    _Node *node = NodeOfRow(row);
    tree->node = node;
    TV_ITEM &item = tree->treeItem;
    item = TV_ITEM{};
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE | TVIF_HANDLE | TVIF_SELECTEDIMAGE;
    item.hItem = reinterpret_cast<HTREEITEM>(node);
    item.stateMask = 0xFFFF;
    item.pszText = m_textBuffer;
    item.cchTextMax = 2048;
    m_textBuffer[0] = '\0';
    GetItem(&item, TRUE, TRUE);
    // The owner may have gone wild while it answered; the row is read again.
    node = NodeOfRow(row);
    tree->node = node;
    context->record = GetItemRecord(row);
    LVITEMA &list = context->item;
    list = LVITEMA{};
    list.iItem = row;
    list.iSubItem = 0;
    list.pszText = m_textBuffer;
    list.cchTextMax = 2048;
    list.iImage = IsSelected(row) ? item.iSelectedImage : item.iImage;
    UINT state = IsSelected(row) ? LVIS_SELECTED : 0;
    if (row == GetFocusItem())
        state |= LVIS_FOCUSED;
    state |= item.state & (TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK | TVIS_CUT | TVIS_DROPHILITED | TVIS_BOLD);
    list.state = state;
    context->flags = 0;
    DrawnTreeItemFlags flags;
    flags.mask = DTF_DISABLED | DTF_HIDDEN;
    if (node != nullptr && GetItemFlags(reinterpret_cast<HTREEITEM>(node), &flags, TRUE))
        context->flags = flags.value & (DTF_DISABLED | DTF_HIDDEN);
    SetPaintBkColor(context);
    SetPaintColors(context);
    SetPaintFont(context);
    SetPaintLabelBkColor(context);
}

void DrawnTreeBaseC::SetPaintFont(DrawnListPaintContext *context)
{
    context->font = GetLabelFont();
    if (IsTreeColumn(context) && (static_cast<DrawnTreePaintContext *>(context)->treeItem.state & TVIS_BOLD) != 0)
        context->font = BoldOf(context->font);
}

LPCSTR DrawnTreeBaseC::NodeText(_Node *)
{
    return m_textBuffer;
}

void DrawnTreeBaseC::CalcTextRect(CDC *dc, _Node *node, LPCSTR text, CRect *rect)
{
    const UINT kFormat = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    // The text stands one pixel inside the label on either side, clear of the focus
    // rectangle drawn around it.
    int left = rect->left + kTextInset, right = std::max(rect->right - kTextInset, left + 1);
    if (IsMultiLine()) {
        const char *marker = std::strstr(text, kHangingIndent);
        if (marker == nullptr) {
            if (node != nullptr)
                node->m_highlight = 0;
            CRect measure(left, rect->top, right, rect->top);
            if (*text != '\0')
                dc->DrawText(text, static_cast<int>(std::strlen(text)), &measure, kFormat | DT_WORDBREAK);
            rect->bottom = measure.bottom;
            rect->right = measure.right + kTextInset;
        } else {
            CString head(text, static_cast<int>(marker - text) + 1);
            CString tail(marker + sizeof kHangingIndent - 1);
            int headWidth = dc->GetTextExtent(text, static_cast<int>(marker - text)).cx;
            if (node != nullptr) {
                node->m_highlight = 1;
                node->m_head = head;
                node->m_tail = tail;
                node->m_headWidth = headWidth;
            }
            CRect measure(left + headWidth, rect->top, right, rect->top);
            if (!tail.IsEmpty())
                dc->DrawText(tail, &measure, kFormat | DT_WORDBREAK);
            else
                measure.bottom = measure.top + dc->GetTextExtent("X", 1).cy;
            rect->bottom = measure.bottom;
            rect->right = std::max(static_cast<int>(measure.right), left + headWidth) + kTextInset;
        }
        rect->bottom += 2;
        return;
    }
    int length = SingleLineLength(text);
    CRect measure(left, rect->top, left, rect->top);
    if (length > 0)
        dc->DrawText(text, length, &measure, kFormat | DT_SINGLELINE);
    else
        measure.bottom = measure.top + dc->GetTextExtent("X", 1).cy;
    int width = std::max(static_cast<int>(measure.Width()),
                         static_cast<int>(dc->GetTabbedTextExtent(text, length, 0, nullptr).cx));
    rect->right = left + width + kTextInset;
    rect->bottom = measure.bottom + 2;
}

// Geometry of column 0, relative to the cell's top-left corner.

int DrawnTreeBaseC::MeasureCell(DrawnListPaintContext *context)
{
    if (!IsTreeColumn(context))
        return DrawnListCtrl::MeasureCell(context);
    DrawnTreePaintContext *tree = static_cast<DrawnTreePaintContext *>(context);
    DrawnListItem *record = context->record;
    _Node *node = tree->node;
    if (node == nullptr) {
        record->label = record->icon = record->stateIcon = CRect();
        return 0;
    }
    int level = node->GetLevel() - 1;
    bool rootLines = HasRootLines();
    int x0 = level * m_indent + (rootLines ? m_indent : 0);
    CRect stateIcon(x0, 0, x0, 0), icon;
    CImageList *states = GetImageList(TVSIL_STATE);
    CImageList *images = GetImageList(TVSIL_NORMAL);
    int stateIndex = static_cast<int>((tree->treeItem.state & TVIS_STATEIMAGEMASK) >> 12);
    int cx = 0, cy = 0;
    if (states != nullptr && stateIndex >= 1 && stateIndex <= states->GetImageCount() - 1 &&
        ImageList_GetIconSize(states->m_hImageList, &cx, &cy))
        stateIcon = CRect(x0, 0, x0 + cx, cy);
    int image = context->item.iImage;
    int iconLeft = stateIndex != 0 ? static_cast<int>(stateIcon.right) : x0;
    if (images != nullptr && image != DRAWNTREE_NOIMAGE && ImageList_GetIconSize(images->m_hImageList, &cx, &cy))
        icon = CRect(iconLeft, 0, iconLeft + cx, cy);
    int labelLeft = !icon.IsRectEmpty() ? icon.right + 6 : !stateIcon.IsRectEmpty() ? stateIcon.right + 6 : x0 + 6;
    int limit;
    if (GetColumnCount() >= 2) {
        limit = context->cell.Width() - 5;
    } else {
        CRect area;
        GetListClientRect(&area);
        limit = IsMultiLine() ? area.Width() - 5 : 10000;
    }
    CRect label(labelLeft, 0, std::max(limit, labelLeft + 1), 0);
    CFont *before = context->dc->SelectObject(context->font);
    CalcTextRect(context->dc, node, context->item.pszText, &label);
    context->dc->SelectObject(before);
    if (GetColumnCount() >= 2)
        label.right = std::min(static_cast<int>(label.right), std::max(limit, labelLeft));
    int height = std::max({static_cast<int>(icon.Height()), static_cast<int>(stateIcon.Height()),
                           static_cast<int>(label.Height())});
    height += height & 1;
    label.OffsetRect(0, (height - label.Height()) / 2);
    icon.OffsetRect(0, (height - icon.Height()) / 2);
    stateIcon.OffsetRect(0, (height - stateIcon.Height()) / 2);
    record->label = label;
    record->icon = icon;
    record->stateIcon = stateIcon;
    return height;
}

int DrawnTreeBaseC::GetButtonRect(CRect *rect, int row)
{
    _Node *node = NodeOfRow(row);
    CRect cell;
    if (rect == nullptr || node == nullptr || !DrawnListBaseC::GetItemRect(row, &cell, 0))
        return 0;
    return ButtonRectIn(cell, m_items[static_cast<size_t>(row)], node, rect);
}

int DrawnTreeBaseC::ButtonRectIn(const CRect &cell, DrawnListItem *record, _Node *node, CRect *rect)
{
    int level = node->GetLevel() - 1;
    int size, cx, cy;
    // The integer part of height * 20 / 33.
    auto sizeFor = [](int height) { return std::min(15, height * 20 / 33); };
    if (!record->icon.IsRectEmpty()) {
        size = sizeFor(record->icon.Height());
        cx = (level - 1) * m_indent + record->icon.Width() / 2 + cell.left;
        cy = cell.top + (record->icon.top + record->icon.bottom) / 2;
    } else if (!record->stateIcon.IsRectEmpty()) {
        size = sizeFor(record->stateIcon.Height());
        cx = (level - 1) * m_indent + record->stateIcon.Width() / 2 + cell.left;
        cy = cell.top + (record->stateIcon.top + record->stateIcon.bottom) / 2;
    } else {
        size = 8;
        cx = (level - 1) * m_indent + cell.left + 8;
        cy = cell.top + (record->label.top + record->label.bottom) / 2;
    }
    // Even against the scroll origin, so that dotted lines meet the button whatever the
    // scroll position; the move is right or down.
    CPoint origin = GetScrollOrigin();
    if (!Even(cx + origin.x))
        ++cx;
    if (!Even(cy + origin.y))
        ++cy;
    if (HasRootLines())
        cx += m_indent;
    int half = size / 2;
    int grow = Even(size) ? 1 : 0;
    *rect = CRect(cx - half, cy - half, cx - half + size + grow, cy - half + size + grow);
    return half;
}

void DrawnTreeBaseC::DrawHorzLine(CDC *dc, int x1, int x2, int y)
{
    if (dc->IsPrinting()) {
        dc->MoveTo(x1, y);
        dc->LineTo(x2, y);
        return;
    }
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), background = GetBkColor();
    int x = Even(x1 + GetScrollOrigin().x) ? x1 : x1 - 1;
    for (; x < x2; x += 2) {
        if (x >= x1)
            dc->SetPixel(x, y, shadow);
        if (x + 1 < x2)
            dc->SetPixel(x + 1, y, background);
    }
}

void DrawnTreeBaseC::DrawVertLine(CDC *dc, int x, int y1, int y2)
{
    if (dc->IsPrinting()) {
        dc->MoveTo(x, y1);
        dc->LineTo(x, y2);
        return;
    }
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), background = GetBkColor();
    int y = Even(y1 + GetScrollOrigin().y) ? y1 : y1 - 1;
    for (; y < y2; y += 2) {
        if (y >= y1)
            dc->SetPixel(x, y, shadow);
        if (y + 1 < y2)
            dc->SetPixel(x, y + 1, background);
    }
}

void DrawnTreeBaseC::DrawLines(DrawnListPaintContext *context)
{
    DrawnTreePaintContext *tree = static_cast<DrawnTreePaintContext *>(context);
    _Node *node = tree->node;
    int row = context->item.iItem;
    CRect button;
    if (node == nullptr || ButtonRectIn(context->cell, context->record, node, &button) == 0)
        return;
    CDC *dc = context->dc;
    DrawnListItem *record = context->record;
    int cx = (button.left + button.right - 1) / 2, cy = (button.top + button.bottom - 1) / 2;
    int level = node->GetLevel() - 1;
    bool rootLines = HasRootLines();
    const CRect &cell = context->cell;
    int firstImage = !record->stateIcon.IsRectEmpty() ? record->stateIcon.left
                     : !record->icon.IsRectEmpty()    ? record->icon.left
                                                      : record->label.left;
    if (level >= 1 || rootLines)
        DrawHorzLine(dc, cx, cell.left + firstImage - 1, cy);
    if (row > 0 && (level >= 1 || rootLines))
        DrawVertLine(dc, cx, cell.top, cy);
    if (node->IsExpanded() && ItemHasChildren(reinterpret_cast<HTREEITEM>(node))) {
        int below = !record->icon.IsRectEmpty() ? record->icon.Height() / 2 : record->label.Height() / 2;
        DrawVertLine(dc, cx + m_indent, cy + below, cell.bottom);
    }
    int x = cx;
    for (_Node *up = node; up != nullptr && up != m_root; up = up->Parent(), x -= m_indent) {
        if (up->Parent() == m_root && !rootLines)
            break;
        if (up->Next() == nullptr)
            continue;
        DrawVertLine(dc, x, up == node ? cy : cell.top, cell.bottom);
    }
}

void DrawnTreeBaseC::DrawButton(DrawnListPaintContext *context)
{
    DrawnTreePaintContext *tree = static_cast<DrawnTreePaintContext *>(context);
    _Node *node = tree->node;
    CRect button;
    int row = context->item.iItem;
    if (node == nullptr || !ItemHasChildren(reinterpret_cast<HTREEITEM>(node)))
        return;
    // The owner may have changed the tree while it gave the children count.
    node = NodeOfRow(row);
    if (node == nullptr || ButtonRectIn(context->cell, context->record, node, &button) == 0)
        return;
    CDC *dc = context->dc;
    int level = node->GetLevel() - 1;
    bool rootLines = HasRootLines();
    if (level < 1 && !rootLines)
        return;
    dc->FillSolidRect(&button, IsWindowEnabled() ? RGB(255, 255, 255) : GetBkColor());
    CPen *before = dc->SelectObject(SharedPen(g_shadowPen, COLOR_BTNSHADOW));
    dc->MoveTo(button.left, button.top);
    dc->LineTo(button.right - 1, button.top);
    dc->LineTo(button.right - 1, button.bottom - 1);
    dc->LineTo(button.left, button.bottom - 1);
    dc->LineTo(button.left, button.top);
    dc->SelectObject(SharedPen(g_textPen, COLOR_WINDOWTEXT));
    int cx = (button.left + button.right - 1) / 2, cy = (button.top + button.bottom - 1) / 2;
    int d = button.Width() / 3;
    dc->MoveTo(cx - d + 1, cy);
    dc->LineTo(cx + d, cy);
    if (!node->IsExpanded()) {
        dc->MoveTo(cx, cy - d + 1);
        dc->LineTo(cx, cy + d);
    }
    dc->SelectObject(before);
}

void DrawnTreeBaseC::DrawCell(DrawnListPaintContext *context)
{
    if (!IsTreeColumn(context)) {
        DrawnListCtrl::DrawCell(context);
        return;
    }
    DrawnTreePaintContext *tree = static_cast<DrawnTreePaintContext *>(context);
    CDC *dc = context->dc;
    DrawnListItem *record = context->record;
    const CRect &cell = context->cell;
    int row = context->item.iItem;
    dc->FillSolidRect(&cell, context->windowBackground);
    if (tree->node == nullptr)
        return;
    UINT state = tree->treeItem.state;
    CImageList *states = GetImageList(TVSIL_STATE);
    CImageList *images = GetImageList(TVSIL_NORMAL);
    if (states != nullptr && !record->stateIcon.IsRectEmpty()) {
        COLORREF old = states->SetBkColor(context->windowBackground);
        states->Draw(dc, static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12),
                     CPoint(cell.left + record->stateIcon.left, cell.top + record->stateIcon.top), ILD_NORMAL);
        states->SetBkColor(old);
    }
    if (images != nullptr && !record->icon.IsRectEmpty()) {
        int image = context->item.iImage;
        if (image < 0 || image >= images->GetImageCount())
            image = 0;
        COLORREF old = images->SetBkColor(context->windowBackground);
        images->Draw(dc, image, CPoint(cell.left + record->icon.left, cell.top + record->icon.top),
                     ILD_NORMAL | (state & TVIS_OVERLAYMASK));
        images->SetBkColor(old);
    }
    CRect clip;
    dc->GetClipBox(&clip);
    CRect overlap;
    if (overlap.IntersectRect(&clip, &cell)) {
        if ((m_treeStyle & TVS_HASLINES) != 0)
            DrawLines(context);
        if ((m_treeStyle & TVS_HASBUTTONS) != 0)
            DrawButton(context);
    }
    bool editing = row == m_editRow && context->column == m_clickedColumn;
    CRect label = record->label;
    label.OffsetRect(cell.left, cell.top);
    if (HasExtendedStyle(DLS_EX_FULLROWSELECT) && GetColumnCount() > 1)
        label.right = cell.right;
    if (!editing) {
        CFont *before = dc->SelectObject(context->font);
        COLORREF oldText = dc->SetTextColor(context->text);
        COLORREF oldBk = dc->SetBkColor(context->fill);
        int oldMode = dc->SetBkMode(TRANSPARENT);
        dc->FillSolidRect(&label, context->fill);
        CRect text = label;
        text.OffsetRect(0, 1);
        text.DeflateRect(kTextInset, 0);
        LPCSTR value = context->item.pszText;
        const UINT kFormat = DT_NOPREFIX | DT_EXPANDTABS;
        if (!IsMultiLine()) {
            dc->DrawText(value, SingleLineLength(value), &text, kFormat | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        } else if (tree->node->m_highlight != 0) {
            _Node *node = tree->node;
            CRect head(text.left, text.top, std::min(text.left + node->m_headWidth, static_cast<int>(text.right)),
                       text.bottom);
            dc->DrawText(node->m_head, node->m_head.GetLength() - 1, &head, kFormat | DT_SINGLELINE);
            CRect tail(text.left + node->m_headWidth, text.top, text.right, text.bottom);
            dc->DrawText(node->m_tail, &tail, kFormat | DT_WORDBREAK);
        } else {
            dc->DrawText(value, static_cast<int>(std::strlen(value)), &text, kFormat | DT_WORDBREAK);
        }
        dc->SetBkMode(oldMode);
        dc->SetBkColor(oldBk);
        dc->SetTextColor(oldText);
        // The bold font may be made again for the next row: this one lets it go.
        dc->SelectObject(before);
    }
    if (row == GetFocusItem() && IsFocused() && !editing)
        dc->DrawFocusRect(&label);
}
