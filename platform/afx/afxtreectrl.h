// CTreeCtrl: the framework's object over a "SysTreeView32" window (treeview.h).
#pragma once

#include "afxctrls.h"
#include "afxstring.h"
#include "afxwnd.h"
#include "treeview.h"

class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(const TVINSERTSTRUCT *lpInsertStruct);
    // An item with the fields of `nMask` (TVIF_) from the arguments that follow.
    HTREEITEM InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                         UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    HTREEITEM InsertItem(LPCTSTR lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    BOOL DeleteItem(HTREEITEM hItem);
    BOOL DeleteAllItems();
    BOOL Expand(HTREEITEM hItem, UINT nCode);
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL ItemHasChildren(HTREEITEM hItem) const;
    BOOL GetItem(TVITEM *pItem) const;
    BOOL SetItem(TVITEM *pItem);
    CString GetItemText(HTREEITEM hItem) const;
    BOOL GetItemImage(HTREEITEM hItem, int &nImage, int &nSelectedImage) const;
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const;
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const;
    HTREEITEM HitTest(POINT pt, UINT *pFlags = nullptr) const;
    BOOL SelectItem(HTREEITEM hItem);
    BOOL SortChildren(HTREEITEM hItem);
    UINT GetCount() const;
    // Answers the list it replaces, as a handle (the framework's temporary object is
    // left out).
    HIMAGELIST SetImageList(CImageList *pImageList, int nImageListType);
};
