#include "downloaddialog.h"

#include "windowsresources.h"

#include <hostinterfaces.h>

namespace {

LONG WindowWord(HWND window)
{
    return static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
}

// The source's target-pattern interface, or NULL.
CComPtr<IQelTargetPattern> PatternOf(IUnknown *source)
{
    CComPtr<IQelTargetPattern> pattern;
    if (source != nullptr)
        source->QueryInterface(qel_uuidof<IQelTargetPattern>(), reinterpret_cast<void **>(&pattern));
    return pattern;
}

DWORD RegisterWith(IQelTargetPattern *pattern, UINT message, HWND window)
{
    pattern->RegisterProgressWindow(message, 1, WindowWord(window));
    DWORD total = 0;
    if (FAILED(pattern->GetDownloadTotal(&total)))
        total = 0;
    return total;
}

} // namespace

BEGIN_MESSAGE_MAP(CDownloadDialog, CDialog)
    ON_MESSAGE(CDownloadDialog::WM_DOWNLOAD_PROGRESS, OnDownloadProgress)
    ON_MESSAGE(CDownloadDialog::WM_OTHER_SOURCE_PROGRESS, OnOtherSourceProgress)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDownloadDialog::CDownloadDialog() : CDialog(IDD_DOWNLOAD), m_bReload(FALSE), m_bRegistered(FALSE) {}

CDownloadDialog::~CDownloadDialog()
{
    Unregister();
}

BOOL CDownloadDialog::Create(CWnd *pParentWnd)
{
    return CDialog::Create(IDD_DOWNLOAD, pParentWnd);
}

BOOL CDownloadDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int bar : {IDC_DOWNLOAD_BAR, IDC_ANALYSIS_BAR})
        SendDlgItemMessageA(m_hWnd, bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    m_counts.Reset();
    Register();
    return TRUE;
}

void CDownloadDialog::Register()
{
    CComPtr<IQelTargetPattern> owner = PatternOf(m_owner);
    if (owner == nullptr)
        return;
    m_bRegistered = TRUE;
    m_counts.AddByteTotal(RegisterWith(owner, WM_DOWNLOAD_PROGRESS, m_hWnd));
    CComPtr<IUnknown> second;
    if (owner->GetDownloadSource(1, &second) == S_OK && second != nullptr) {
        if (CComPtr<IQelTargetPattern> pattern = PatternOf(second)) {
            m_secondSource = second;
            m_counts.AddByteTotal(RegisterWith(pattern, WM_OTHER_SOURCE_PROGRESS, m_hWnd));
        }
    }
    m_counts.Registered(m_bReload);
    if (m_counts.AnalysisDone())
        ShowAnalysis();
}

void CDownloadDialog::Unregister()
{
    if (!m_bRegistered)
        return;
    m_bRegistered = FALSE;
    // The window may be gone already: the sources know it by the handle it had.
    HWND window = m_hWnd;
    if (CComPtr<IQelTargetPattern> owner = PatternOf(m_owner))
        owner->RegisterProgressWindow(WM_DOWNLOAD_PROGRESS, 0, WindowWord(window));
    if (CComPtr<IQelTargetPattern> second = PatternOf(m_secondSource))
        second->RegisterProgressWindow(WM_OTHER_SOURCE_PROGRESS, 0, WindowWord(window));
    m_secondSource.Release();
}

LRESULT CDownloadDialog::OnDownloadProgress(WPARAM wParam, LPARAM lParam)
{
    Progress(static_cast<UINT>(wParam), static_cast<DWORD>(lParam));
    return 0;
}

// The second source counts apart, as code 200.
LRESULT CDownloadDialog::OnOtherSourceProgress(WPARAM, LPARAM lParam)
{
    Progress(CDownloadCounts::CodeOtherSource, static_cast<DWORD>(lParam));
    return 0;
}

void CDownloadDialog::Progress(UINT code, DWORD value)
{
    m_counts.OnProgress(code, value);
    switch (code) {
    case CDownloadCounts::CodeFirstCount:
    case CDownloadCounts::CodeSecondPhaseCount:
    case CDownloadCounts::CodeOtherSource:
        ShowDownload();
        break;
    case CDownloadCounts::CodeAnalysisPosition:
        ShowAnalysis();
        break;
    default:
        break;
    }
    if (m_counts.DownloadDone() && m_counts.AnalysisDone())
        Finish();
}

void CDownloadDialog::ShowDownload()
{
    SendDlgItemMessageA(m_hWnd, IDC_DOWNLOAD_BAR, PBM_SETPOS, static_cast<WPARAM>(m_counts.DownloadPercent()), 0);
    CString text;
    text.Format("%7.u Bytes", static_cast<unsigned>(m_counts.DownloadBytes()));
    SetDlgItemText(IDC_DOWNLOAD_TEXT, text);
}

// Without a total there is nothing to show: the bar and the text stay.
void CDownloadDialog::ShowAnalysis()
{
    if (m_counts.AnalysisTotal() == 0)
        return;
    SendDlgItemMessageA(m_hWnd, IDC_ANALYSIS_BAR, PBM_SETPOS, static_cast<WPARAM>(m_counts.AnalysisPercent()), 0);
    CString text;
    text.Format("%3.u %%", static_cast<unsigned>(m_counts.AnalysisPercent()));
    SetDlgItemText(IDC_ANALYSIS_TEXT, text);
}

void CDownloadDialog::Finish()
{
    Unregister();
    if (::GetActiveWindow() == m_hWnd)
        DestroyWindow();
    else
        ShowWindow(SW_HIDE);
}

void CDownloadDialog::OnClose()
{
    Finish();
}

// A window destroyed before both parts were done, as the file-load command destroys it
// for the next load, must not stay registered with the sources.
void CDownloadDialog::OnDestroy()
{
    Unregister();
    Default();
}
