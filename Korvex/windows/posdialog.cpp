#include "posdialog.h"

#include "windowsresources.h"

BEGIN_MESSAGE_MAP(CPosDialog, CDialog)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CPosDialog::CPosDialog(IUnknown *target, IStorage *workspace, CWnd *pParentWnd)
    : CDialog(IDD_POSITION, pParentWnd), m_nAddress(0xFFFFFFFF), m_target(target), m_workspace(workspace),
      m_position("PosHistory")
{
}

BOOL CPosDialog::OnInitDialog()
{
    BOOL result = CDialog::OnInitDialog();
    m_position.SetTarget(m_target);
    m_position.LoadHistory(m_workspace);
    return result;
}

void CPosDialog::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_POSITION, m_position);
    if (pDX->m_bSaveAndValidate) {
        pDX->PrepareCtrl(IDC_POSITION);
        ULONG address = 0;
        if (!m_position.GetAddress(&address))
            pDX->Fail();
        m_nAddress = address;
    }
}

void CPosDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_position.SaveHistory(m_workspace);
    EndDialog(IDOK);
}

void CPosDialog::OnBrowse()
{
    m_position.Browse(0);
}
