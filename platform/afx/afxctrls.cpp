#include "afxctrls.h"

#include "afxdatax.h"
#include "afxexcept.h"
#include "afxmodule.h"
#include "combobox.h"
#include "progressbar.h"
#include "resources.h"

#include <vector>

int CComboBox::AddString(LPCTSTR lpszString)
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
}

void CComboBox::ResetContent()
{
    ::SendMessageA(m_hWnd, CB_RESETCONTENT, 0, 0);
}

int CComboBox::GetCount() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0));
}

int CComboBox::GetCurSel() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0));
}

int CComboBox::SetCurSel(int nSelect)
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0));
}

int CComboBox::GetLBTextLen(int nIndex) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0));
}

int CComboBox::GetLBText(int nIndex, CString &rString) const
{
    rString.Empty();
    int length = GetLBTextLen(nIndex);
    if (length < 0)
        return CB_ERR;
    std::vector<char> text(static_cast<size_t>(length) + 1);
    int result = static_cast<int>(::SendMessageA(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                                 reinterpret_cast<LPARAM>(text.data())));
    if (result >= 0)
        rString = text.data();
    return result;
}

void CProgressCtrl::SetRange(short nLower, short nUpper)
{
    ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
}

void CProgressCtrl::SetRange32(int nLower, int nUpper)
{
    ::SendMessageA(m_hWnd, PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper);
}

int CProgressCtrl::SetPos(int nPos)
{
    return static_cast<int>(::SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(nPos), 0));
}

int CProgressCtrl::GetPos() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, PBM_GETPOS, 0, 0));
}

CImageList::~CImageList()
{
    DeleteImageList();
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    DeleteImageList();
    LPCSTR name = MAKEINTRESOURCE(nBitmapID);
    m_hImageList = ImageList_LoadImageA(AfxFindResourceHandle(name, RT_BITMAP), name, cx, nGrow, crMask, IMAGE_BITMAP,
                                        LR_DEFAULTCOLOR);
    return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList()
{
    if (m_hImageList == nullptr)
        return FALSE;
    BOOL done = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return done;
}

int CImageList::GetImageCount() const
{
    return ImageList_GetImageCount(m_hImageList);
}

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = nFormat;
    column.pszText = const_cast<LPSTR>(lpszColumnHeading);
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(const LVITEM *pItem)
{
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CListCtrl::SetItem(const LVITEM *pItem)
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CListCtrl::GetItem(LVITEM *pItem) const
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText)
{
    LVITEMA item{};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPSTR>(lpszText);
    return static_cast<BOOL>(::SendMessageA(m_hWnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    char text[1024] = "";
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.iSubItem = nSubItem;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    GetItem(&item);
    return CString(text);
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return SetItem(&item);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item{};
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(::SendMessageA(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const
{
    return static_cast<UINT>(::SendMessageA(m_hWnd, LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
}

BOOL CListCtrl::DeleteAllItems()
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0));
}

HIMAGELIST CListCtrl::SetImageList(CImageList *pImageList, int nImageListType)
{
    return reinterpret_cast<HIMAGELIST>(::SendMessageA(m_hWnd, LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                                                       reinterpret_cast<LPARAM>(pImageList != nullptr ? pImageList->m_hImageList : nullptr)));
}

int CListCtrl::HitTest(LVHITTESTINFO *pHitTestInfo) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(pHitTestInfo)));
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO *pInfo)
{
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(pInfo)));
}

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl)
{
    if (rControl.m_hWnd != nullptr)
        return;
    // A control that cannot be bound means the class and its template disagree.
    if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC)))
        AfxThrowNotSupportedException();
}
