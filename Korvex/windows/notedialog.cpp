#include "notedialog.h"

#include "windowsresources.h"

CNoteDialog::CNoteDialog(CWnd *pParentWnd) : CDialog(IDD_NOTE, pParentWnd) {}

void CNoteDialog::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NOTE_TEXT, m_strText);
}
