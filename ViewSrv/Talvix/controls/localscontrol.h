// CLocalsControl: the locals window's tree. At each stop it asks the symbol server for the
// locals in scope at the program counter, keeps the entries still in scope (with their
// expansion and formats), removes the others and adds the new ones. While the function has
// no locals one empty row stands in the tree. The user changes values and formats only;
// the window options are kept in the view's storage under "Locals".
#pragma once

#include "commonwatchcontrol.h"

class CLocalsControl : public CCommonWatchControl {
public:
    CLocalsControl() = default;
    ~CLocalsControl() override;

    using CCommonWatchControl::DeleteItem;

    BOOL InitServer(IUnknown *debugServer, IUnknown *storage, IUnknown *tree) override;
    void ReleaseServer() override;
    void LoadSettings() override;
    void SaveSettings(IStorage *storage, HTREEITEM leaveOut) override;
    HRESULT DeleteItem(LONG item) override;
    void QueueRefresh() override;
    void QueueFullRefresh() override;
    void OnTargetStateNotify(ULONG first, ULONG second) override;

    // The symbol indexes of the locals shown, in the order of their items.
    std::vector<LONG> ShownLocals();
    // The empty row while the function has no locals; NULL otherwise.
    HTREEITEM GetEmptyRow() const { return m_hNewVariable; }
    // A locals answer as the symbol server gives it (the two transfer arrays).
    void OnLocalsAnswer(const VARIANT &names, const VARIANT &values);

protected:
    afx_msg LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    static void OnLocals(int requestId, VARIANT *names, VARIANT *values, DWORD_PTR context, int reserved);
    static void OnLifetime(int requestId, VARIANT *numbers, DWORD_PTR context);
    void RequestLocals(DWORD mode, DWORD value);
    void InsertEmptyRow();
    void DeleteEmptyRow();
    void ShowContextMenu(CPoint client);

    // The locals shown, by symbol index, and the lifetime requests by the index they are for.
    std::map<LONG, CComPtr<IQelCommVariableObj>> m_locals;
    std::map<int, LONG> m_lifetimeRequests;
};
