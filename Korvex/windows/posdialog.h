// CPosDialog: asks for a program code position: an address or an expression, typed,
// dropped, picked from the history or from the symbol browser, evaluated on the target.
#pragma once

#include "symhistorywnd.h"

#include <afx.h>

class CPosDialog : public CDialog {
public:
    CPosDialog(IUnknown *target, IStorage *workspace, CWnd *pParentWnd = nullptr);

    // The address chosen; 0xFFFFFFFF until OK.
    ULONG m_nAddress;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange *pDX) override;
    void OnOK() override;
    afx_msg void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    CComPtr<IUnknown> m_target;
    CComPtr<IStorage> m_workspace;
    CSymHistoryWnd m_position;
};
