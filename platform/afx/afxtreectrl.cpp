#include "afxtreectrl.h"

#include <cstring>

HTREEITEM CTreeCtrl::InsertItem(const TVINSERTSTRUCT *lpInsertStruct)
{
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(m_hWnd, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(lpInsertStruct)));
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                                UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCT insert{};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = nMask;
    insert.item.pszText = const_cast<LPSTR>(lpszItem);
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    insert.item.state = nState;
    insert.item.stateMask = nStateMask;
    insert.item.lParam = lParam;
    return InsertItem(&insert);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM hItem)
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem)));
}

BOOL CTreeCtrl::DeleteAllItems()
{
    return DeleteItem(TVI_ROOT);
}

BOOL CTreeCtrl::Expand(HTREEITEM hItem, UINT nCode)
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem)));
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const
{
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(m_hWnd, TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    TVITEM item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = hItem;
    return GetItem(&item) && item.cChildren != 0;
}

BOOL CTreeCtrl::GetItem(TVITEM *pItem) const
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CTreeCtrl::SetItem(TVITEM *pItem)
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    char buffer[260] = "";
    TVITEM item{};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    return GetItem(&item) ? CString(buffer) : CString();
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int &nImage, int &nSelectedImage) const
{
    TVITEM item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = hItem;
    if (!GetItem(&item))
        return FALSE;
    nImage = item.iImage;
    nSelectedImage = item.iSelectedImage;
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage)
{
    TVITEM item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = hItem;
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    return SetItem(&item);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEM item{};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
{
    TVITEM item{};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return SetItem(&item);
}

UINT CTreeCtrl::GetItemState(HTREEITEM hItem, UINT nStateMask) const
{
    TVITEM item{};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.stateMask = nStateMask;
    return GetItem(&item) ? item.state : 0;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const
{
    if (lpRect == nullptr)
        return FALSE;
    std::memcpy(lpRect, &hItem, sizeof hItem); // the item goes in the rectangle's place
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TVM_GETITEMRECT, bTextOnly, reinterpret_cast<LPARAM>(lpRect)));
}

HTREEITEM CTreeCtrl::HitTest(POINT pt, UINT *pFlags) const
{
    TVHITTESTINFO hit{};
    hit.pt = pt;
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(::SendMessageA(m_hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (pFlags != nullptr)
        *pFlags = hit.flags;
    return item;
}

BOOL CTreeCtrl::SelectItem(HTREEITEM hItem)
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)));
}

BOOL CTreeCtrl::SortChildren(HTREEITEM hItem)
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(hItem)));
}

UINT CTreeCtrl::GetCount() const
{
    return static_cast<UINT>(::SendMessageA(m_hWnd, TVM_GETCOUNT, 0, 0));
}

HIMAGELIST CTreeCtrl::SetImageList(CImageList *pImageList, int nImageListType)
{
    return reinterpret_cast<HIMAGELIST>(
        ::SendMessageA(m_hWnd, TVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                       reinterpret_cast<LPARAM>(pImageList != nullptr ? pImageList->GetSafeHandle() : nullptr)));
}
