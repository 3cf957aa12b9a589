// The refresh-period dialog of a watch entry (dialog 292) and its wrapper of the host's
// period editor, the dialog's item 1045.
//
// On opening, the editor gets the entry helper's debug server and its periods; OK lets
// the helper adopt the entry that the editor answers (0 when the editor raised an
// exception), with a reference of its own, and attaches the helper's object to it.
#pragma once

#include "animatequeuehelper.h"

#include <afx.h>
#include <qelperiodeditor.h>

// The host's period editor, made by its class identifier.
class CQelAnimateQueueCtrlWrp : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(LPCTSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    // Property 1: the entry of the editor's periods; the caller gets no reference of its own.
    LONG GetEntry();
    LONG GetRunningPeriod();
    void SetRunningPeriod(LONG period);
    LONG GetHoldedPeriod();
    void SetHoldedPeriod(LONG period);
    // Method 3.
    void SetDebugServer(IUnknown *debugServer);
    OLE_COLOR GetBackColor();
    void SetBackColor(OLE_COLOR color);
    // The font's IDispatch, the caller's reference.
    IDispatch *GetControlFont();
    void SetControlFont(IDispatch *font);
};

class CWatchAnimatePeriodDlg : public CDialog {
public:
    enum { IDD = 292 };
    explicit CWatchAnimatePeriodDlg(CAnimateObjectHelper *helper, CWnd *pParentWnd = nullptr);

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;

private:
    CAnimateObjectHelper *m_helper;
    CQelAnimateQueueCtrlWrp m_editor;
};
