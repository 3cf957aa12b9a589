// The list's data: creation, colours, items, columns, states, styles and image lists.
#include "drawnlistbase.h"

#include "afxexcept.h"
#include "afxmodule.h"
#include "drawnlistedit.h"
#include "drawnlisttip.h"
#include "gdiobjects.h"
#include "syscolors.h"
#include "userinput.h"
#include "windowcreate.h"
#include "windowinfo.h"
#include "windowstate.h"

#include <algorithm>
#include <cstring>

namespace {

const int kTextBufferSize = 2048;
// The list style's bits that the window style carries in at creation, and the extended.
const DWORD kListStyleBits = 0xF3FF;
const DWORD kListExStyleBits = 0x0FF00000;

void CopyText(LPSTR buffer, int size, LPCSTR text)
{
    if (buffer == nullptr || size <= 0)
        return;
    size_t length = text != nullptr ? strnlen(text, static_cast<size_t>(size) - 1) : 0;
    if (length > 0)
        std::memmove(buffer, text, length);
    buffer[length] = '\0';
}

} // namespace

DrawnListBaseC::DrawnListBaseC()
    : m_textBuffer(new char[kTextBufferSize]()), m_tip(new DrawnListTip(this)), m_edit(new DrawnListEdit(this))
{
    LoadColors();
}

DrawnListBaseC::~DrawnListBaseC()
{
    if (m_destroyedFlag != nullptr)
        *m_destroyedFlag = true;
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    delete m_tip;
    delete m_edit;
    delete[] m_textBuffer;
}

BOOL DrawnListBaseC::Create(DWORD style, DWORD exStyle, const RECT &rect, CWnd *parent, UINT id, LPVOID param)
{
    PreCreateStyles(&style, &exStyle);
    LPCTSTR className = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW));
    return CreateEx(exStyle, className, "", style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent != nullptr ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL DrawnListBaseC::Create(DWORD style, const RECT &rect, CWnd *parent, UINT id)
{
    return Create(style, 0, rect, parent, id, nullptr);
}

BOOL DrawnListBaseC::Create(LPCTSTR, LPCTSTR, DWORD style, const RECT &rect, CWnd *parent, UINT id, CCreateContext *)
{
    return Create(style, 0, rect, parent, id, nullptr);
}

void DrawnListBaseC::PreCreateStyles(DWORD *, DWORD *) {}

BOOL DrawnListBaseC::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y,
                              int width, int height, HWND parent, HMENU idOrMenu, LPVOID param)
{
    m_listStyle = (m_listStyle & ~kListStyleBits) | (style & kListStyleBits);
    m_listExStyle = (m_listExStyle & ~kListExStyleBits) | (exStyle & kListExStyleBits);
    style &= ~kListStyleBits;
    exStyle &= ~kListExStyleBits;
    m_dividerCursor = LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_DRAWNLIST_DIVIDER));
    if (!CWnd::CreateEx(exStyle, className, windowName, style, x, y, width, height, parent, idOrMenu, param))
        return FALSE;
    if ((m_listStyle & LVS_TYPEMASK) != LVS_REPORT) {
        m_listStyle |= LVS_NOCOLUMNHEADER;
        InsertColumn(0, "", LVCFMT_LEFT, 20, 0, FALSE);
    }
    return TRUE;
}

BOOL DrawnListBaseC::CreateFromPlaceholder(UINT id, CWnd *parent)
{
    if (parent == nullptr)
        return FALSE;
    HWND item = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    if (item == nullptr)
        return FALSE;
    DWORD style = static_cast<DWORD>(::GetWindowLongA(item, GWL_STYLE)) | WS_BORDER;
    DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(item, GWL_EXSTYLE));
    CRect rect;
    ::GetWindowRect(item, &rect);
    CPoint topLeft(rect.left, rect.top), bottomRight(rect.right, rect.bottom);
    parent->ScreenToClient(&topLeft);
    parent->ScreenToClient(&bottomRight);
    rect = CRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    ::DestroyWindow(item);
    return Create(style, exStyle, rect, parent, id, nullptr);
}

// Colours.

void DrawnListBaseC::LoadColors()
{
    static const int kSystem[kListColorCount] = {COLOR_WINDOWTEXT, COLOR_WINDOW, COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHT,
                                                 COLOR_GRAYTEXT,   COLOR_WINDOW, COLOR_WINDOW,        COLOR_INFOBK,
                                                 COLOR_INFOTEXT,   COLOR_WINDOW};
    for (int i = 0; i < kListColorCount; ++i)
        m_colors[i] = ::GetSysColor(kSystem[i]);
    LoadSharedColors();
}

BOOL DrawnListBaseC::SetColor(int index, COLORREF color)
{
    m_colors[index] = color;
    return TRUE;
}

COLORREF DrawnListBaseC::GetBkColor()
{
    return m_hWnd != nullptr && !IsWindowEnabled() ? ::GetSysColor(COLOR_MENU) : m_colors[kListWindowBk];
}

BOOL DrawnListBaseC::SetBkColor(COLORREF color)
{
    m_colors[kListWindowBk] = color;
    return SetTextBkColor(color);
}

CFont *DrawnListBaseC::GetHeaderFont()
{
    return m_headerFont != nullptr ? m_headerFont : CFont::FromHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

CFont *DrawnListBaseC::GetLabelFont()
{
    return m_labelFont != nullptr ? m_labelFont : CFont::FromHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

BOOL DrawnListBaseC::SetLabelFont(CFont *font)
{
    m_labelFont = font;
    return TRUE;
}

BOOL DrawnListBaseC::SetHeaderFont(CFont *font)
{
    m_headerFont = font;
    return TRUE;
}

BOOL DrawnListBaseC::SetNotifyWnd(CWnd *window)
{
    m_notifyWnd = window;
    return TRUE;
}

BOOL DrawnListBaseC::SetFollowSystemColors(BOOL follow)
{
    m_followSystemColors = follow;
    return TRUE;
}

// Records.

DrawnListItem *DrawnListBaseC::GetItemRecord(int row)
{
    return ValidRow(row) ? m_items[static_cast<size_t>(row)] : nullptr;
}

DrawnListItem *DrawnListBaseC::NewItemRecord()
{
    return new DrawnListItem;
}

void DrawnListBaseC::InitItemRecord(DrawnListItem *record)
{
    AddSubItems(record);
}

void DrawnListBaseC::AddSubItems(DrawnListItem *record)
{
    while (static_cast<int>(record->subItems.size()) < m_subItemCount)
        record->subItems.push_back(new DrawnListSubItem);
}

void DrawnListBaseC::RemoveSubItems(DrawnListItem *record)
{
    for (DrawnListSubItem *subItem : record->subItems)
        delete subItem;
    record->subItems.clear();
}

LPSTR *DrawnListBaseC::CellTextSlot(DrawnListItem *record, int subItem)
{
    if (subItem == 0)
        return &record->text;
    if (subItem < 1 || subItem > static_cast<int>(record->subItems.size()))
        return nullptr;
    return &record->subItems[static_cast<size_t>(subItem - 1)]->text;
}

// The sorted selection: a short one is scanned, a long one bisected.
int DrawnListBaseC::SelectionIndex(int row, bool *found) const
{
    int count = static_cast<int>(m_selection.GetSize());
    const DWORD *rows = m_selection.GetData();
    DWORD wanted = static_cast<DWORD>(row);
    if (count <= 6) {
        int at = 0;
        while (at < count && rows[at] < wanted)
            ++at;
        *found = at < count && rows[at] == wanted;
        return at;
    }
    const DWORD *at = std::lower_bound(rows, rows + count, wanted);
    *found = at != rows + count && *at == wanted;
    return static_cast<int>(at - rows);
}

void DrawnListBaseC::AddToSelection(int row)
{
    bool found;
    int at = SelectionIndex(row, &found);
    if (!found)
        m_selection.InsertAt(at, static_cast<DWORD>(row));
}

void DrawnListBaseC::RemoveFromSelection(int row)
{
    bool found;
    int at = SelectionIndex(row, &found);
    if (found)
        m_selection.RemoveAt(at);
}

BOOL DrawnListBaseC::IsSelected(int row)
{
    if (!ValidRow(row))
        return FALSE;
    bool found;
    SelectionIndex(row, &found);
    return found;
}

// Items.

BOOL DrawnListBaseC::SetItem(LVITEMA *item, BOOL redraw)
{
    if (item == nullptr || !ValidRow(item->iItem))
        return FALSE;
    int row = item->iItem;
    DrawnListItem *record = m_items[static_cast<size_t>(row)];
    bool changed = false, remeasure = false;
    if ((item->mask & LVIF_TEXT) != 0) {
        LPSTR *slot = CellTextSlot(record, item->iSubItem);
        if (slot == nullptr)
            return FALSE;
        if (IsCallbackText(item->pszText)) {
            SetCellText(*slot, LPSTR_TEXTCALLBACKA);
            OnSetDispInfo(item);
            changed = remeasure = true;
        } else if (IsCallbackText(*slot) && (item->mask & LVIF_DI_SETITEM) == 0) {
            OnSetDispInfo(item);
        } else {
            SetCellText(*slot, item->pszText);
            changed = remeasure = true;
        }
    }
    if ((item->mask & LVIF_IMAGE) != 0 && item->iSubItem == 0) {
        if (item->iImage == I_IMAGECALLBACK) {
            record->image = I_IMAGECALLBACK;
            OnSetDispInfo(item);
            changed = true;
        } else if (record->image == I_IMAGECALLBACK && (item->mask & LVIF_DI_SETITEM) == 0) {
            OnSetDispInfo(item);
        } else if (record->image != item->iImage) {
            record->image = item->iImage;
            changed = true;
        }
    }
    if ((item->mask & LVIF_STATE) != 0) {
        UINT mask = item->stateMask;
        UINT state = (record->state & ~mask) | (item->state & mask);
        if ((mask & LVIS_SELECTED) != 0) {
            if ((state & LVIS_SELECTED) != 0)
                AddToSelection(row);
            else
                RemoveFromSelection(row);
        }
        if ((mask & LVIS_FOCUSED) != 0) {
            if ((state & LVIS_FOCUSED) != 0) {
                if (m_focusRow != row && ValidRow(m_focusRow)) {
                    m_items[static_cast<size_t>(m_focusRow)]->state &= ~LVIS_FOCUSED;
                    if (redraw)
                        InvalidateItem(m_focusRow);
                }
                m_focusRow = row;
            } else if (m_focusRow == row) {
                m_focusRow = -1;
            }
        }
        if ((mask & LVIS_DROPHILITED) != 0) {
            if ((state & LVIS_DROPHILITED) != 0) {
                if (m_dropRow != row && ValidRow(m_dropRow)) {
                    m_items[static_cast<size_t>(m_dropRow)]->state &= ~LVIS_DROPHILITED;
                    if (redraw)
                        InvalidateItem(m_dropRow);
                }
                m_dropRow = row;
            } else if (m_dropRow == row) {
                m_dropRow = -1;
            }
        }
        changed = changed || state != record->state;
        record->state = state;
    }
    if ((item->mask & LVIF_PARAM) != 0)
        record->data = item->lParam;
    if (remeasure)
        record->rowHeight = -1;
    if (redraw && changed && row != m_editRow)
        InvalidateItem(row);
    return TRUE;
}

BOOL DrawnListBaseC::SetItem(int row, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask,
                             LPARAM data)
{
    LVITEMA item{};
    item.mask = mask;
    item.iItem = row;
    item.iSubItem = subItem;
    item.pszText = const_cast<LPSTR>(text);
    item.iImage = image;
    item.state = state;
    item.stateMask = stateMask;
    item.lParam = data;
    return SetItem(&item, TRUE);
}

BOOL DrawnListBaseC::SetItemUserState(int row, UINT state, UINT mask)
{
    DrawnListItem *record = GetItemRecord(row);
    if (record == nullptr)
        return FALSE;
    record->userState = (record->userState & ~mask) | (state & mask);
    InvalidateItem(row);
    return TRUE;
}

UINT DrawnListBaseC::GetItemUserState(int row, UINT mask)
{
    DrawnListItem *record = GetItemRecord(row);
    if (record == nullptr)
        return 0;
    if ((m_userStateCallbackMask & mask) != 0) {
        LVITEMA item{};
        item.iItem = row;
        item.state = record->userState;
        item.stateMask = mask;
        OnGetUserStateDispInfo(&item);
        return item.state & mask;
    }
    return record->userState & mask;
}

BOOL DrawnListBaseC::GetItem(LVITEMA *item, BOOL copyText, BOOL notify)
{
    if (item == nullptr || !ValidRow(item->iItem))
        return FALSE;
    DrawnListItem *record = m_items[static_cast<size_t>(item->iItem)];
    UINT callbacks = 0;
    LPSTR callerBuffer = item->pszText;
    int callerSize = item->cchTextMax;
    if ((item->mask & LVIF_TEXT) != 0) {
        LPSTR *slot = CellTextSlot(record, item->iSubItem);
        if (slot == nullptr)
            return FALSE;
        if (IsCallbackText(*slot))
            callbacks |= LVIF_TEXT;
        else if (copyText)
            CopyText(callerBuffer, callerSize, *slot);
        else
            item->pszText = *slot;
    }
    if ((item->mask & LVIF_IMAGE) != 0) {
        item->iImage = record->image;
        if (record->image == I_IMAGECALLBACK)
            callbacks |= LVIF_IMAGE;
    }
    if ((item->mask & LVIF_STATE) != 0) {
        UINT state = record->state & ~(LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
        if (IsSelected(item->iItem))
            state |= LVIS_SELECTED;
        if (m_focusRow == item->iItem)
            state |= LVIS_FOCUSED;
        if (m_dropRow == item->iItem)
            state |= LVIS_DROPHILITED;
        item->state = state & item->stateMask;
        if (m_stateCallbackMask != 0)
            callbacks |= LVIF_STATE;
    }
    if ((item->mask & LVIF_PARAM) != 0 || callbacks != 0)
        item->lParam = record->data;
    if (callbacks == 0)
        return TRUE;
    if (!notify) {
        if ((callbacks & LVIF_TEXT) != 0)
            item->pszText = LPSTR_TEXTCALLBACKA;
        return TRUE;
    }
    LVITEMA ask = *item;
    ask.mask = callbacks;
    ask.pszText = callerBuffer;
    ask.cchTextMax = callerSize;
    if ((callbacks & LVIF_STATE) != 0)
        ask.stateMask = m_stateCallbackMask & item->stateMask;
    if (callerBuffer != nullptr && callerSize > 0 && (callbacks & LVIF_TEXT) != 0)
        callerBuffer[0] = '\0';
    NotifyGetDispInfo(&ask);
    if ((callbacks & LVIF_TEXT) != 0) {
        // The owner may answer in the caller's buffer or with a pointer of its own; either
        // way the caller's buffer gets no more than it holds.
        if (ask.pszText == callerBuffer) {
            if (callerBuffer != nullptr && callerSize > 0)
                callerBuffer[callerSize - 1] = '\0';
        } else if (!IsCallbackText(ask.pszText)) {
            CopyText(callerBuffer, callerSize, ask.pszText);
        }
        item->pszText = callerBuffer;
    }
    if ((callbacks & LVIF_IMAGE) != 0)
        item->iImage = ask.iImage;
    if ((callbacks & LVIF_STATE) != 0)
        item->state = (item->state & ~ask.stateMask) | (ask.state & ask.stateMask);
    item->mask |= ask.mask & LVIF_DI_SETITEM;
    return TRUE;
}

BOOL DrawnListBaseC::SetItemText(int row, int subItem, LPCSTR text)
{
    // A text the caller sets is the cell's, also where the cell was a callback (as every
    // new sub-item is); without LVIF_DI_SETITEM it would only reach the set-dispinfo hook
    // and no sub-item text could ever be set.
    return SetItem(row, subItem, LVIF_TEXT | LVIF_DI_SETITEM, text, 0, 0, 0, 0);
}

int DrawnListBaseC::GetItemText(int row, int subItem, LPSTR buffer, int size)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = subItem;
    item.pszText = buffer;
    item.cchTextMax = size;
    if (buffer == nullptr || size <= 0 || !GetItem(&item, TRUE, TRUE))
        return 0;
    return static_cast<int>(std::strlen(buffer));
}

CString DrawnListBaseC::GetItemText(int row, int subItem)
{
    GetItemText(row, subItem, m_textBuffer, kTextBufferSize);
    CString text = ValidRow(row) ? m_textBuffer : "";
    m_textBuffer[0] = '\0';
    return text;
}

BOOL DrawnListBaseC::SetItemState(int row, UINT state, UINT mask)
{
    return SetItem(row, 0, LVIF_STATE, nullptr, 0, state, mask, 0);
}

UINT DrawnListBaseC::GetItemState(int row, UINT mask)
{
    LVITEMA item{};
    item.mask = LVIF_STATE;
    item.iItem = row;
    item.stateMask = mask;
    return GetItem(&item, TRUE, TRUE) ? item.state : 0;
}

BOOL DrawnListBaseC::SetItemData(int row, LPARAM data)
{
    return SetItem(row, 0, LVIF_PARAM, nullptr, 0, 0, 0, data);
}

LPARAM DrawnListBaseC::GetItemData(int row)
{
    DrawnListItem *record = GetItemRecord(row);
    return record != nullptr ? GetItemDataOf(record) : 0;
}

BOOL DrawnListBaseC::SetCallbackMask(UINT mask)
{
    m_stateCallbackMask = mask;
    return TRUE;
}

BOOL DrawnListBaseC::SetUserStateCallbackMask(UINT mask)
{
    m_userStateCallbackMask = mask;
    return TRUE;
}

BOOL DrawnListBaseC::NeedsDispInfo(int row)
{
    DrawnListItem *record = GetItemRecord(row);
    if (record == nullptr)
        return FALSE;
    if (IsCallbackText(record->text) || record->image == I_IMAGECALLBACK || m_stateCallbackMask != 0 ||
        m_userStateCallbackMask != 0)
        return TRUE;
    for (DrawnListColumn *column : m_columns) {
        LPSTR *slot = column->subItem > 0 ? CellTextSlot(record, column->subItem) : nullptr;
        if (slot != nullptr && IsCallbackText(*slot))
            return TRUE;
    }
    return FALSE;
}

int DrawnListBaseC::InsertItemRecord(int row, DrawnListItem *record)
{
    row = std::clamp(row, 0, GetItemCount());
    m_items.insert(m_items.begin() + row, record);
    if (m_focusRow >= row)
        ++m_focusRow;
    if (m_dropRow >= row)
        ++m_dropRow;
    if (m_anchorRow >= row)
        ++m_anchorRow;
    bool found;
    for (int at = SelectionIndex(row, &found); at < m_selection.GetSize(); ++at)
        ++m_selection[at];
    return row;
}

int DrawnListBaseC::InsertItem(const LVITEMA *item)
{
    if (item == nullptr)
        return -1;
    DrawnListItem *record = NewItemRecord();
    InitItemRecord(record);
    int row = InsertItemRecord(item->iItem, record);
    LVITEMA fields = *item;
    fields.iItem = row;
    fields.iSubItem = 0;
    fields.mask &= ~LVIF_DI_SETITEM;
    SetItem(&fields, FALSE);
    if (m_focusRow == -1)
        SetItemState(0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    if (m_redraw) {
        RecalcScrollBars();
        Invalidate(FALSE);
    }
    return row;
}

int DrawnListBaseC::InsertItem(UINT mask, int row, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM data)
{
    LVITEMA item{};
    item.mask = mask;
    item.iItem = row;
    item.pszText = const_cast<LPSTR>(text);
    item.state = state;
    item.stateMask = stateMask;
    item.iImage = image;
    item.lParam = data;
    return InsertItem(&item);
}

int DrawnListBaseC::InsertItem(int row, LPCSTR text, int image)
{
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, row, text, 0, 0, image, 0);
}

int DrawnListBaseC::InsertItem(int row, LPCSTR text)
{
    return InsertItem(LVIF_TEXT, row, text, 0, 0, 0, 0);
}

int DrawnListBaseC::InsertItemAfter(DrawnListItem *record, LVITEMA *item)
{
    auto at = std::find(m_items.begin(), m_items.end(), record);
    if (at == m_items.end() || item == nullptr)
        return -1;
    LVITEMA fields = *item;
    fields.iItem = static_cast<int>(at - m_items.begin()) + 1;
    return InsertItem(&fields);
}

int DrawnListBaseC::InsertItemBefore(DrawnListItem *record, LVITEMA *item)
{
    auto at = std::find(m_items.begin(), m_items.end(), record);
    if (at == m_items.end() || item == nullptr)
        return -1;
    LVITEMA fields = *item;
    fields.iItem = static_cast<int>(at - m_items.begin());
    return InsertItem(&fields);
}

BOOL DrawnListBaseC::DeleteItem(DrawnListItem *record)
{
    auto at = std::find(m_items.begin(), m_items.end(), record);
    return at != m_items.end() && DeleteItems(static_cast<int>(at - m_items.begin()), 1);
}

// Takes one row out; the focus, drop-highlight and anchor rows inside it go to the row
// before, later ones move up.
void DrawnListBaseC::RemoveRow(int row)
{
    DrawnListItem *record = m_items[static_cast<size_t>(row)];
    for (std::vector<DrawnListItem *> *pending : m_pendingDeletions)
        std::replace(pending->begin(), pending->end(), record, static_cast<DrawnListItem *>(nullptr));
    if (record == m_editRecord)
        m_editRecord = nullptr;
    m_items.erase(m_items.begin() + row);
    delete record;
    auto moveUp = [&](int &at, UINT bit) {
        if (at > row) {
            --at;
        } else if (at == row) {
            at = row - 1;
            if (ValidRow(at) && bit != 0)
                m_items[static_cast<size_t>(at)]->state |= bit;
        }
    };
    moveUp(m_focusRow, LVIS_FOCUSED);
    moveUp(m_dropRow, LVIS_DROPHILITED);
    moveUp(m_anchorRow, 0);
    if (m_editRow > row)
        --m_editRow;
    if (m_pendingEditRow >= row)
        m_pendingEditRow = m_pendingEditRow == row ? -1 : m_pendingEditRow - 1;
    bool found;
    int at = SelectionIndex(row, &found);
    if (found)
        m_selection.RemoveAt(at);
    for (; at < m_selection.GetSize(); ++at)
        --m_selection[at];
}

void DrawnListBaseC::InsertRowRecords(int row, DrawnListItem *const *records, int count)
{
    if (count <= 0)
        return;
    row = std::clamp(row, 0, GetItemCount());
    m_items.insert(m_items.begin() + row, records, records + count);
    for (int *at : {&m_focusRow, &m_dropRow, &m_anchorRow})
        if (*at >= row)
            *at += count;
    if (m_editRow >= row)
        m_editRow += count;
    if (m_pendingEditRow >= row)
        m_pendingEditRow += count;
    bool found;
    for (int at = SelectionIndex(row, &found); at < m_selection.GetSize(); ++at)
        m_selection[at] += static_cast<DWORD>(count);
}

void DrawnListBaseC::RemoveRowRecords(int first, int count)
{
    count = std::min(count, GetItemCount() - first);
    if (first < 0 || count <= 0)
        return;
    int end = first + count;
    for (int row = first; row < end; ++row) {
        DrawnListItem *record = m_items[static_cast<size_t>(row)];
        for (std::vector<DrawnListItem *> *pending : m_pendingDeletions)
            std::replace(pending->begin(), pending->end(), record, static_cast<DrawnListItem *>(nullptr));
        if (record == m_editRecord)
            m_editRecord = nullptr;
        delete record;
    }
    m_items.erase(m_items.begin() + first, m_items.begin() + end);
    auto moveUp = [&](int &at, UINT bit) {
        if (at >= end) {
            at -= count;
        } else if (at >= first) {
            at = first - 1;
            if (ValidRow(at) && bit != 0)
                m_items[static_cast<size_t>(at)]->state |= bit;
        }
    };
    moveUp(m_focusRow, LVIS_FOCUSED);
    moveUp(m_dropRow, LVIS_DROPHILITED);
    moveUp(m_anchorRow, 0);
    if (m_editRow >= end)
        m_editRow -= count;
    if (m_pendingEditRow >= first)
        m_pendingEditRow = m_pendingEditRow < end ? -1 : m_pendingEditRow - count;
    bool found;
    int from = SelectionIndex(first, &found), to = from;
    while (to < m_selection.GetSize() && static_cast<int>(m_selection[to]) < end)
        ++to;
    if (to > from)
        m_selection.RemoveAt(from, to - from);
    for (int at = from; at < m_selection.GetSize(); ++at)
        m_selection[at] -= static_cast<DWORD>(count);
    m_topIndex = std::clamp(m_topIndex, 0, std::max(GetItemCount() - 1, 0));
}

BOOL DrawnListBaseC::DeleteItems(int first, int count)
{
    if (!ValidRow(first) || count <= 0)
        return FALSE;
    count = std::min(count, GetItemCount() - first);
    InvalidateRows(std::max(first - 1, 0), GetItemCount() - 1);
    // The owner hears of each row before it goes and may change the list meanwhile, so
    // each record is looked for again.
    std::vector<DrawnListItem *> records(m_items.begin() + first, m_items.begin() + first + count);
    m_pendingDeletions.push_back(&records);
    for (size_t i = 0; i < records.size(); ++i) {
        int row = RowOfRecord(records[i], first + static_cast<int>(i));
        if (row >= 0)
            NotifyDeleteItem(row);
    }
    for (DrawnListItem *record : records) {
        int row = RowOfRecord(record, first);
        if (row >= 0)
            RemoveRow(row);
    }
    m_pendingDeletions.pop_back();
    if (m_selection.GetSize() == 0 && ValidRow(m_focusRow))
        SetItemState(m_focusRow, LVIS_SELECTED, LVIS_SELECTED);
    m_topIndex = std::clamp(m_topIndex, 0, std::max(GetItemCount() - 1, 0));
    RecalcScrollBars();
    return TRUE;
}

int DrawnListBaseC::RowOfRecord(DrawnListItem *record, int near)
{
    if (record == nullptr)
        return -1;
    if (ValidRow(near) && m_items[static_cast<size_t>(near)] == record)
        return near;
    auto at = std::find(m_items.begin(), m_items.end(), record);
    return at == m_items.end() ? -1 : static_cast<int>(at - m_items.begin());
}

BOOL DrawnListBaseC::DeleteAllItems()
{
    CancelEditTimer();
    m_pendingEditRow = -1;
    for (std::vector<DrawnListItem *> *pending : m_pendingDeletions)
        std::fill(pending->begin(), pending->end(), static_cast<DrawnListItem *>(nullptr));
    m_editRecord = nullptr;
    for (DrawnListItem *record : m_items)
        delete record;
    m_items.clear();
    m_selection.RemoveAll();
    m_topIndex = 0;
    m_focusRow = m_dropRow = m_anchorRow = -1;
    if (m_hWnd != nullptr) {
        RecalcScrollBars();
        Invalidate(FALSE);
    }
    return TRUE;
}

int DrawnListBaseC::GetNextItem(int start, UINT flags)
{
    const UINT kStates = LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED;
    const UINT kDirections = LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT;
    if ((flags & ~(kStates | kDirections)) != 0)
        return -1;
    int step = (flags & (LVNI_ABOVE | LVNI_TOLEFT)) != 0 ? -1 : 1;
    UINT wanted = flags & kStates;
    for (int row = start + step; row >= 0 && row < GetItemCount(); row += step) {
        if (wanted == 0 || (GetItemState(row, wanted) & wanted) != 0)
            return row;
    }
    return -1;
}

void DrawnListBaseC::SetDropHighlight(int row)
{
    if (ValidRow(row))
        SetItemState(row, LVIS_DROPHILITED, LVIS_DROPHILITED);
    else if (ValidRow(m_dropRow))
        SetItemState(m_dropRow, 0, LVIS_DROPHILITED);
}

// Selection primitives.

void DrawnListBaseC::DeselectAllExcept(int row)
{
    for (int at = static_cast<int>(m_selection.GetSize()) - 1; at >= 0; --at) {
        if (at >= m_selection.GetSize())
            continue;
        int selected = static_cast<int>(m_selection[at]);
        if (selected != row)
            SetItemState(selected, 0, LVIS_SELECTED);
    }
}

void DrawnListBaseC::SetCaret(int row, BOOL select)
{
    if (!ValidRow(row))
        return;
    if (HasStyle(LVS_SINGLESEL))
        DeselectAllExcept(row);
    SetItemState(row, LVIS_FOCUSED | (select ? LVIS_SELECTED : 0), LVIS_FOCUSED | LVIS_SELECTED);
    m_anchorRow = row;
}

void DrawnListBaseC::MoveCaret(int row)
{
    if (!ValidRow(row))
        return;
    SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
    m_anchorRow = row;
}

void DrawnListBaseC::SelectItem(int row, BOOL select)
{
    if (!ValidRow(row))
        return;
    if (HasStyle(LVS_SINGLESEL))
        DeselectAllExcept(row);
    SetItemState(row, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void DrawnListBaseC::SelectRange(int a, int b, BOOL select)
{
    for (int row = std::min(a, b); row <= std::max(a, b); ++row)
        SelectItem(row, select);
}

CPoint DrawnListBaseC::GetScrollExtent()
{
    return CPoint(GetTotalWidth(), GetItemCount());
}

// Columns.

DrawnListColumn *DrawnListBaseC::GetColumnAt(int column)
{
    return column >= 0 && column < GetColumnCount() ? m_columns[static_cast<size_t>(column)] : nullptr;
}

int DrawnListBaseC::GetColumnSubItem(int column)
{
    DrawnListColumn *record = GetColumnAt(column);
    return record != nullptr ? record->subItem : -1;
}

int DrawnListBaseC::InsertColumn(int position, DrawnListColumn *record, BOOL redraw)
{
    if (record == nullptr)
        return -1;
    EndLabelEdit(TRUE);
    m_tip->HideTip();
    position = std::clamp(position, 0, GetColumnCount());
    if (record->width == -1)
        record->width = 10;
    if (position == 0) {
        record->format = LVCFMT_LEFT;
        record->subItem = 0;
    } else if (record->subItem == -1 || record->subItem > m_subItemCount) {
        // A new sub-item: at the end, or where the next later column's is, which moves up.
        int at = m_subItemCount + 1;
        for (int c = position; c < GetColumnCount(); ++c)
            if (m_columns[static_cast<size_t>(c)]->subItem >= 1)
                at = std::min(at, m_columns[static_cast<size_t>(c)]->subItem);
        for (DrawnListColumn *column : m_columns)
            if (column->subItem >= at)
                ++column->subItem;
        for (DrawnListItem *item : m_items)
            item->subItems.insert(item->subItems.begin() + (at - 1), new DrawnListSubItem);
        ++m_subItemCount;
        record->subItem = at;
    }
    m_columns.insert(m_columns.begin() + position, record);
    if (redraw && m_redraw && m_hWnd != nullptr) {
        if (HasExtendedStyle(DLS_EX_FILLITEMCOLUMN))
            FitItemColumn();
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
    return position;
}

int DrawnListBaseC::InsertColumn(int position, LPCSTR text, int format, int width, int subItem, BOOL redraw)
{
    DrawnListColumn *record = new DrawnListColumn;
    record->text = text != nullptr ? text : "";
    record->format = format;
    record->width = width;
    record->subItem = subItem;
    return InsertColumn(position, record, redraw);
}

int DrawnListBaseC::InsertColumn(int position, const LVCOLUMNA *column)
{
    if (column == nullptr)
        return -1;
    return InsertColumn(position, (column->mask & LVCF_TEXT) != 0 ? column->pszText : "",
                        (column->mask & LVCF_FMT) != 0 ? column->fmt : LVCFMT_LEFT,
                        (column->mask & LVCF_WIDTH) != 0 ? column->cx : -1,
                        (column->mask & LVCF_SUBITEM) != 0 ? column->iSubItem : -1, TRUE);
}

int DrawnListBaseC::AddColumn(const LVCOLUMNA *column)
{
    if (column == nullptr)
        return -1;
    LVCOLUMNA last = *column;
    return InsertColumn(GetColumnCount(), &last);
}

int DrawnListBaseC::AddColumn(LPCSTR text, int format, int width, int subItem)
{
    return InsertColumn(GetColumnCount(), text, format, width, subItem, TRUE);
}

int DrawnListBaseC::AddColumn(DrawnListColumn *record)
{
    return InsertColumn(GetColumnCount(), record, TRUE);
}

BOOL DrawnListBaseC::DeleteColumn(int column)
{
    DrawnListColumn *record = GetColumnAt(column);
    if (record == nullptr || record->subItem == 0)
        return FALSE;
    EndLabelEdit(TRUE);
    m_tip->HideTip();
    int subItem = record->subItem;
    for (DrawnListItem *item : m_items) {
        if (subItem <= static_cast<int>(item->subItems.size())) {
            delete item->subItems[static_cast<size_t>(subItem - 1)];
            item->subItems.erase(item->subItems.begin() + (subItem - 1));
        }
    }
    if (!HasExtendedStyle(DLS_EX_KEEPWIDTHONDELETE)) {
        for (DrawnListColumn *other : m_columns)
            if (other->subItem == 0) {
                other->width += record->width;
                break;
            }
    }
    --m_subItemCount;
    m_columns.erase(m_columns.begin() + column);
    delete record;
    for (DrawnListColumn *other : m_columns)
        if (other->subItem > subItem)
            --other->subItem;
    if (m_clickedColumn >= GetColumnCount())
        m_clickedColumn = 0;
    if (m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
    return TRUE;
}

BOOL DrawnListBaseC::DeleteColumnByName(LPCSTR text)
{
    return DeleteColumn(FindColumnByName(text));
}

void DrawnListBaseC::DeleteAllColumns()
{
    for (DrawnListColumn *column : m_columns)
        delete column;
    m_columns.clear();
    m_clickedColumn = 0;
    if (m_hWnd != nullptr)
        RecalcScrollBars();
}

BOOL DrawnListBaseC::GetColumn(int column, LVCOLUMNA *info)
{
    DrawnListColumn *record = GetColumnAt(column);
    if (record == nullptr || info == nullptr)
        return FALSE;
    if ((info->mask & LVCF_FMT) != 0)
        info->fmt = record->format;
    if ((info->mask & LVCF_WIDTH) != 0)
        info->cx = record->width;
    if ((info->mask & LVCF_TEXT) != 0)
        CopyText(info->pszText, info->cchTextMax, record->text);
    if ((info->mask & LVCF_SUBITEM) != 0)
        info->iSubItem = record->subItem;
    return TRUE;
}

BOOL DrawnListBaseC::SetColumn(int column, const LVCOLUMNA *info, BOOL redraw)
{
    DrawnListColumn *record = GetColumnAt(column);
    if (record == nullptr || info == nullptr)
        return FALSE;
    if ((info->mask & LVCF_FMT) != 0)
        record->format = info->fmt;
    if ((info->mask & LVCF_WIDTH) != 0)
        record->width = info->cx;
    if ((info->mask & LVCF_TEXT) != 0)
        record->text = info->pszText != nullptr ? info->pszText : "";
    if (redraw && m_hWnd != nullptr) {
        if (HasExtendedStyle(DLS_EX_FILLITEMCOLUMN))
            FitItemColumn();
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
    return TRUE;
}

int DrawnListBaseC::GetColumnLeft(int column)
{
    int left = -m_scrollX;
    for (int c = 0; c < column && c < GetColumnCount(); ++c)
        left += m_columns[static_cast<size_t>(c)]->width;
    return left;
}

int DrawnListBaseC::GetColumnRight(int column)
{
    DrawnListColumn *record = GetColumnAt(column);
    return GetColumnLeft(column) + (record != nullptr ? record->width : 0);
}

BOOL DrawnListBaseC::SetColumnWidth(int column, int width)
{
    LVCOLUMNA info{};
    info.mask = LVCF_WIDTH;
    info.cx = width;
    return SetColumn(column, &info, TRUE);
}

int DrawnListBaseC::GetColumnWidth(int column)
{
    if (GetColumnCount() == 0) {
        CRect client;
        CWnd::GetClientRect(&client);
        return client.Width();
    }
    DrawnListColumn *record = GetColumnAt(column);
    return record != nullptr ? record->width : 0;
}

BOOL DrawnListBaseC::SetColumnFormat(int column, int format)
{
    LVCOLUMNA info{};
    info.mask = LVCF_FMT;
    info.fmt = format;
    return SetColumn(column, &info, TRUE);
}

int DrawnListBaseC::GetColumnFormat(int column)
{
    DrawnListColumn *record = GetColumnAt(column);
    return record != nullptr ? record->format : 0;
}

BOOL DrawnListBaseC::SetColumnText(int column, LPCSTR text)
{
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = const_cast<LPSTR>(text);
    return SetColumn(column, &info, TRUE);
}

CString DrawnListBaseC::GetColumnText(int column)
{
    DrawnListColumn *record = GetColumnAt(column);
    return record != nullptr ? record->text : CString();
}

int DrawnListBaseC::FindColumnByName(LPCSTR text)
{
    return FindColumn(text, nullptr);
}

int DrawnListBaseC::FindColumn(LPCSTR text, int *subItem)
{
    for (int c = 0; c < GetColumnCount() && text != nullptr; ++c) {
        if (std::strcmp(m_columns[static_cast<size_t>(c)]->text, text) == 0) {
            if (subItem != nullptr)
                *subItem = m_columns[static_cast<size_t>(c)]->subItem;
            return c;
        }
    }
    return -1;
}

// Image lists.

CImageList *DrawnListBaseC::GetImageList(int which)
{
    return which >= 0 && which <= 2 ? m_imageLists[which] : nullptr;
}

CImageList *DrawnListBaseC::SetImageList(CImageList *list, int which)
{
    if (which < 0 || which > 2)
        return nullptr;
    CImageList *previous = m_imageLists[which];
    if (HasStyle(LVS_SHAREIMAGELISTS)) {
        m_imageLists[which] = list;
    } else {
        m_imageLists[which] = list != nullptr ? CopyImageList(list) : nullptr;
        // The list's own copy is its to delete; the caller gets nothing it must free.
        delete previous;
        previous = nullptr;
    }
    InvalidateAllRowHeights();
    return previous;
}

CImageList *DrawnListBaseC::CopyImageList(CImageList *list)
{
    CImageList *copy = new CImageList;
    if (!copy->Create(list)) {
        delete copy;
        return nullptr;
    }
    return copy;
}

// Styles.

void DrawnListBaseC::GetStyles(DWORD *style, DWORD *exStyle)
{
    if (style != nullptr)
        *style = m_listStyle;
    if (exStyle != nullptr)
        *exStyle = m_listExStyle;
}

void DrawnListBaseC::SetStyles(DWORD style, DWORD exStyle, BOOL redraw)
{
    SetListStyle(style, FALSE);
    SetListExtendedStyle(exStyle, redraw);
}

void DrawnListBaseC::SetListStyle(DWORD style, BOOL redraw)
{
    EndLabelEdit(TRUE);
    m_tip->HideTip();
    CancelEditTimer();
    m_listStyle = style;
    if (redraw && m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
}

void DrawnListBaseC::SetListExtendedStyle(DWORD exStyle, BOOL redraw)
{
    EndLabelEdit(TRUE);
    m_tip->HideTip();
    bool fillOn = (exStyle & DLS_EX_FILLITEMCOLUMN) != 0 && !HasExtendedStyle(DLS_EX_FILLITEMCOLUMN);
    m_listExStyle = exStyle;
    if (fillOn && m_hWnd != nullptr)
        FitItemColumn();
    if (redraw && m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
}

void DrawnListBaseC::ModifyListStyle(DWORD remove, DWORD add, BOOL redraw)
{
    SetListStyle((m_listStyle & ~remove) | add, redraw);
}

void DrawnListBaseC::ModifyListExtendedStyle(DWORD remove, DWORD add, BOOL redraw)
{
    SetListExtendedStyle((m_listExStyle & ~remove) | add, redraw);
}

void DrawnListBaseC::ModifyListStyles(DWORD remove, DWORD add, DWORD exRemove, DWORD exAdd, BOOL redraw)
{
    SetListStyle((m_listStyle & ~remove) | add, FALSE);
    SetListExtendedStyle((m_listExStyle & ~exRemove) | exAdd, redraw);
}

void DrawnListBaseC::SetMultiLineLabels(BOOL multiLine, BOOL redraw)
{
    ModifyListStyle(multiLine ? LVS_NOLABELWRAP : 0, multiLine ? 0 : LVS_NOLABELWRAP, redraw);
}

void DrawnListBaseC::EnableLabelTips(BOOL enable, BOOL redraw)
{
    ModifyListExtendedStyle(enable ? 0 : DLS_EX_LABELTIPS, enable ? DLS_EX_LABELTIPS : 0, redraw);
}

void DrawnListBaseC::SetMultipleSelection(BOOL multiple, BOOL redraw)
{
    if (!multiple && GetSelectedCount() > 1)
        DeselectAllExcept(-1);
    ModifyListStyle(multiple ? LVS_SINGLESEL : 0, multiple ? 0 : LVS_SINGLESEL, redraw);
}

void DrawnListBaseC::ShowHeader(BOOL show, BOOL redraw)
{
    ModifyListStyle(show ? LVS_NOCOLUMNHEADER : 0, show ? 0 : LVS_NOCOLUMNHEADER, redraw);
}

void DrawnListBaseC::SetRedraw(BOOL redraw)
{
    m_redraw = redraw;
    if (redraw && m_hWnd != nullptr) {
        RecalcScrollBars();
        Invalidate(FALSE);
    }
}

// Notifications.

CWnd *DrawnListBaseC::GetNotifyTarget()
{
    return m_notifyWnd != nullptr ? m_notifyWnd : GetParent();
}

namespace {

LRESULT Notify(DrawnListBaseC *list, NMHDR *header, UINT code)
{
    header->hwndFrom = list->m_hWnd;
    header->idFrom = static_cast<UINT_PTR>(list->GetDlgCtrlID());
    header->code = code;
    CWnd *target = list->GetNotifyTarget();
    if (target == nullptr || target->m_hWnd == nullptr)
        return 0;
    return ::SendMessageA(target->m_hWnd, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

} // namespace

LRESULT DrawnListBaseC::SendNotify(UINT code)
{
    NMHDR header{};
    m_lastNotifyResult = Notify(this, &header, code);
    return m_lastNotifyResult;
}

LRESULT DrawnListBaseC::NotifyInsertItem(int row)
{
    NMLISTVIEW info{};
    info.iItem = row;
    info.lParam = GetItemData(row);
    return Notify(this, &info.hdr, LVN_INSERTITEM);
}

LRESULT DrawnListBaseC::NotifyDeleteItem(int row)
{
    NMLISTVIEW info{};
    info.iItem = row;
    info.lParam = GetItemData(row);
    return Notify(this, &info.hdr, LVN_DELETEITEM);
}

LRESULT DrawnListBaseC::NotifyBeginLabelEdit(int row, int subItem)
{
    NMLVDISPINFOA info{};
    info.item.mask = LVIF_TEXT;
    info.item.iItem = row;
    info.item.iSubItem = subItem;
    info.item.lParam = GetItemData(row);
    return Notify(this, &info.hdr, LVN_BEGINLABELEDITA);
}

LRESULT DrawnListBaseC::NotifyEndLabelEdit(int row, int subItem, CString *text, BOOL confirmed)
{
    NMLVDISPINFOA info{};
    info.item.mask = LVIF_TEXT;
    info.item.iItem = row;
    info.item.iSubItem = subItem;
    info.item.lParam = GetItemData(row);
    std::vector<char> buffer;
    if (confirmed && text != nullptr) {
        buffer.assign(kTextBufferSize, '\0');
        CopyText(buffer.data(), kTextBufferSize, *text);
        info.item.pszText = buffer.data();
        info.item.cchTextMax = kTextBufferSize;
    }
    LRESULT answer = Notify(this, &info.hdr, LVN_ENDLABELEDITA);
    if (!buffer.empty() && text != nullptr)
        *text = CString(buffer.data(), static_cast<int>(strnlen(buffer.data(), buffer.size())));
    return answer;
}

LRESULT DrawnListBaseC::NotifyGetDispInfo(LVITEMA *item)
{
    NMLVDISPINFOA info{};
    info.item = *item;
    LRESULT answer = Notify(this, &info.hdr, LVN_GETDISPINFOA);
    *item = info.item;
    return answer;
}

LRESULT DrawnListBaseC::NotifyKeyDown(UINT key)
{
    NMLVKEYDOWN info{};
    info.wVKey = static_cast<WORD>(key);
    info.flags = 0;
    return Notify(this, &info.hdr, LVN_KEYDOWN);
}
