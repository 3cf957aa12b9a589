#include "loaddialogs.h"

#include "windowsresources.h"

CLoadDialog::CLoadDialog(CWnd *pParentWnd) : CDialog(IDD_LOAD, pParentWnd) {}

BOOL CLoadDialog::OnInitDialog()
{
    SetDlgItemText(IDC_FILE_NAME, m_strFileName);
    return CDialog::OnInitDialog();
}

CReloadDialog::CReloadDialog(CWnd *pParentWnd) : CDialog(IDD_RELOAD, pParentWnd) {}

BOOL CReloadDialog::OnInitDialog()
{
    SetDlgItemText(IDC_FILE_NAME, m_strFileName);
    return CDialog::OnInitDialog();
}
