// CNoteDialog: a text field for a new expression to try; "&Execute" takes the text.
// No command of the system opens it.
#pragma once

#include <afx.h>

class CNoteDialog : public CDialog {
public:
    explicit CNoteDialog(CWnd *pParentWnd = nullptr);

    CString m_strText;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
};
