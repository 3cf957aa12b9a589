// Dialog 291, "Select Symbol", in dialog units. The tree item is the platform's tree view
// until the dialog's data exchange puts the owner-drawn tree in its place; the check box
// stays hidden and disabled unless the dialog's mode asks for it.
#include "selectdialogresources.h"

#include <controls.h>
#include <treeview.h>

namespace {

const QEL_DLGITEMTEMPLATE kSelectItems[] = {
    {"SysTreeView32", IDC_SELECT_TREE, nullptr,
     TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP | WS_BORDER | WS_TABSTOP | WS_VISIBLE, 0, 7, 7, 146,
     128},
    {"Button", IDC_SELECT_EXPAND, "&Expand", BS_AUTOCHECKBOX | WS_TABSTOP | WS_DISABLED, 0, 7, 138, 60, 10},
    {"Button", IDOK, "&Select", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 28, 150, 50, 14},
    {"Button", IDCANCEL, "&Close", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 82, 150, 50, 14},
};

} // namespace

const QEL_DLGTEMPLATE g_SymbolSelectDialog = {"Select Symbol", WS_POPUP,
                                              0, 0, 0, 160, 166, kSelectItems,
                                              sizeof kSelectItems / sizeof kSelectItems[0]};
