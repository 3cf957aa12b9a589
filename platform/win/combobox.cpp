#include "combobox.h"

#include "collation.h"
#include "controlstate.h"
#include "devicecontext.h"
#include "dialogs.h"
#include "drawing.h"
#include "editcontrol.h"
#include "gdiobjects.h"
#include "syscolors.h"
#include "systemclasses.h"
#include "textdraw.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowpaint.h"
#include "windowstate.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ComboItem {
    std::string text;
    LPARAM data = 0;
};

// Items stand apart, owned by the state, so that an insertion into a long list moves
// plain pointers only.
struct ComboState {
    ComboState() = default;
    ComboState(const ComboState &) = delete;
    ComboState &operator=(const ComboState &) = delete;
    ~ComboState() { Clear(); }
    void Clear()
    {
        for (ComboItem *item : items)
            delete item;
        items.clear();
    }
    std::vector<ComboItem *> items;
    int selection = CB_ERR;
    HFONT font = nullptr;
    bool dropped = false;
};

// The button that opens the list is as wide as a scroll bar, as the platform draws it.
const int kButtonWidth = 17;
// What the selection field adds to its font's height: a border and three pixels of margin
// each way, and a row for the button's shadow.
const int kFieldExtra = 7;

void Notify(HWND combo, WORD code)
{
    HWND parent = GetParent(combo);
    if (parent != nullptr)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), code), reinterpret_cast<LPARAM>(combo));
}

bool InList(const ComboState &state, WPARAM index)
{
    return index < state.items.size();
}

bool Sorted(HWND combo)
{
    return (GetWindowLongA(combo, GWL_STYLE) & CBS_SORT) != 0;
}

LRESULT Add(HWND combo, ComboState *state, LPCSTR text)
{
    auto item = std::make_unique<ComboItem>();
    item->text = text != nullptr ? text : "";
    auto at = state->items.end();
    if (Sorted(combo))
        at = std::upper_bound(state->items.begin(), state->items.end(), item->text,
                              [](const std::string &t, const ComboItem *other) {
                                  return lstrcmpiA(t.c_str(), other->text.c_str()) < 0;
                              });
    const LRESULT index = at - state->items.begin();
    state->items.insert(at, item.get());
    item.release();
    // The selection stays with its item.
    if (state->selection != CB_ERR && state->selection >= index)
        ++state->selection;
    return index;
}

LRESULT Delete(HWND combo, ComboState *state, WPARAM index)
{
    if (!InList(*state, index))
        return CB_ERR;
    delete state->items[index];
    state->items.erase(state->items.begin() + static_cast<std::ptrdiff_t>(index));
    const int removed = static_cast<int>(index);
    if (state->selection == removed) {
        state->selection = CB_ERR;
        DefWindowProcA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    } else if (state->selection > removed) {
        --state->selection;
    }
    InvalidateRect(combo, nullptr, TRUE);
    return static_cast<LRESULT>(state->items.size());
}

LRESULT FindExact(HWND combo, const ComboState &state, WPARAM after, LPCSTR text)
{
    const size_t count = state.items.size();
    if (text == nullptr || count == 0)
        return CB_ERR;
    // A sorted list holds the texts equal to it side by side: the first of them is found
    // by halves.
    if (Sorted(combo) && static_cast<int>(after) < 0) {
        auto first = std::lower_bound(state.items.begin(), state.items.end(), text,
                                      [](const ComboItem *item, LPCSTR t) {
                                          return lstrcmpiA(item->text.c_str(), t) < 0;
                                      });
        return first != state.items.end() && lstrcmpiA((*first)->text.c_str(), text) == 0
                   ? static_cast<LRESULT>(first - state.items.begin())
                   : CB_ERR;
    }
    const size_t first = static_cast<int>(after) < 0 || after >= count ? 0 : after + 1;
    for (size_t step = 0; step < count; ++step) {
        size_t index = (first + step) % count;
        if (lstrcmpiA(state.items[index]->text.c_str(), text) == 0)
            return static_cast<LRESULT>(index);
    }
    return CB_ERR;
}

LRESULT Select(HWND combo, ComboState *state, WPARAM index)
{
    if (static_cast<int>(index) == -1) {
        state->selection = CB_ERR;
        DefWindowProcA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        InvalidateRect(combo, nullptr, TRUE);
        return CB_ERR;
    }
    if (!InList(*state, index))
        return CB_ERR;
    state->selection = static_cast<int>(index);
    DefWindowProcA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state->items[index]->text.c_str()));
    InvalidateRect(combo, nullptr, TRUE);
    return state->selection;
}

void ShowList(HWND combo, ComboState *state, bool show)
{
    const bool closing = state->dropped && !show;
    state->dropped = show;
    if (closing)
        Notify(combo, CBN_CLOSEUP);
}

// The selection field: the edit text on the window colour inside a sunken border, and the
// button at its right with the arrow that points down to the list.
void Paint(HWND combo, const ComboState &state)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(combo, &paint);
    HGDIOBJ before = SelectObject(dc, state.font != nullptr ? state.font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    RECT client{};
    GetClientRect(combo, &client);
    RECT field{0, 0, client.right, std::min<LONG>(client.bottom, metrics.tmHeight + kFieldExtra)};
    FillRect(dc, &field, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &field, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT button{std::max<LONG>(field.left + 1, field.right - 1 - kButtonWidth), field.top + 1, field.right - 1,
                field.bottom - 1};
    DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH);
    const int middle = (button.left + button.right) / 2, top = (button.top + button.bottom) / 2 - 2;
    for (int row = 0; row < 4; ++row) {
        for (int x = middle - 3 + row; x <= middle + 3 - row; ++x)
            SetPixel(dc, x, top + row, GetSysColor(COLOR_BTNTEXT));
    }
    char text[256] = "";
    GetWindowTextA(combo, text, sizeof text);
    RECT inside{field.left + 3, field.top + 1, button.left - 1, field.bottom - 1};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextA(dc, text, -1, &inside, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, before);
    EndPaint(combo, &paint);
}

ComboState *StateOfCombo(HWND combo)
{
    char name[16] = "";
    if (!IsWindow(combo) || GetClassNameA(combo, name, sizeof name) == 0 || lstrcmpiA(name, "ComboBox") != 0)
        return nullptr;
    return qelwin::ControlState<ComboState>(combo);
}

} // namespace

BOOL QelComboPick(HWND combo, int index, BOOL close)
{
    ComboState *state = StateOfCombo(combo);
    if (state == nullptr || index < 0 || !InList(*state, static_cast<WPARAM>(index)))
        return FALSE;
    if (!state->dropped)
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    // The parent may have destroyed the combo box on any notification.
    if ((state = StateOfCombo(combo)) == nullptr)
        return TRUE;
    if (state->selection != index) {
        Select(combo, state, static_cast<WPARAM>(index));
        Notify(combo, CBN_SELCHANGE);
    }
    if (close && StateOfCombo(combo) != nullptr)
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    return TRUE;
}

namespace qelwin {

LRESULT CALLBACK ComboBoxProcedure(HWND combo, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ControlLifetime<ComboState>(combo, message, wParam, lParam, &result))
        return result;
    ComboState *state = ControlState<ComboState>(combo);
    if (state == nullptr)
        return DefWindowProcA(combo, message, wParam, lParam);
    switch (message) {
    case CB_ADDSTRING:
        return Add(combo, state, reinterpret_cast<LPCSTR>(lParam));
    case CB_DELETESTRING:
        return Delete(combo, state, wParam);
    case CB_RESETCONTENT:
        state->Clear();
        state->selection = CB_ERR;
        DefWindowProcA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        InvalidateRect(combo, nullptr, TRUE);
        return 0;
    case CB_GETCOUNT:
        return static_cast<LRESULT>(state->items.size());
    case CB_GETCURSEL:
        return state->selection;
    case CB_GETLBTEXTLEN:
        return InList(*state, wParam) ? static_cast<LRESULT>(state->items[wParam]->text.size()) : CB_ERR;
    case CB_GETLBTEXT:
        if (!InList(*state, wParam) || lParam == 0)
            return CB_ERR;
        std::memcpy(reinterpret_cast<char *>(lParam), state->items[wParam]->text.c_str(),
                    state->items[wParam]->text.size() + 1);
        return static_cast<LRESULT>(state->items[wParam]->text.size());
    case CB_SETCURSEL:
        return Select(combo, state, wParam);
    case CB_SETITEMDATA:
        if (!InList(*state, wParam))
            return CB_ERR;
        state->items[wParam]->data = lParam;
        return TRUE;
    case CB_GETITEMDATA:
        return InList(*state, wParam) ? state->items[wParam]->data : CB_ERR;
    case CB_FINDSTRINGEXACT:
        return FindExact(combo, *state, wParam, reinterpret_cast<LPCSTR>(lParam));
    case CB_SHOWDROPDOWN:
        ShowList(combo, state, wParam != 0);
        return TRUE;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam) != 0)
            InvalidateRect(combo, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_PAINT:
        Paint(combo, *state);
        return 0;
    case WM_SETTEXT: {
        result = DefWindowProcA(combo, message, wParam, lParam);
        InvalidateRect(combo, nullptr, TRUE);
        Notify(combo, CBN_EDITCHANGE);
        return result;
    }
    default:
        return DefWindowProcA(combo, message, wParam, lParam);
    }
}

} // namespace qelwin
