// The sink of the host's target-pattern events. Between a pattern's begin and its end
// the sink remembers that a pattern is active and its value, so a derived class can ask
// in any of its handlers.
#pragma once

#include "eventsink.h"
#include "eventsinkids.h"

class CQelPatternSink : public CQelEventSink<CQelPatternSink, &DIID__QelTargetPatternEvents, &GUID_NULL> {
public:
    BEGIN_SINK_MAP(CQelPatternSink)
        SINK_ENTRY_EX(0, DIID__QelTargetPatternEvents, DISPID_PATTERN_BEGIN, OnBeginEvent)
        SINK_ENTRY_EX(0, DIID__QelTargetPatternEvents, DISPID_PATTERN_END, OnEndEvent)
        SINK_ENTRY_EX(0, DIID__QelTargetPatternEvents, DISPID_PATTERN_RANGE, OnRangeEvent)
        SINK_ENTRY_EX(0, DIID__QelTargetPatternEvents, DISPID_PATTERN_MODE, OnModeEvent)
    END_SINK_MAP()

    // The end handler runs while the pattern is still marked active.
    virtual void OnPatternEnd(ULONG first, ULONG second);
    virtual void OnPatternBegin(ULONG pattern);
    // What it answers goes back to the host as the event's result; 0 here.
    virtual HRESULT OnPatternRange(ULONG kind, ULONG start, ULONG length);
    virtual void OnPatternMode(INT mode, BYTE secondMode);

    BOOL IsPatternActive() const { return m_bPatternActive; }
    int GetPattern() const { return m_nPattern; }
    int GetPatternMode() const { return m_nMode; }
    int GetSecondPatternMode() const { return m_nSecondMode; }

private:
    void __stdcall OnBeginEvent(ULONG pattern);
    void __stdcall OnEndEvent(ULONG first, ULONG second);
    HRESULT __stdcall OnRangeEvent(ULONG kind, ULONG start, ULONG length) { return OnPatternRange(kind, start, length); }
    void __stdcall OnModeEvent(INT mode, BYTE secondMode);

    BOOL m_bPatternActive = FALSE;
    int m_nPattern = -1;
    int m_nMode = 5;
    int m_nSecondMode = 0;
};
