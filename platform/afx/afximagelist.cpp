#include "afxctrls.h"
#include "afxdc.h"
#include "afxgdi.h"
#include "imagelistdrag.h"

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

BOOL CImageList::Create(CImageList *pImageList)
{
    HIMAGELIST copy = pImageList != nullptr ? ImageList_Duplicate(pImageList->m_hImageList) : nullptr;
    if (copy == nullptr)
        return FALSE;
    DeleteImageList();
    m_hImageList = copy;
    return TRUE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (m_hImageList != nullptr || hImageList == nullptr)
        return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}

int CImageList::Add(CBitmap *pbmImage, CBitmap *pbmMask)
{
    return ImageList_Add(m_hImageList, pbmImage != nullptr ? static_cast<HBITMAP>(*pbmImage) : nullptr,
                         pbmMask != nullptr ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

int CImageList::Add(CBitmap *pbmImage, COLORREF crMask)
{
    return ImageList_AddMasked(m_hImageList, pbmImage != nullptr ? static_cast<HBITMAP>(*pbmImage) : nullptr, crMask);
}

BOOL CImageList::Draw(CDC *pDC, int nImage, POINT pt, UINT nStyle)
{
    return ImageList_Draw(m_hImageList, nImage, pDC != nullptr ? pDC->m_hDC : nullptr, pt.x, pt.y, nStyle);
}

COLORREF CImageList::SetBkColor(COLORREF cr)
{
    return ImageList_SetBkColor(m_hImageList, cr);
}

COLORREF CImageList::GetBkColor() const
{
    return ImageList_GetBkColor(m_hImageList);
}

BOOL CImageList::GetImageInfo(int nImage, IMAGEINFO *pImageInfo) const
{
    return ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
}

BOOL CImageList::SetOverlayImage(int nImage, int nOverlay)
{
    return ImageList_SetOverlayImage(m_hImageList, nImage, nOverlay);
}

BOOL CImageList::Create(CImageList &imageList1, int nImage1, CImageList &imageList2, int nImage2, int dx, int dy)
{
    HIMAGELIST merged = ImageList_Merge(imageList1.m_hImageList, nImage1, imageList2.m_hImageList, nImage2, dx, dy);
    if (merged == nullptr)
        return FALSE;
    DeleteImageList();
    m_hImageList = merged;
    return TRUE;
}

BOOL CImageList::BeginDrag(int nImage, CPoint ptHotSpot)
{
    return ImageList_BeginDrag(m_hImageList, nImage, ptHotSpot.x, ptHotSpot.y);
}

BOOL CImageList::DragEnter(CWnd *pWndLock, CPoint point)
{
    return ImageList_DragEnter(pWndLock != nullptr ? pWndLock->m_hWnd : nullptr, point.x, point.y);
}

BOOL CImageList::DragMove(CPoint pt)
{
    return ImageList_DragMove(pt.x, pt.y);
}

BOOL CImageList::DragLeave(CWnd *pWndLock)
{
    return ImageList_DragLeave(pWndLock != nullptr ? pWndLock->m_hWnd : nullptr);
}

void CImageList::EndDrag()
{
    ImageList_EndDrag();
}
