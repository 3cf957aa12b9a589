// CDialog: a framework object over a dialog made from a template of its module.
//
// DoModal runs the dialog modally (DialogBoxParamA, whose loop asks the host's dialog
// handler in the user's place); Create makes it modeless. The object subclasses the
// dialog's window when WM_INITDIALOG arrives, before it handles it, so every message of
// the dialog from then on goes through the object's map. OnInitDialog fills the controls
// (UpdateData(FALSE)); OK takes them back (UpdateData(TRUE)) and ends the dialog only when
// that worked; Cancel ends it.
//
// A template item of an ActiveX class (its class a class identifier in braces) is made by
// the object, as the framework's control container makes it: CWnd::CreateControl, before
// OnInitDialog, each bound to a CWnd of the dialog's own, which AttachControlSite can take
// it from. They go when the dialog's window is destroyed. An item that cannot be made
// ends the dialog (-1 from DoModal, FALSE from Create).
#pragma once

#include "afxdatax.h"
#include "afxwnd.h"
#include "basetypes.h"

#include <memory>
#include <string>
#include <vector>

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd *pParentWnd = nullptr);

    // The dialog's result (EndDialog's), -1 when it could not be made.
    virtual INT_PTR DoModal();
    // Makes the dialog modeless; FALSE when it could not be made.
    using CWnd::Create;
    BOOL Create(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    BOOL Create(LPCTSTR lpszTemplateName, CWnd *pParentWnd = nullptr);
    void EndDialog(int nResult);

    // TRUE: the focus goes to the first tab stop.
    virtual BOOL OnInitDialog();

protected:
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    CWnd *m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    // The template as given: its id, or its name when m_bNamedTemplate.
    LPCTSTR TemplateName() const;
    HWND OwnerWindow(CWnd *pParentWnd) const;
    bool CreateControlItems();
    void DestroyControlItems();

    UINT m_nIDTemplate;
    std::string m_strTemplateName;
    bool m_bNamedTemplate;
    // The items' CWnds and their sites, which the dialog holds to let go of the controls
    // whichever CWnd holds them then.
    std::vector<std::pair<std::unique_ptr<CWnd>, COleControlSite *>> m_controlItems;
    bool m_bControlsFailed = false;
};
