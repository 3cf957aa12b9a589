// The sink of the target-state events of the host's architecture server. A class that
// follows the target's state derives from it and overrides the handlers it needs.
#pragma once

#include "eventsink.h"
#include "eventsinkids.h"

class CTarStateEventSink : public CQelEventSink<CTarStateEventSink, &DIID__TargetStateEvents, &LIBID_VUDORAZEra> {
public:
    BEGIN_SINK_MAP(CTarStateEventSink)
        SINK_ENTRY_EX(0, DIID__TargetStateEvents, DISPID_TARGETSTATE_CHANGE, OnStateChangeEvent)
        SINK_ENTRY_EX(0, DIID__TargetStateEvents, DISPID_TARGETSTATE_NOTIFY, OnStateNotifyEvent)
        SINK_ENTRY_EX(0, DIID__TargetStateEvents, DISPID_TARGETSTATE_EVENT, OnBareEvent)
    END_SINK_MAP()

    // The arguments are the host's, passed on as they came; states 2 stopped, 3 running.
    virtual void OnTargetStateChange(ULONG oldState, ULONG newState);
    virtual void OnTargetStateNotify(ULONG first, ULONG second);
    virtual void OnTargetStateEvent();

private:
    void __stdcall OnStateChangeEvent(ULONG oldState, ULONG newState) { OnTargetStateChange(oldState, newState); }
    void __stdcall OnStateNotifyEvent(ULONG first, ULONG second) { OnTargetStateNotify(first, second); }
    void __stdcall OnBareEvent() { OnTargetStateEvent(); }
};
