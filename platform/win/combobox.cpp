#include "combobox.h"

#include "controlstate.h"
#include "systemclasses.h"
#include "dialogs.h"
#include "windowinfo.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ComboState {
    std::vector<std::string> items;
    int selection = CB_ERR;
};

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

} // namespace

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
        state->items.emplace_back(lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "");
        return static_cast<LRESULT>(state->items.size() - 1);
    case CB_RESETCONTENT:
        state->items.clear();
        state->selection = CB_ERR;
        DefWindowProcA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        return 0;
    case CB_GETCOUNT:
        return static_cast<LRESULT>(state->items.size());
    case CB_GETCURSEL:
        return state->selection;
    case CB_GETLBTEXTLEN:
        return InList(*state, wParam) ? static_cast<LRESULT>(state->items[wParam].size()) : CB_ERR;
    case CB_GETLBTEXT:
        if (!InList(*state, wParam) || lParam == 0)
            return CB_ERR;
        std::memcpy(reinterpret_cast<char *>(lParam), state->items[wParam].c_str(), state->items[wParam].size() + 1);
        return static_cast<LRESULT>(state->items[wParam].size());
    case CB_SETCURSEL:
        if (static_cast<int>(wParam) == -1) {
            state->selection = CB_ERR;
            DefWindowProcA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
            return CB_ERR;
        }
        if (!InList(*state, wParam))
            return CB_ERR;
        state->selection = static_cast<int>(wParam);
        DefWindowProcA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state->items[wParam].c_str()));
        return state->selection;
    case WM_SETTEXT: {
        result = DefWindowProcA(combo, message, wParam, lParam);
        Notify(combo, CBN_EDITCHANGE);
        return result;
    }
    default:
        return DefWindowProcA(combo, message, wParam, lParam);
    }
}

} // namespace qelwin
