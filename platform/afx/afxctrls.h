// The framework's control classes the system uses: thin CWnd objects over the controls'
// messages (combobox.h, progressbar.h, listview.h, imagelist.h). A dialog binds one to
// its template's control with DDX_Control.
#pragma once

#include "afxgdi.h"
#include "afxstring.h"
#include "afxwnd.h"
#include "basetypes.h"
#include "imagelist.h"
#include "listview.h"

class CComboBox : public CWnd {
public:
    int AddString(LPCTSTR lpszString);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    // Selects the item and shows its text; CB_ERR for an index out of the list.
    int SetCurSel(int nSelect);
    int GetLBTextLen(int nIndex) const;
    // The item's text; empty (and CB_ERR) for an index out of the list.
    int GetLBText(int nIndex, CString &rString) const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short nLower, short nUpper);
    void SetRange32(int nLower, int nUpper);
    // Answers the previous position.
    int SetPos(int nPos);
    int GetPos() const;
};

class CBitmap;
class CDC;

// An image list that the object owns and destroys.
class CImageList {
public:
    CImageList() = default;
    ~CImageList();
    CImageList(const CImageList &) = delete;
    CImageList &operator=(const CImageList &) = delete;

    // The images `cx` wide of the bitmap resource `nBitmapID` of the module that holds
    // it; FALSE when there is none or it is no bitmap of whole images.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    // An empty list (ImageList_Create); the object's list before is destroyed.
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // A copy of the other list (ImageList_Duplicate), independent of it.
    BOOL Create(CImageList *pImageList);
    BOOL DeleteImageList();
    // FALSE when the object has a list already or `hImageList` is NULL.
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    int GetImageCount() const;
    // The index of the first image added, -1 on failure (imagelist.h).
    int Add(CBitmap *pbmImage, CBitmap *pbmMask);
    int Add(CBitmap *pbmImage, COLORREF crMask);
    BOOL Draw(CDC *pDC, int nImage, POINT pt, UINT nStyle);
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    BOOL GetImageInfo(int nImage, IMAGEINFO *pImageInfo) const;
    // Image nImage becomes overlay nOverlay (1 to 15, imagelist.h).
    BOOL SetOverlayImage(int nImage, int nOverlay);
    // One image: image nImage1 of the first list with image nImage2 of the second laid
    // over it at (dx, dy) (ImageList_Merge); the object's list before is destroyed.
    BOOL Create(CImageList &imageList1, int nImage1, CImageList &imageList2, int nImage2, int dx, int dy);
    // A drag of image nImage (imagelistdrag.h): kept, not drawn.
    BOOL BeginDrag(int nImage, CPoint ptHotSpot);
    static BOOL DragEnter(CWnd *pWndLock, CPoint point);
    static BOOL DragMove(CPoint pt);
    static BOOL DragLeave(CWnd *pWndLock);
    static void EndDrag();
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    HIMAGELIST m_hImageList = nullptr;
};

class CListCtrl : public CWnd {
public:
    int InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    int InsertItem(const LVITEM *pItem);
    BOOL SetItem(const LVITEM *pItem);
    BOOL GetItem(LVITEM *pItem) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const;
    int GetItemCount() const;
    BOOL DeleteAllItems();
    // Answers the list it replaces, as a handle (the framework's temporary object is
    // left out).
    HIMAGELIST SetImageList(CImageList *pImageList, int nImageListType);
    int HitTest(LVHITTESTINFO *pHitTestInfo) const;
    int SubItemHitTest(LVHITTESTINFO *pInfo);
};

class CDataExchange;
// Binds `rControl` to the item `nIDC` of the dialog (SubclassWindow) the first time; an
// item that does not exist or cannot be bound throws CNotSupportedException, as a
// missing item does for the other exchanges.
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);
