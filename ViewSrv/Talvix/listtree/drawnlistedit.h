// DrawnListEdit: the edit window a list lays over a cell for editing it in place. Return
// ends the edit and keeps the text (a new line instead when labels span lines), Esc ends
// it and drops the text.
#pragma once

#include "afxeditscroll.h"
#include "drawnlistclient.h"

class DrawnListEdit : public CEdit {
public:
    explicit DrawnListEdit(DrawnListClient *owner) : m_owner(owner) {}

protected:
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()

private:
    DrawnListClient *m_owner;
};
