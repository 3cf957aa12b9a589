#include "imagecontroldialog.h"

#include "windowsresources.h"

namespace {

const int kStateImageWidth = 16;
const COLORREF kStateMask = 255;
const UINT kNotKept = 1;
const UINT kKept = 2;

} // namespace

CString ImageText(const CString &path)
{
    int slash = path.ReverseFind('/'), backslash = path.ReverseFind('\\');
    int separator = slash > backslash ? slash : backslash;
    if (separator < 0)
        return path;
    CString text;
    text.Format("%s {%s}", static_cast<LPCSTR>(path.Mid(separator + 1)), static_cast<LPCSTR>(path));
    return text;
}

BOOL CProgramImageListCtrl::Init()
{
    if (!m_states.Create(IDB_PROGRAM_STATES, kStateImageWidth, 1, kStateMask))
        return FALSE;
    SetImageList(&m_states, LVSIL_STATE);
    InsertColumn(0, "Loaded", LVCFMT_LEFT, 50);
    InsertColumn(1, "Program file", LVCFMT_LEFT, 365);
    return TRUE;
}

void CProgramImageListCtrl::Fill(CProgramPatternArray *images)
{
    DeleteAllItems();
    m_pImages = images;
    for (int i = 0; i < images->GetSize(); ++i) {
        const PROGRAM_PATTERN &image = images->GetAt(i);
        CString number;
        number.Format("#%u", static_cast<unsigned>(image.programId));
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = i;
        item.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(number));
        item.lParam = image.programId;
        item.state = INDEXTOSTATEIMAGEMASK(image.keep ? kKept : kNotKept);
        item.stateMask = LVIS_STATEIMAGEMASK;
        int row = InsertItem(&item);
        SetItemText(row, 1, ImageText(image.path));
    }
}

void CProgramImageListCtrl::ToggleKeep(int row)
{
    if (m_pImages == nullptr || row < 0 || row >= GetItemCount())
        return;
    BOOL kept = GetItemState(row, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kKept);
    SetItemState(row, INDEXTOSTATEIMAGEMASK(kept ? kNotKept : kKept), LVIS_STATEIMAGEMASK);
    const LONG programId = static_cast<LONG>(GetItemData(row));
    for (int i = 0; i < m_pImages->GetSize(); ++i) {
        if (m_pImages->GetAt(i).programId == programId)
            m_pImages->ElementAt(i).keep = kept ? 0 : 1;
    }
}

BEGIN_MESSAGE_MAP(CImageControlDialog, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_IMAGE_LIST, OnClickImage)
    ON_NOTIFY(NM_DBLCLK, IDC_IMAGE_LIST, OnClickImage)
END_MESSAGE_MAP()

CImageControlDialog::CImageControlDialog(CWnd *pParentWnd) : CDialog(IDD_IMAGES, pParentWnd) {}

void CImageControlDialog::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_IMAGE_LIST, m_list);
}

BOOL CImageControlDialog::OnInitDialog()
{
    BOOL result = CDialog::OnInitDialog();
    SetDlgItemText(IDC_NEW_IMAGE, ImageText(m_strNewFile));
    m_list.Init();
    m_list.Fill(&m_images);
    return result;
}

// Only a click on a row's check box changes it.
void CImageControlDialog::OnClickImage(NMHDR *header, LRESULT *result)
{
    *result = 0;
    const NMITEMACTIVATE *click = reinterpret_cast<const NMITEMACTIVATE *>(header);
    LVHITTESTINFO hit{};
    hit.pt = click->ptAction;
    if (m_list.HitTest(&hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0)
        m_list.ToggleKeep(hit.iItem);
}
