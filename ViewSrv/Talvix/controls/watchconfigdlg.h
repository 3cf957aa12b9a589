// CQelWatchConfigDlg: the "Display format" dialog, the three window options of a watch or
// locals tree as check boxes.
#pragma once

#include <afxdialog.h>

class CQelWatchConfigDlg : public CDialog {
public:
    explicit CQelWatchConfigDlg(CWnd *parent = nullptr);

    int m_hexadecimal = 0;
    int m_ascii = 0;
    int m_exponential = 0;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
};
