// CQelViewSrvStatusBar: the status panes that a view-server control shows in the host's
// status bar, and its command 40 by which the host reads them.
//
// The host asks with command 40 (null command group) and one VT_I4 0 for the number of
// panes, then with no input for an output of twice that many values: the pane texts as
// BSTRs, then the pane values as VT_I4. A control asks the host to read them again with
// RequestStatusBarRefresh.
#pragma once

#include <afx.h>

class CQelViewSrvStatusBar {
public:
    enum : DWORD { CMD_STATUS_PANES = 40 };

    virtual ~CQelViewSrvStatusBar() = default;

    // Asks the host frame to fetch the status texts again; nothing in the part itself.
    virtual HRESULT RequestStatusBarRefresh() { return S_OK; }
    // IOleCommandTarget's two methods, for the control's own to hand on.
    virtual HRESULT Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn, VARIANT *pvaOut);
    HRESULT QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText);

protected:
    CStringArray m_paneTexts;
    CUIntArray m_paneValues; // one per pane
};

// The refresh request of a control with the client site `site` (may be null): command 40
// with no group, options 0 and no arguments to the command target of the site's in-place
// frame; E_NOTIMPL when there is no such frame.
HRESULT RequestFrameStatusRefresh(IOleClientSite *site);
