#include "watchanimateperioddlg.h"

#include "watchresources.h"

namespace {

const BYTE *Types(const char *codes)
{
    return reinterpret_cast<const BYTE *>(codes);
}

} // namespace

BOOL CQelAnimateQueueCtrlWrp::Create(LPCTSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                                     UINT nID)
{
    return CreateControl(CLSID_QelPeriodEditor, lpszWindowName, dwStyle, rect, pParentWnd, nID);
}

LONG CQelAnimateQueueCtrlWrp::GetEntry()
{
    LONG entry = 0;
    InvokeHelper(DISPID_PERIODEDITOR_ENTRY, DISPATCH_PROPERTYGET, VT_I4, &entry, Types(VTS_NONE));
    return entry;
}

LONG CQelAnimateQueueCtrlWrp::GetRunningPeriod()
{
    LONG period = 0;
    InvokeHelper(DISPID_PERIODEDITOR_RUNNING, DISPATCH_PROPERTYGET, VT_I4, &period, Types(VTS_NONE));
    return period;
}

void CQelAnimateQueueCtrlWrp::SetRunningPeriod(LONG period)
{
    InvokeHelper(DISPID_PERIODEDITOR_RUNNING, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_I4), period);
}

LONG CQelAnimateQueueCtrlWrp::GetHoldedPeriod()
{
    LONG period = 0;
    InvokeHelper(DISPID_PERIODEDITOR_HOLDED, DISPATCH_PROPERTYGET, VT_I4, &period, Types(VTS_NONE));
    return period;
}

void CQelAnimateQueueCtrlWrp::SetHoldedPeriod(LONG period)
{
    InvokeHelper(DISPID_PERIODEDITOR_HOLDED, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_I4), period);
}

void CQelAnimateQueueCtrlWrp::SetDebugServer(IUnknown *debugServer)
{
    InvokeHelper(DISPID_PERIODEDITOR_SETDEBUGSERVER, DISPATCH_METHOD, VT_EMPTY, nullptr, Types(VTS_UNKNOWN),
                 debugServer);
}

OLE_COLOR CQelAnimateQueueCtrlWrp::GetBackColor()
{
    LONG color = 0;
    InvokeHelper(DISPID_BACKCOLOR, DISPATCH_PROPERTYGET, VT_I4, &color, Types(VTS_NONE));
    return static_cast<OLE_COLOR>(color);
}

void CQelAnimateQueueCtrlWrp::SetBackColor(OLE_COLOR color)
{
    InvokeHelper(DISPID_BACKCOLOR, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_COLOR), static_cast<LONG>(color));
}

IDispatch *CQelAnimateQueueCtrlWrp::GetControlFont()
{
    IDispatch *font = nullptr;
    InvokeHelper(DISPID_FONT, DISPATCH_PROPERTYGET, VT_DISPATCH, &font, Types(VTS_NONE));
    return font;
}

void CQelAnimateQueueCtrlWrp::SetControlFont(IDispatch *font)
{
    InvokeHelper(DISPID_FONT, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_FONT), font);
}

CWatchAnimatePeriodDlg::CWatchAnimatePeriodDlg(CAnimateObjectHelper *helper, CWnd *pParentWnd)
    : CDialog(IDD_WATCH_PERIOD, pParentWnd), m_helper(helper)
{
}

BOOL CWatchAnimatePeriodDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_helper == nullptr || !m_editor.AttachControlSite(this, IDC_WATCH_PERIOD_EDITOR))
        return TRUE;
    try {
        m_editor.SetDebugServer(m_helper->GetDebugServer());
        m_editor.SetRunningPeriod(m_helper->GetCachedRunning());
        m_editor.SetHoldedPeriod(m_helper->GetCachedHolded());
    } catch (COleDispatchException *e) {
        e->Delete();
    } catch (COleException *e) {
        e->Delete();
    }
    return TRUE;
}

void CWatchAnimatePeriodDlg::OnOK()
{
    LONG entry = 0;
    try {
        entry = m_editor.GetEntry();
    } catch (COleDispatchException *e) {
        e->Delete();
    } catch (COleException *e) {
        e->Delete();
    }
    if (m_helper != nullptr)
        m_helper->AdoptEntry(entry, TRUE, TRUE);
    EndDialog(IDOK);
}
