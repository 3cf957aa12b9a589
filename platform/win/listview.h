// The common control "SysListView32" in report form: rows of texts with a number of
// their caller's, a state (its state image in the bits of LVIS_STATEIMAGEMASK) and image
// lists. Nothing is drawn; hit tests use a fixed layout: rows of 16 pixels from y 0,
// the state icon at x 0-15, the columns side by side from x 0.
#pragma once

#include "basetypes.h"

#define WC_LISTVIEWA "SysListView32"
#define WC_LISTVIEW WC_LISTVIEWA

#define WM_NOTIFY 0x004E

typedef struct tagNMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
} NMHDR, *LPNMHDR;

#define NM_CLICK ((UINT)-2)
#define NM_DBLCLK ((UINT)-3)

#define LVS_REPORT 0x0001
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008

#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008

#define LVIS_SELECTED 0x0002
#define LVIS_STATEIMAGEMASK 0xF000
#define INDEXTOSTATEIMAGEMASK(i) ((UINT)(i) << 12)

#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008
#define LVCFMT_LEFT 0x0000

#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2

#define LVHT_NOWHERE 0x0001
#define LVHT_ONITEMICON 0x0002
#define LVHT_ONITEMLABEL 0x0004
#define LVHT_ONITEMSTATEICON 0x0008

#define LVM_FIRST 0x1000
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_SUBITEMHITTEST (LVM_FIRST + 57)

typedef struct tagLVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
} LVITEMA, *LPLVITEMA, LVITEM;

typedef struct tagLVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
} LVCOLUMNA, *LPLVCOLUMNA, LVCOLUMN;

typedef struct tagLVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
} LVHITTESTINFO, *LPLVHITTESTINFO;

typedef struct tagNMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
} NMITEMACTIVATE, *LPNMITEMACTIVATE;

// Messages, as on Windows: LVM_INSERTCOLUMNA (wParam the index) and LVM_INSERTITEMA
// (the row at iItem, kept inside the list) answer the new index, -1 on failure;
// LVM_SETITEMA/LVM_GETITEMA move LVIF_TEXT, LVIF_PARAM and LVIF_STATE (under stateMask)
// of a row or a column's text (iSubItem); LVM_SETITEMTEXTA and LVM_SETITEMSTATE take row
// wParam (-1: every row for the state); LVM_GETITEMSTATE answers row wParam's state under
// mask lParam; LVM_SETIMAGELIST keeps list lParam of kind wParam and answers the one it
// replaces; LVM_HITTEST and LVM_SUBITEMHITTEST answer the row under pt, -1 for none.

// A user's click (or double click) on row `row` of `list`, on its state icon or on its
// label: the parent gets WM_NOTIFY with an NMITEMACTIVATE of NM_CLICK or NM_DBLCLK at a
// point inside the row; answers what the parent answers. -1 for a window that is no
// list of this class.
LRESULT QelClickListItem(HWND list, int row, BOOL onStateIcon, BOOL doubleClick);
