// The common control "SysTreeView32": items in a hierarchy, each with a text (or one its
// parent window gives on request), images, a state and a number of its caller's.
//
// Nothing is drawn. The layout that hit tests and item rectangles use: rows of 16 pixels
// from y 0, one per visible item (an item is visible when every ancestor is expanded);
// an item of level L (0 at the root) begins at x = 19 * (L + 1) with TVS_LINESATROOT and
// 19 * L without, its button in the 19 pixels before that, its image (when the tree has
// a normal image list) 16 pixels wide, then its label of 6 pixels a character and 4 more.
//
// Item handles are checked: a handle of no item of the tree (one deleted among them)
// fails every operation. Handles are never used again within a tree.
#pragma once

#include "basetypes.h"
#include "imagelist.h"
#include "listview.h"

#define WC_TREEVIEWA "SysTreeView32"
#define WC_TREEVIEW WC_TREEVIEWA

QEL_DECLARE_HANDLE(HTREEITEM);

#define TVI_ROOT ((HTREEITEM)(ULONG_PTR)-0x10000)
#define TVI_FIRST ((HTREEITEM)(ULONG_PTR)-0x0FFFF)
#define TVI_LAST ((HTREEITEM)(ULONG_PTR)-0x0FFFE)
#define TVI_SORT ((HTREEITEM)(ULONG_PTR)-0x0FFFD)
// The owner-drawn tree's descending sorted insertion (32-bit code 0xFFFF0010).
#define TVI_SORTDESCENDING ((HTREEITEM)(ULONG_PTR)-0x0FFF0)

#define TVS_HASBUTTONS 0x0001
#define TVS_HASLINES 0x0002
#define TVS_LINESATROOT 0x0004
#define TVS_EDITLABELS 0x0008
#define TVS_DISABLEDRAGDROP 0x0010
#define TVS_SHOWSELALWAYS 0x0020
#define TVS_INFOTIP 0x0800

#define TVIF_TEXT 0x0001
#define TVIF_IMAGE 0x0002
#define TVIF_PARAM 0x0004
#define TVIF_STATE 0x0008
#define TVIF_HANDLE 0x0010
#define TVIF_SELECTEDIMAGE 0x0020
#define TVIF_CHILDREN 0x0040

#define TVIS_SELECTED 0x0002
#define TVIS_CUT 0x0004
#define TVIS_DROPHILITED 0x0008
#define TVIS_BOLD 0x0010
#define TVIS_EXPANDED 0x0020
#define TVIS_EXPANDEDONCE 0x0040
#define TVIS_OVERLAYMASK 0x0F00
#define TVIS_STATEIMAGEMASK 0xF000

#define LPSTR_TEXTCALLBACKA ((LPSTR)-1L)
#define LPSTR_TEXTCALLBACK LPSTR_TEXTCALLBACKA
#define I_CHILDRENCALLBACK (-1)
#define I_IMAGECALLBACK (-1)

#define TVE_COLLAPSE 0x0001
#define TVE_EXPAND 0x0002
#define TVE_TOGGLE 0x0003
#define TVE_COLLAPSERESET 0x8000

#define TVGN_ROOT 0x0000
#define TVGN_NEXT 0x0001
#define TVGN_PREVIOUS 0x0002
#define TVGN_PARENT 0x0003
#define TVGN_CHILD 0x0004
#define TVGN_FIRSTVISIBLE 0x0005
#define TVGN_NEXTVISIBLE 0x0006
#define TVGN_PREVIOUSVISIBLE 0x0007
#define TVGN_DROPHILITE 0x0008
#define TVGN_CARET 0x0009

#define TVSIL_NORMAL 0
#define TVSIL_STATE 2

#define TVHT_NOWHERE 0x0001
#define TVHT_ONITEMICON 0x0002
#define TVHT_ONITEMLABEL 0x0004
#define TVHT_ONITEMINDENT 0x0008
#define TVHT_ONITEMBUTTON 0x0010
#define TVHT_ONITEMRIGHT 0x0020
#define TVHT_ONITEMSTATEICON 0x0040
#define TVHT_ONITEM (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)
#define TVHT_ABOVE 0x0100
#define TVHT_BELOW 0x0200
#define TVHT_TORIGHT 0x0400
#define TVHT_TOLEFT 0x0800

#define TV_FIRST 0x1100
#define TVM_INSERTITEMA (TV_FIRST + 0)
#define TVM_DELETEITEM (TV_FIRST + 1)
#define TVM_EXPAND (TV_FIRST + 2)
#define TVM_GETITEMRECT (TV_FIRST + 4)
#define TVM_GETCOUNT (TV_FIRST + 5)
#define TVM_GETIMAGELIST (TV_FIRST + 8)
#define TVM_SETIMAGELIST (TV_FIRST + 9)
#define TVM_GETNEXTITEM (TV_FIRST + 10)
#define TVM_SELECTITEM (TV_FIRST + 11)
#define TVM_GETITEMA (TV_FIRST + 12)
#define TVM_SETITEMA (TV_FIRST + 13)
#define TVM_HITTEST (TV_FIRST + 17)
#define TVM_SORTCHILDREN (TV_FIRST + 19)
#define TVM_INSERTITEM TVM_INSERTITEMA
#define TVM_GETITEM TVM_GETITEMA
#define TVM_SETITEM TVM_SETITEMA

#define NM_RCLICK ((UINT)-5)

#define NM_RETURN ((UINT)-4)

#define TVN_FIRST ((UINT)-400)
#define TVN_SELCHANGINGA (TVN_FIRST - 1)
#define TVN_SELCHANGEDA (TVN_FIRST - 2)
#define TVN_GETDISPINFOA (TVN_FIRST - 3)
#define TVN_SETDISPINFOA (TVN_FIRST - 4)
#define TVN_ITEMEXPANDINGA (TVN_FIRST - 5)
#define TVN_ITEMEXPANDEDA (TVN_FIRST - 6)
#define TVN_BEGINDRAGA (TVN_FIRST - 7)
#define TVN_BEGINRDRAGA (TVN_FIRST - 8)
#define TVN_DELETEITEMA (TVN_FIRST - 9)
#define TVN_BEGINLABELEDITA (TVN_FIRST - 10)
#define TVN_ENDLABELEDITA (TVN_FIRST - 11)
#define TVN_KEYDOWN (TVN_FIRST - 12)
#define TVN_GETINFOTIPA (TVN_FIRST - 13)
#define TVN_GETDISPINFO TVN_GETDISPINFOA
#define TVN_DELETEITEM TVN_DELETEITEMA
#define TVN_GETINFOTIP TVN_GETINFOTIPA
#define TVN_SELCHANGED TVN_SELCHANGEDA

#define TVC_UNKNOWN 0x0000
#define TVC_BYMOUSE 0x0001
#define TVC_BYKEYBOARD 0x0002

typedef struct tagTVITEMA {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
} TVITEMA, *LPTVITEMA, TVITEM, *LPTVITEM, TV_ITEMA, TV_ITEM;

typedef struct tagTVINSERTSTRUCTA {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEMA item;
} TVINSERTSTRUCTA, *LPTVINSERTSTRUCTA, TVINSERTSTRUCT, *LPTVINSERTSTRUCT, TV_INSERTSTRUCTA, TV_INSERTSTRUCT;

typedef struct tagNMTREEVIEWA {
    NMHDR hdr;
    UINT action;
    TVITEMA itemOld;
    TVITEMA itemNew;
    POINT ptDrag;
} NMTREEVIEWA, *LPNMTREEVIEWA, NMTREEVIEW, *LPNMTREEVIEW, NM_TREEVIEWA, NM_TREEVIEW;

typedef struct tagTVDISPINFOA {
    NMHDR hdr;
    TVITEMA item;
} NMTVDISPINFOA, *LPNMTVDISPINFOA, NMTVDISPINFO, *LPNMTVDISPINFO, TV_DISPINFO;

typedef struct tagTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
} NMTVKEYDOWN, *LPNMTVKEYDOWN, TV_KEYDOWN;

typedef int (*PFNTVCOMPARE)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

typedef struct tagTVSORTCB {
    HTREEITEM hParent;
    PFNTVCOMPARE lpfnCompare;
    LPARAM lParam;
} TVSORTCB, *LPTVSORTCB, TV_SORTCB;

typedef struct tagNMTVGETINFOTIPA {
    NMHDR hdr;
    LPSTR pszText;
    int cchTextMax;
    HTREEITEM hItem;
    LPARAM lParam;
} NMTVGETINFOTIPA, *LPNMTVGETINFOTIPA, NMTVGETINFOTIP, *LPNMTVGETINFOTIP;

typedef struct tagTVHITTESTINFO {
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
} TVHITTESTINFO, *LPTVHITTESTINFO;

#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TREEVIEW_CLASSES 0x00000002

typedef struct tagINITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

// The common controls' classes exist from the start here; FALSE only for a null or
// short structure.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX *init);

// Messages, as on Windows:
// - TVM_INSERTITEMA: a new item under hParent (TVI_ROOT or NULL: the root level) at the
//   first or last place, after the sibling hInsertAfter, or (TVI_SORT) before the first
//   sibling whose text sorts after its own; the item's handle, NULL on failure.
// - TVM_DELETEITEM: the item lParam with its children (TVI_ROOT or NULL: all items); the
//   parent window is told TVN_DELETEITEMA (itemOld: handle and lParam) for each, children
//   first, while it can still be read. While the tree tells of a deletion or asks for a
//   text, items are neither inserted, deleted nor sorted (NULL or FALSE).
// - TVM_EXPAND: wParam TVE_COLLAPSE, TVE_EXPAND or TVE_TOGGLE on item lParam.
// - TVM_GETNEXTITEM: the item related to lParam by wParam (TVGN_); NULL for none.
// - TVM_GETITEMA, TVM_SETITEMA: the fields of hItem under mask (TVIF_STATE under
//   stateMask). A callback text (LPSTR_TEXTCALLBACKA) is asked for with
//   TVN_GETDISPINFOA; children without TVIF_CHILDREN are the item's own.
// - TVM_GETITEMRECT: *(HTREEITEM *)lParam in, its row (wParam FALSE) or its label
//   (TRUE) out; FALSE for an item that is not visible.
// - TVM_HITTEST: the item at pt and where on it; NULL for none.
// - TVM_SELECTITEM: TVGN_CARET selects item lParam (NULL: none), telling the parent
//   TVN_SELCHANGEDA when the selection changes.
// - TVM_SORTCHILDREN: the children of lParam by text, blind to case (wParam TRUE: their
//   children too); each callback text is asked for once.
// - TVM_SETIMAGELIST: list lParam of kind wParam, answering the one it replaces.
// - TVM_GETCOUNT: the number of items.
// A user's mouse: WM_LBUTTONDOWN on a button toggles the item, on its icon or label
// selects it, then NM_CLICK; WM_LBUTTONDBLCLK tells NM_DBLCLK and, when the parent
// answers 0, toggles the item under it; WM_RBUTTONDOWN tells NM_RCLICK. WM_MOUSEMOVE
// over an item other than the last one asks the parent for the item's tip with
// TVN_GETINFOTIPA (TVS_INFOTIP), which the tree shows until the mouse leaves the item.

// The tip that the tree shows (empty for none), in `buffer` of `size` bytes; the count
// written, -1 for a window that is no tree of this class.
int QelTreeTipText(HWND tree, LPSTR buffer, int size);
