// The questions of the program-loading work flow: whether to load the program file that
// the workspace names (CLoadDialog: Load or Cancel) and whether to load a changed file
// again (CReloadDialog: Reload or Ignore). The button pressed is the answer.
#pragma once

#include <afx.h>

class CLoadDialog : public CDialog {
public:
    explicit CLoadDialog(CWnd *pParentWnd = nullptr);

    CString m_strFileName;

protected:
    BOOL OnInitDialog() override;
};

class CReloadDialog : public CDialog {
public:
    explicit CReloadDialog(CWnd *pParentWnd = nullptr);

    CString m_strFileName;

protected:
    BOOL OnInitDialog() override;
};
