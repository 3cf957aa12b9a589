#include "watchconfigdlg.h"

#include "watchresources.h"

#include <afxdatax.h>

CQelWatchConfigDlg::CQelWatchConfigDlg(CWnd *parent) : CDialog(IDD_WATCH_CONFIG, parent)
{
}

void CQelWatchConfigDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_WATCH_HEXADECIMAL, m_hexadecimal);
    DDX_Check(pDX, IDC_WATCH_ASCII, m_ascii);
    DDX_Check(pDX, IDC_WATCH_EXPONENTIAL, m_exponential);
}
