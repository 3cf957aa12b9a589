// The records of an owner-drawn list: items (rows), their sub-items (further cells) and
// columns, and the context handed to every step of painting and measuring one row.
#pragma once

#include "afxgdi.h"
#include "afxstring.h"
#include "listviewnotify.h"

#include <vector>

class CDC;

// A cell's text: owned, NULL for none, or LPSTR_TEXTCALLBACKA when the owner is asked.
void FreeCellText(LPSTR &text);
void SetCellText(LPSTR &text, LPCSTR value);
inline bool IsCallbackText(LPCSTR text)
{
    return text == LPSTR_TEXTCALLBACKA;
}

struct DrawnListSubItem {
    DrawnListSubItem() = default;
    DrawnListSubItem(const DrawnListSubItem &) = delete;
    DrawnListSubItem &operator=(const DrawnListSubItem &) = delete;
    ~DrawnListSubItem() { FreeCellText(text); }

    LPSTR text = LPSTR_TEXTCALLBACKA;
    DWORD word = 0;
    CRect label;
};

struct DrawnListItem {
    DrawnListItem() = default;
    DrawnListItem(const DrawnListItem &) = delete;
    DrawnListItem &operator=(const DrawnListItem &) = delete;
    virtual ~DrawnListItem();

    // Sub-item n (n >= 1) at position n - 1.
    std::vector<DrawnListSubItem *> subItems;
    LPSTR text = nullptr;
    UINT state = 0;
    int image = 0;
    LPARAM data = 0;
    int rowHeight = -1;
    UINT userState = 0;
    CRect label, icon, stateIcon; // relative to the cell's top-left corner
    CRect spare;
};

struct DrawnListColumn {
    int format = LVCFMT_LEFT;
    int width = 0;
    CString text;
    int subItem = 0;
};

struct DrawnListPaintContext {
    DrawnListPaintContext() = default;
    DrawnListPaintContext(const DrawnListPaintContext &) = delete;
    DrawnListPaintContext &operator=(const DrawnListPaintContext &) = delete;
    virtual ~DrawnListPaintContext() = default;

    LVITEMA item{};
    CDC *dc = nullptr;
    CRect cell;
    int column = 0;
    int layout = 1;
    CFont *font = nullptr;
    DrawnListItem *record = nullptr;
    DrawnListSubItem *subRecord = nullptr;
    DrawnListColumn *columnRecord = nullptr;
    COLORREF text = 0, fill = 0, windowBackground = 0, labelBackground = 0;
    // 0x100 greys the item's text (set by derived lists).
    DWORD flags = 0;
    // The owner's answer for the row asked that it be stored (LVIF_DI_SETITEM).
    bool storeAnswer = false;
};
