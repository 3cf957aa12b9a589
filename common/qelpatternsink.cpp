#include "qelpatternsink.h"

void CQelPatternSink::OnPatternEnd(ULONG, ULONG) {}

void CQelPatternSink::OnPatternBegin(ULONG) {}

HRESULT CQelPatternSink::OnPatternRange(ULONG, ULONG, ULONG)
{
    return 0;
}

void CQelPatternSink::OnPatternMode(INT, BYTE) {}

void __stdcall CQelPatternSink::OnBeginEvent(ULONG pattern)
{
    m_nPattern = static_cast<int>(pattern);
    m_bPatternActive = TRUE;
    OnPatternBegin(pattern);
}

void __stdcall CQelPatternSink::OnEndEvent(ULONG first, ULONG second)
{
    OnPatternEnd(first, second);
    m_nPattern = -1;
    m_bPatternActive = FALSE;
}

void __stdcall CQelPatternSink::OnModeEvent(INT mode, BYTE secondMode)
{
    m_nMode = mode;
    m_nSecondMode = secondMode;
    OnPatternMode(mode, secondMode);
}
