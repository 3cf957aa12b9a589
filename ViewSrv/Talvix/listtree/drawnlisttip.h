// DrawnListTip: a bordered pop-up that shows the whole text of a cell that does not fit,
// laid over the cell, or an owner's own text below the mouse.
#pragma once

#include "afxgdi.h"
#include "afxwnd.h"
#include "drawnlistclient.h"

class DrawnListTip : public CWnd {
public:
    explicit DrawnListTip(DrawnListClient *owner) : m_owner(owner) {}

    // Shows, moves or hides the tip for the cell under the mouse at client (x, y); TRUE
    // when a tip is (still) shown.
    BOOL ShowTip(UINT hitFlags, int row, int column, int x, int y);
    void HideTip();
    void UpdateTip();
    void SetTipText(LPCSTR text) { m_customValue = text != nullptr ? text : ""; }
    void EnableCustomText() { m_customText = TRUE; }

    int GetRow() const { return m_row; }
    const CString &GetText() const { return m_text; }

protected:
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    BOOL MakeWindow();

    int m_row = -1;
    int m_column = -1;
    DrawnListClient *m_owner;
    CString m_text;
    CRect m_rect;
    BOOL m_captured = FALSE;
    BOOL m_customText = FALSE;
    CString m_customValue;
};
