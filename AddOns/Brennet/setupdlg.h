// SetupDlg: the dialog in which the user chooses the CASE tool: EasyCODE, reached through
// its debug interface, or X32, whose executable the user names.
#pragma once

#include <afx.h>

class SetupDlg : public CDialog {
public:
    explicit SetupDlg(CWnd *pParentWnd = nullptr);

    // The tool text: "EasyCODE Debug Interface" for EasyCODE, else the path of X32's
    // executable. Given before DoModal; after IDOK it is the user's choice, unchanged.
    CString m_toolText;
    // 0 EasyCODE, 1 X32; -1 until the dialog opens.
    int m_toolChoice;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange *pDX) override;
    afx_msg void OnEasyCode();
    afx_msg void OnX32();
    afx_msg void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    // The path, its label and the browse button serve X32 only.
    void EnableToolPath();
};
