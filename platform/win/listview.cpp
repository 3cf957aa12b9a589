#include "listview.h"

#include "controlstate.h"
#include "systemclasses.h"
#include "windowmessages.h"
#include "windowstate.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const int kRowHeight = 16;
const int kStateIconWidth = 16;
const int kImageLists = 3;

struct Row {
    std::vector<std::string> texts; // by column
    LPARAM param = 0;
    UINT state = 0;
};

struct Column {
    int width = 0;
    std::string text;
};

struct ListState {
    std::vector<Column> columns;
    std::vector<Row> rows;
    LPARAM imageLists[kImageLists] = {};
};

bool ValidRow(const ListState &list, int row)
{
    return row >= 0 && static_cast<size_t>(row) < list.rows.size();
}

void SetText(Row &row, int column, LPCSTR text)
{
    if (column < 0)
        return;
    if (row.texts.size() <= static_cast<size_t>(column))
        row.texts.resize(column + 1);
    row.texts[column] = text != nullptr ? text : "";
}

void SetState(Row &row, UINT state, UINT mask)
{
    row.state = (row.state & ~mask) | (state & mask);
}

BOOL SetItem(ListState &list, const LVITEMA &item)
{
    if (!ValidRow(list, item.iItem) || item.iSubItem < 0)
        return FALSE;
    Row &row = list.rows[item.iItem];
    if ((item.mask & LVIF_TEXT) != 0)
        SetText(row, item.iSubItem, item.pszText);
    if (item.iSubItem == 0 && (item.mask & LVIF_PARAM) != 0)
        row.param = item.lParam;
    if (item.iSubItem == 0 && (item.mask & LVIF_STATE) != 0)
        SetState(row, item.state, item.stateMask);
    return TRUE;
}

BOOL GetItem(const ListState &list, LVITEMA &item)
{
    if (!ValidRow(list, item.iItem) || item.iSubItem < 0)
        return FALSE;
    const Row &row = list.rows[item.iItem];
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        std::string text = static_cast<size_t>(item.iSubItem) < row.texts.size() ? row.texts[item.iSubItem] : "";
        size_t count = text.size() < static_cast<size_t>(item.cchTextMax) ? text.size() : item.cchTextMax - 1;
        std::memcpy(item.pszText, text.data(), count);
        item.pszText[count] = '\0';
    }
    if ((item.mask & LVIF_PARAM) != 0)
        item.lParam = row.param;
    if ((item.mask & LVIF_STATE) != 0)
        item.state = row.state & item.stateMask;
    return TRUE;
}

int InsertItem(ListState &list, const LVITEMA &item)
{
    if (item.iSubItem != 0)
        return -1;
    size_t at = item.iItem < 0 ? 0 : static_cast<size_t>(item.iItem);
    if (at > list.rows.size())
        at = list.rows.size();
    list.rows.insert(list.rows.begin() + static_cast<std::ptrdiff_t>(at), Row());
    LVITEMA copy = item;
    copy.iItem = static_cast<int>(at);
    SetItem(list, copy);
    return static_cast<int>(at);
}

int InsertColumn(ListState &list, WPARAM index, const LVCOLUMNA &column)
{
    size_t at = index > list.columns.size() ? list.columns.size() : index;
    Column added;
    if ((column.mask & LVCF_WIDTH) != 0)
        added.width = column.cx;
    if ((column.mask & LVCF_TEXT) != 0 && column.pszText != nullptr)
        added.text = column.pszText;
    list.columns.insert(list.columns.begin() + static_cast<std::ptrdiff_t>(at), added);
    return static_cast<int>(at);
}

int HitTest(const ListState &list, LVHITTESTINFO &info, bool subItems)
{
    info.iItem = -1;
    info.iSubItem = 0;
    info.flags = LVHT_NOWHERE;
    if (info.pt.x < 0 || info.pt.y < 0 || !ValidRow(list, info.pt.y / kRowHeight))
        return -1;
    int column = -1;
    for (int i = 0, left = 0; i < static_cast<int>(list.columns.size()); left += list.columns[i].width, ++i) {
        if (info.pt.x < left + list.columns[i].width) {
            column = i;
            break;
        }
    }
    if (column < 0)
        return -1;
    info.iItem = info.pt.y / kRowHeight;
    info.iSubItem = subItems ? column : 0;
    info.flags = column == 0 && info.pt.x < kStateIconWidth ? LVHT_ONITEMSTATEICON : LVHT_ONITEMLABEL;
    return info.iItem;
}

} // namespace

namespace qelwin {

LRESULT CALLBACK ListViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ControlLifetime<ListState>(window, message, wParam, lParam, &result))
        return result;
    ListState *list = ControlState<ListState>(window);
    if (list == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case LVM_INSERTCOLUMNA:
        return lParam != 0 ? InsertColumn(*list, wParam, *reinterpret_cast<const LVCOLUMNA *>(lParam)) : -1;
    case LVM_INSERTITEMA:
        return lParam != 0 ? InsertItem(*list, *reinterpret_cast<const LVITEMA *>(lParam)) : -1;
    case LVM_SETITEMA:
        return lParam != 0 && SetItem(*list, *reinterpret_cast<const LVITEMA *>(lParam));
    case LVM_GETITEMA:
        return lParam != 0 && GetItem(*list, *reinterpret_cast<LVITEMA *>(lParam));
    case LVM_SETITEMTEXTA: {
        if (lParam == 0 || !ValidRow(*list, static_cast<int>(wParam)))
            return FALSE;
        const LVITEMA &item = *reinterpret_cast<const LVITEMA *>(lParam);
        if (item.iSubItem < 0)
            return FALSE;
        SetText(list->rows[wParam], item.iSubItem, item.pszText);
        return TRUE;
    }
    case LVM_SETITEMSTATE: {
        if (lParam == 0)
            return FALSE;
        const LVITEMA &item = *reinterpret_cast<const LVITEMA *>(lParam);
        if (static_cast<int>(wParam) == -1) {
            for (Row &row : list->rows)
                SetState(row, item.state, item.stateMask);
            return TRUE;
        }
        if (!ValidRow(*list, static_cast<int>(wParam)))
            return FALSE;
        SetState(list->rows[wParam], item.state, item.stateMask);
        return TRUE;
    }
    case LVM_GETITEMSTATE:
        return ValidRow(*list, static_cast<int>(wParam)) ? list->rows[wParam].state & static_cast<UINT>(lParam) : 0;
    case LVM_GETITEMCOUNT:
        return static_cast<LRESULT>(list->rows.size());
    case LVM_DELETEALLITEMS:
        list->rows.clear();
        return TRUE;
    case LVM_SETIMAGELIST: {
        if (wParam >= static_cast<WPARAM>(kImageLists))
            return 0;
        LPARAM old = list->imageLists[wParam];
        list->imageLists[wParam] = lParam;
        return old;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST:
        return lParam != 0 ? HitTest(*list, *reinterpret_cast<LVHITTESTINFO *>(lParam), message == LVM_SUBITEMHITTEST)
                           : -1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace qelwin

LRESULT QelClickListItem(HWND list, int row, BOOL onStateIcon, BOOL doubleClick)
{
    char name[32] = "";
    if (GetClassNameA(list, name, sizeof name) == 0 || std::strcmp(name, WC_LISTVIEWA) != 0)
        return -1;
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    click.hdr.code = doubleClick ? NM_DBLCLK : NM_CLICK;
    click.iItem = row;
    click.ptAction.x = onStateIcon ? kStateIconWidth / 2 : kStateIconWidth + 4;
    click.ptAction.y = row * kRowHeight + kRowHeight / 2;
    HWND parent = GetParent(list);
    return parent != nullptr ? SendMessageA(parent, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click)) : 0;
}
