#include "historywnd.h"

BEGIN_MESSAGE_MAP(CHistoryWnd, CComboBox)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CHistoryWnd::SetHistory(CHistory *history)
{
    if (m_pHistory == nullptr)
        Register(m_hWnd);
    else
        ResetContent();
    m_pHistory = history;
    if (history == nullptr)
        return;
    for (int i = 0; i < history->GetCount(); ++i) {
        if (AddString(history->GetAt(i)) == 0)
            SetWindowText(history->GetAt(i));
    }
}

void CHistoryWnd::AddToHistory(LPCSTR text)
{
    if (m_pHistory == nullptr)
        return;
    m_pHistory->Add(text);
    SetHistory(m_pHistory);
}

// The drop target would otherwise outlive its window.
void CHistoryWnd::OnDestroy()
{
    Revoke();
    Default();
}
