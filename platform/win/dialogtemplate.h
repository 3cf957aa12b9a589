// Dialog templates: a dialog's layout as a module's RT_DIALOG resource.
//
// On Windows the resource compiler writes a binary layout; here a module's resource table
// points at the structures below, in the module's own data. Positions and sizes are in
// dialog units (MapDialogRect). A dialog made from one gets one child window per item, in
// the order of the items.
#pragma once

#include "basetypes.h"

struct QEL_DLGITEMTEMPLATE {
    LPCSTR className; // "Button", "Edit", "Static", a registered class, or an ActiveX
                      // class as "{CLSID}", which the framework makes (afxdialog.h)
    int id;
    LPCSTR text; // NULL for none
    DWORD style; // WS_CHILD is added
    DWORD exStyle;
    short x, y, cx, cy;
};

struct QEL_DLGTEMPLATE {
    LPCSTR caption;
    DWORD style; // WS_VISIBLE shows a modeless dialog when it is made; WS_CHILD makes a page
    DWORD exStyle;
    short x, y, cx, cy;
    const QEL_DLGITEMTEMPLATE *items;
    UINT itemCount;
};
