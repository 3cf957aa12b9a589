// CHistoryWnd: a combo box that lists a CHistory, most recent first, and takes text
// dropped on it from other windows.
#pragma once

#include "droptexttarget.h"
#include "history.h"

#include <afx.h>

class CHistoryWnd : public CComboBox, public CDropTextTarget {
public:
    CHistoryWnd() = default;

    // Shows `history` (not owned): the list holds its entries in order and the first
    // becomes the edit text. The first call also makes the combo box a drop target.
    void SetHistory(CHistory *history);
    // Puts `text` first in the history shown and shows it again.
    void AddToHistory(LPCSTR text);

protected:
    afx_msg void OnDestroy();

    CHistory *m_pHistory = nullptr;

    DECLARE_MESSAGE_MAP()
};
