#include "setupdlg.h"

#include "brennetresources.h"

namespace {

const char kEasyCodeText[] = "EasyCODE Debug Interface";
const char kProgramFilter[] = "Program Files (*.exe)|*.exe|All Files (*.*)|*.*||";

} // namespace

BEGIN_MESSAGE_MAP(SetupDlg, CDialog)
    ON_BN_CLICKED(IDC_EASYCODE, OnEasyCode)
    ON_BN_CLICKED(IDC_X32, OnX32)
    ON_BN_CLICKED(IDC_BROWSE_TOOL, OnBrowse)
END_MESSAGE_MAP()

SetupDlg::SetupDlg(CWnd *pParentWnd) : CDialog(IDD_SETUP, pParentWnd), m_toolChoice(-1) {}

BOOL SetupDlg::OnInitDialog()
{
    m_toolChoice = m_toolText == kEasyCodeText ? 0 : 1;
    BOOL result = CDialog::OnInitDialog();
    EnableToolPath();
    return result;
}

void SetupDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_EASYCODE, m_toolChoice);
    DDX_Text(pDX, IDC_TOOL_PATH, m_toolText);
}

void SetupDlg::OnEasyCode()
{
    m_toolChoice = 0;
    m_toolText = kEasyCodeText;
    UpdateData(FALSE);
    EnableToolPath();
}

void SetupDlg::OnX32()
{
    m_toolChoice = 1;
    m_toolText.Empty();
    UpdateData(FALSE);
    EnableToolPath();
}

void SetupDlg::OnBrowse()
{
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY,
                       kProgramFilter, this);
    if (dialog.DoModal() != IDOK)
        return;
    m_toolText = dialog.GetPathName();
    UpdateData(FALSE);
}

void SetupDlg::EnableToolPath()
{
    BOOL forX32 = m_toolChoice == 1;
    for (int id : {IDC_TOOL_LABEL, IDC_TOOL_PATH, IDC_BROWSE_TOOL}) {
        if (CWnd *item = GetDlgItem(id))
            item->EnableWindow(forX32);
    }
}
