// CSymHistoryWnd: the combo box in which a user enters a code address: a history of
// earlier entries kept in the workspace, text dropped from other windows, the symbol
// browser, and the text evaluated on the target into an address.
#pragma once

#include "historywnd.h"
#include "validator.h"

#include <afx.h>
#include <atlbase.h>

class CSymHistoryWnd : public CHistoryWnd, public CValidator {
public:
    // `historyName` names the history's values in the storage.
    explicit CSymHistoryWnd(LPCSTR historyName);

    // The debug-server object for the validator and the browser (NULL: none).
    void SetTarget(IUnknown *target);
    // Reads the history from the root of `storage` and shows it.
    void LoadHistory(IStorage *storage);
    void SaveHistory(IStorage *storage);
    // Puts the text shown first in the history and evaluates it; FALSE when it is no
    // address.
    BOOL GetAddress(ULONG *address);
    void SetAddress(ULONG address);
    // Lets the user pick a symbol in Talvix's browser; a label becomes the text: "&main",
    // or for a label that starts with "." (a local label, not a C name) its address.
    // The text stays when there is no browser or no choice.
    void Browse(int mode);

protected:
    void OnDropText(const CString &text) override;

private:
    CHistory m_history;
    CComPtr<IUnknown> m_target;
};
