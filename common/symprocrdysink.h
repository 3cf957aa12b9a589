// The sinks of the symbol server's own events: the notice that a request marked for
// events has finished (_SymProcEvents), and the opening and closing of the pattern window
// (_SymProcEvents2). The ready notice comes on the server's worker thread, so a class
// that follows it ends the connection in its own destructor (eventsink.h).
#pragma once

#include "eventsink.h"
#include "eventsinkids.h"

class CSymProcRdySink : public CQelEventSink<CSymProcRdySink, &DIID__SymProcEvents, &LIBID_KorvexEventsLib> {
public:
    BEGIN_SINK_MAP(CSymProcRdySink)
        SINK_ENTRY_EX(0, DIID__SymProcEvents, DISPID_SYMPROC_READYSTATE, FireSymbolProcReadyState)
    END_SINK_MAP()

    virtual void OnSymbolProcReadyState(int requestId);

private:
    void __stdcall FireSymbolProcReadyState(LONG request) { OnSymbolProcReadyState(static_cast<int>(request)); }
};

class CSymProcRdySink2 : public CQelEventSink<CSymProcRdySink2, &DIID__SymProcEvents2, &LIBID_KorvexEventsLib> {
public:
    BEGIN_SINK_MAP(CSymProcRdySink2)
        SINK_ENTRY_EX(0, DIID__SymProcEvents2, DISPID_SYMPROC_PATTERNWINDOWOPEN, PatternWindowOpen)
        SINK_ENTRY_EX(0, DIID__SymProcEvents2, DISPID_SYMPROC_PATTERNWINDOWCLOSE, PatternWindowClose)
    END_SINK_MAP()

    virtual void OnPatternWindowOpen(LONG startAddress, LONG length);
    virtual void OnPatternWindowClose(LONG startAddress, LONG length);

private:
    void __stdcall PatternWindowOpen(LONG nStartAddress, LONG nLength) { OnPatternWindowOpen(nStartAddress, nLength); }
    void __stdcall PatternWindowClose(LONG nStartAddress, LONG nLength) { OnPatternWindowClose(nStartAddress, nLength); }
};
