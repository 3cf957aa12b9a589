#include "downloadcounts.h"

void CDownloadCounts::Reset()
{
    *this = CDownloadCounts();
}

void CDownloadCounts::Registered(BOOL reload)
{
    if (m_byteTotal == 0 || reload)
        return;
    m_phase = 1;
    m_analysisTotal = 100;
    OnAnalysisPosition(100);
}

void CDownloadCounts::OnProgress(UINT code, DWORD value)
{
    switch (code) {
    case CodeByteTotal:
        m_byteTotal = value;
        break;
    case CodeFirstCount:
    case CodeSecondPhaseCount:
    case CodeOtherSource:
        OnCount(code, value);
        break;
    case CodeAnalysisTotal:
        m_analysisTotal = value;
        break;
    case CodeAnalysisPosition:
        OnAnalysisPosition(value);
        break;
    default:
        break;
    }
}

void CDownloadCounts::OnCount(UINT code, DWORD value)
{
    const bool secondPhase = code == CodeSecondPhaseCount;
    switch (m_phase) {
    case 0:
        if (!secondPhase)
            Count(code == CodeFirstCount ? &m_countA : &m_countB, value);
        return;
    case 1:
        if (!secondPhase) {
            m_phase = 3;
            OnCount(code, value);
        } else if (value == 0) {
            m_phase = 2;
        }
        return;
    case 2:
        if (!secondPhase) {
            m_phase = 3;
            OnCount(code, value);
        } else {
            Count(&m_countA, value);
        }
        return;
    case 3:
        if (!secondPhase && value == 0)
            m_phase = 4;
        return;
    default:
        if (!secondPhase)
            Count(&m_countA, value);
        return;
    }
}

void CDownloadCounts::Count(DWORD *count, DWORD value)
{
    *count = value;
    // Sixty-four bits: a hundred times a download of 43 MB no longer fits in 32.
    const unsigned long long sum = static_cast<unsigned long long>(m_countA) + m_countB;
    m_shownBytes = static_cast<DWORD>(sum > 0xFFFFFFFFull ? 0xFFFFFFFFull : sum);
    if (m_byteTotal != 0) {
        unsigned long long percent = sum * 100 / m_byteTotal;
        if (percent > 100)
            percent = 100;
        if (static_cast<int>(percent) > m_downloadPercent)
            m_downloadPercent = static_cast<int>(percent);
        // A source that counts past its announcement has still finished.
        if (sum >= m_byteTotal)
            m_downloadDone = TRUE;
    }
}

void CDownloadCounts::OnAnalysisPosition(DWORD position)
{
    if (m_analysisTotal != 0) {
        unsigned long long percent = static_cast<unsigned long long>(position) * 100 / m_analysisTotal;
        m_analysisPercent = static_cast<int>(percent > 100 ? 100 : percent);
    }
    // Past the total counts as at it; without a total only a position of 0 is.
    if (position == m_analysisTotal || (m_analysisTotal != 0 && position > m_analysisTotal))
        m_analysisDone = TRUE;
}
