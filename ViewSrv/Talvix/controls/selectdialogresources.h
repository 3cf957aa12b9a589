// The resources of the symbol selection dialog: dialog 291 with its items and bitmap 281.
#pragma once

#include <afx.h>

enum : UINT {
    IDB_SELECT_IMAGES = 281, // eight images of 16 by 16 (selectimages.py)
    IDD_SYMBOL_SELECT = 291,
    IDC_SELECT_TREE = 1040,
    IDC_SELECT_EXPAND = 1046,
};

extern const QEL_DLGTEMPLATE g_SymbolSelectDialog;
