// CDownloadCounts: what the download progress window shows, worked out from the progress
// codes that the sources of a download send.
//
// The sources announce the bytes of a download in phases: a count may be a leftover of an
// earlier download, the start of a new one or the real count, and a program's own reader
// and the second source (a PCP program) count apart. The phase decides which count a code
// sets; the bar shows their sum against the byte total.
#pragma once

#include <afx.h>

class CDownloadCounts {
public:
    enum : UINT {
        CodeFirstCount = 1,
        CodeSecondPhaseCount = 2,
        CodeByteTotal = 100,
        CodeAnalysisTotal = 110,
        CodeAnalysisPosition = 111,
        CodeOtherSource = 200,
    };

    // Everything cleared, phase 0.
    void Reset();
    // The byte total that a source announced when the window registered with it.
    void AddByteTotal(DWORD total) { m_byteTotal += total; }
    // After registering: with bytes to come and no reload, the symbols are already
    // there, so the analysis counts as done and its bar full.
    void Registered(BOOL reload);
    // One progress code (wParam) with its value (lParam).
    void OnProgress(UINT code, DWORD value);

    int DownloadPercent() const { return m_downloadPercent; }
    DWORD DownloadBytes() const { return m_shownBytes; }
    int AnalysisPercent() const { return m_analysisPercent; }
    BOOL DownloadDone() const { return m_downloadDone; }
    BOOL AnalysisDone() const { return m_analysisDone; }
    int Phase() const { return m_phase; }
    DWORD ByteTotal() const { return m_byteTotal; }
    DWORD AnalysisTotal() const { return m_analysisTotal; }

private:
    void OnCount(UINT code, DWORD value);
    void Count(DWORD *count, DWORD value);
    void OnAnalysisPosition(DWORD position);

    DWORD m_byteTotal = 0;
    DWORD m_countA = 0;
    DWORD m_countB = 0;
    DWORD m_shownBytes = 0;
    int m_downloadPercent = 0;
    DWORD m_analysisTotal = 0;
    int m_analysisPercent = 0;
    BOOL m_downloadDone = FALSE;
    BOOL m_analysisDone = FALSE;
    int m_phase = 0;
};
