// Drag images of tree items: the icon and the text side by side, and the dialog exchange
// that puts a tree in place of a dialog item.
#include "drawntreebase.h"

#include "afxdatax.h"
#include "afxdc.h"
#include "syscolors.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowstate.h"

#include <memory>

namespace {

// The masked image list of one image that holds `bitmap`; NULL on failure.
CImageList *ListOfBitmap(CBitmap *bitmap, int cx, int cy, COLORREF mask)
{
    std::unique_ptr<CImageList> list(new CImageList);
    if (!list->Create(cx, cy, ILC_MASK | ILC_COLOR32, 1, 0) || list->Add(bitmap, mask) < 0)
        return nullptr;
    return list.release();
}

} // namespace

CBitmap *DrawnTreeBaseC::CreateTextBitmap(CDC *dc, LPCSTR text)
{
    if (dc == nullptr || text == nullptr)
        return nullptr;
    CFont *before = dc->SelectObject(GetLabelFont());
    CSize extent = dc->GetTabbedTextExtent(text, static_cast<int>(std::strlen(text)), 0, nullptr);
    if (extent.cx < 1 || extent.cy < 1) {
        dc->SelectObject(before);
        return nullptr;
    }
    std::unique_ptr<CBitmap> bitmap(new CBitmap);
    CClientDC window(this);
    if (!bitmap->CreateCompatibleBitmap(&window, extent.cx, extent.cy)) {
        dc->SelectObject(before);
        return nullptr;
    }
    CBitmap *previous = dc->SelectObject(bitmap.get());
    CRect area(0, 0, extent.cx, extent.cy);
    dc->FillSolidRect(&area, GetBkColor());
    COLORREF oldText = dc->SetTextColor(GetTextColor());
    int oldMode = dc->SetBkMode(TRANSPARENT);
    dc->DrawText(text, static_cast<int>(std::strlen(text)), &area,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldText);
    dc->SelectObject(previous);
    dc->SelectObject(before);
    return bitmap.release();
}

CImageList *DrawnTreeBaseC::CreateTextDragImage(CDC *dc, LPCSTR text)
{
    std::unique_ptr<CBitmap> bitmap(CreateTextBitmap(dc, text));
    BITMAP info{};
    if (bitmap == nullptr || bitmap->GetBitmap(&info) == 0)
        return nullptr;
    // The background stays transparent, so that only the letters are dragged.
    return ListOfBitmap(bitmap.get(), info.bmWidth, info.bmHeight, GetBkColor());
}

CImageList *DrawnTreeBaseC::CreateIconDragImage(CImageList *images, int index)
{
    int cx = 0, cy = 0;
    if (images == nullptr || index < 0 || index >= images->GetImageCount() ||
        !ImageList_GetIconSize(images->m_hImageList, &cx, &cy))
        return nullptr;
    std::unique_ptr<CImageList> list(new CImageList);
    if (!list->Create(cx, cy, ILC_MASK | ILC_COLOR32, 1, 0))
        return nullptr;
    // The icon's transparent pixels stay transparent: it is merged, not drawn.
    HIMAGELIST merged = ImageList_Merge(images->m_hImageList, index, images->m_hImageList, index, 0, 0);
    if (merged == nullptr)
        return nullptr;
    list->DeleteImageList();
    list->Attach(merged);
    return list.release();
}

CImageList *DrawnTreeBaseC::MergeDragImages(CImageList *icon, CImageList *text)
{
    if (icon == nullptr || text == nullptr)
        return nullptr;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(icon->m_hImageList, &cx, &cy);
    HIMAGELIST merged = ImageList_Merge(icon->m_hImageList, 0, text->m_hImageList, 0, cx + 6, 0);
    if (merged == nullptr)
        return nullptr;
    CImageList *result = new CImageList;
    result->Attach(merged);
    return result;
}

CImageList *DrawnTreeBaseC::CreateDragImage(HTREEITEM item)
{
    TV_ITEM fields{};
    char text[2048] = "";
    fields.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_HANDLE;
    fields.hItem = item;
    fields.pszText = text;
    fields.cchTextMax = sizeof text;
    if (m_hWnd == nullptr || !GetItem(&fields, TRUE, TRUE))
        return nullptr;
    CClientDC window(this);
    CDC memory;
    if (!memory.CreateCompatibleDC(&window))
        return nullptr;
    std::unique_ptr<CImageList> textImage(CreateTextDragImage(&memory, text));
    std::unique_ptr<CImageList> iconImage(CreateIconDragImage(GetImageList(TVSIL_NORMAL), fields.iImage));
    if (textImage == nullptr || iconImage == nullptr)
        return nullptr;
    return MergeDragImages(iconImage.get(), textImage.get());
}

void DDX_SECControl(CDataExchange *exchange, int id, DrawnTreeBaseC &control)
{
    if (exchange == nullptr || control.m_hWnd != nullptr)
        return;
    CWnd *dialog = exchange->m_pDlgWnd;
    HWND item = exchange->PrepareCtrl(id);
    DWORD style = static_cast<DWORD>(::GetWindowLongA(item, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(item, GWL_EXSTYLE));
    CRect rect;
    ::GetWindowRect(item, &rect);
    CPoint topLeft(rect.left, rect.top), bottomRight(rect.right, rect.bottom);
    dialog->ScreenToClient(&topLeft);
    dialog->ScreenToClient(&bottomRight);
    rect = CRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    HWND before = ::GetWindow(item, GW_HWNDPREV);
    ::DestroyWindow(item);
    if (!control.Create(style, exStyle | 0x800000, rect, dialog, static_cast<UINT>(id), nullptr))
        exchange->Fail();
    ::SetWindowPos(control.m_hWnd, before != nullptr ? before : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
