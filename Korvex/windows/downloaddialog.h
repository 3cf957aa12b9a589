// CDownloadDialog: the modeless window that shows a program load's progress: the
// download of the program's image to the target, and the symbol analysis.
//
// The owner object is the source of the download (its target-pattern interface): the
// window registers there for the progress message 0x409, and with a second source that
// the owner names for 0x463. The reader posts the analysis codes to the window itself.
#pragma once

#include "downloadcounts.h"

#include <afx.h>
#include <atlbase.h>

class CDownloadDialog : public CDialog {
public:
    enum : UINT { WM_DOWNLOAD_PROGRESS = 0x409, WM_OTHER_SOURCE_PROGRESS = 0x463 };

    CDownloadDialog();
    ~CDownloadDialog() override;

    // The source of the download (NULL: none, and only the analysis bar moves).
    void SetOwner(IUnknown *owner) { m_owner = owner; }
    // Makes the window, hidden until the caller shows it.
    BOOL Create(CWnd *pParentWnd);

    const CDownloadCounts &Counts() const { return m_counts; }

    // Set by the file-load command when the program is loaded again.
    BOOL m_bReload;

protected:
    BOOL OnInitDialog() override;
    afx_msg LRESULT OnDownloadProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnOtherSourceProgress(WPARAM wParam, LPARAM lParam);
    afx_msg void OnClose();
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    void Register();
    // Lets go of the sources' registrations; once only.
    void Unregister();
    void Progress(UINT code, DWORD value);
    void ShowDownload();
    void ShowAnalysis();
    // Unregisters, then closes when the window is active, else hides it.
    void Finish();

    CComPtr<IUnknown> m_owner;
    CComPtr<IUnknown> m_secondSource;
    BOOL m_bRegistered;
    CDownloadCounts m_counts;
};
