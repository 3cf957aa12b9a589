// The sink of the events of the host's communication objects (a variable object that the
// host hands out, for example).
#pragma once

#include "eventsink.h"
#include "eventsinkids.h"

class CQelCommObjSink : public CQelEventSink<CQelCommObjSink, &DIID__QelCommObjectEvents, &GUID_NULL> {
public:
    BEGIN_SINK_MAP(CQelCommObjSink)
        SINK_ENTRY_EX(0, DIID__QelCommObjectEvents, DISPID_COMMOBJECT_FIRST, OnFirstEvent)
        SINK_ENTRY_EX(0, DIID__QelCommObjectEvents, DISPID_COMMOBJECT_SECOND, OnSecondEvent)
    END_SINK_MAP()

    // The object that fired, a number and a flag, as the host passes them; the object is
    // the host's and is only lent for the call.
    virtual void OnCommObjectEvent(IUnknown *object, ULONG number, BOOL flag);
    virtual void OnCommObjectEvent2(IUnknown *object, ULONG number);

private:
    void __stdcall OnFirstEvent(IUnknown *object, ULONG number, SHORT flag)
    {
        OnCommObjectEvent(object, number, flag != 0);
    }
    void __stdcall OnSecondEvent(IUnknown *object, ULONG number) { OnCommObjectEvent2(object, number); }
};
