#include "controls.h"

#include "dialogs.h"
#include "syscolors.h"
#include "systemclasses.h"
#include "windowclass.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"

namespace {

// The window word of a button that keeps its check.
const int kStateWord = 0;

DWORD ButtonKind(HWND button)
{
    return static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE)) & BS_TYPEMASK;
}

bool HasCheck(DWORD kind)
{
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

// Clears the other automatic radio buttons of the button's group.
void ClearGroup(HWND button)
{
    std::vector<HWND> siblings = qelwin::ChildWindows(GetParent(button));
    size_t self = 0;
    while (self < siblings.size() && siblings[self] != button)
        ++self;
    if (self == siblings.size())
        return;
    size_t first = self;
    while (first > 0 && (GetWindowLongA(siblings[first], GWL_STYLE) & WS_GROUP) == 0)
        --first;
    for (size_t i = first; i < siblings.size(); ++i) {
        if (i > self && (GetWindowLongA(siblings[i], GWL_STYLE) & WS_GROUP) != 0)
            break;
        if (i != self && ButtonKind(siblings[i]) == BS_AUTORADIOBUTTON)
            SetWindowLongPtrA(siblings[i], kStateWord, BST_UNCHECKED);
    }
}

LRESULT CALLBACK ButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BM_GETCHECK:
        return HasCheck(ButtonKind(button)) ? GetWindowLongPtrA(button, kStateWord) : BST_UNCHECKED;
    case BM_SETCHECK:
        if (HasCheck(ButtonKind(button)))
            SetWindowLongPtrA(button, kStateWord, static_cast<LONG_PTR>(wParam));
        return 0;
    case BM_CLICK: {
        if (!IsWindowEnabled(button))
            return 0;
        DWORD kind = ButtonKind(button);
        if (kind == BS_AUTOCHECKBOX) {
            LONG_PTR check = GetWindowLongPtrA(button, kStateWord);
            SetWindowLongPtrA(button, kStateWord, check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED);
        } else if (kind == BS_AUTORADIOBUTTON) {
            SetWindowLongPtrA(button, kStateWord, BST_CHECKED);
            ClearGroup(button);
        }
        qelwin::NotifyParent(button, BN_CLICKED);
        return 0;
    }
    default:
        return DefWindowProcA(button, message, wParam, lParam);
    }
}

} // namespace

namespace qelwin {

const char kDialogClassName[] = "#32770";

void NotifyParent(HWND control, WORD code)
{
    HWND parent = GetParent(control);
    if (parent != nullptr)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

std::vector<WindowClassEntry> SystemClasses()
{
    const int word = static_cast<int>(sizeof(LONG_PTR));
    return {
        {"Button", ButtonProcedure, word},
        {"Edit", EditProcedure, word, 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)},
        {"ScrollBar", ScrollBarProcedure, word},
        {"Static", DefWindowProcA, 0},
        {"ComboBox", ComboBoxProcedure, word},
        {"msctls_progress32", ProgressBarProcedure, kProgressBarExtraBytes},
        {"SysListView32", ListViewProcedure, word},
        {"SysTreeView32", TreeViewProcedure, word},
        {"tooltips_class32", ToolTipProcedure, word},
        {kDialogClassName, DefDlgProcA, DLGWINDOWEXTRA},
    };
}

} // namespace qelwin
