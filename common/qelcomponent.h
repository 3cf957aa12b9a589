// The host's component contract: what an add-on component offers the debugger host
// (IQelComponent) and the events through which it tells the host's sinks of its life
// (_IQelComponentEvents).
#pragma once

#include <ole2.h>

#include "qelversioninfo.h"

interface IQelComponent : public IUnknown {
    // Slot 3: the component's name and, when `description` is not null, its description.
    STDMETHOD(GetName)(BSTR *description, BSTR *name) PURE;
    // Slot 4: "description Vversion" and, when `info` is not null, a version object.
    STDMETHOD(GetVersion)(IQelVersionInfo **info, BSTR *text) PURE;
    // Slot 5: the component's information box, owned by `owner`.
    STDMETHOD(ShowInfo)(HWND owner) PURE;
    // Slot 6: the diagnostics level and the host's message sink; level 0 detaches it.
    STDMETHOD(SetDiagnostics)(DWORD level, IUnknown *output) PURE;
    // Slot 7: the host's error receiver; NULL lets it go.
    STDMETHOD(SetErrorSink)(IUnknown *sink) PURE;
    // Slot 8: whether the component is busy; the first argument is not used.
    STDMETHOD(IsBusy)(LONG reserved, BOOL *busy) PURE;
    // Slot 9: `count` properties by id; 0 for an id the component does not know.
    STDMETHOD(GetProperties)(LONG count, LONG *ids, LONG *values) PURE;
    // Slot 10: starts the component with the target, the project and the host object.
    STDMETHOD(Init)(VARIANT target, VARIANT project, IUnknown *host) PURE;
    // Slot 11: ends what Init started.
    STDMETHOD(Cleanup)() PURE;
    // Slot 12: S_OK when initialised, S_FALSE otherwise.
    STDMETHOD(IsInitialized)() PURE;
    // Slots 13 and 14: connects the component's commands to the host frame, and checks them.
    STDMETHOD(ConnectGui)() PURE;
    STDMETHOD(CheckGui)() PURE;
    // Slots 15 and 16: the host's calls between the two are one sequence, which calls of
    // other threads do not interrupt.
    STDMETHOD(BeginCmdSequence)() PURE;
    STDMETHOD(EndCmdSequence)() PURE;
    STDMETHOD(Slot17)() PURE;
    // Slot 18: a self-test that traces and fires the test event.
    STDMETHOD(Test_IQelComponent)() PURE;
};
QEL_DEFINE_IID(IQelComponent, 0x54C01140, 0xF70B, 0x11D2, 0x9C, 0xC0, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);

// The events of a component, on an IUnknown-based sink; no method takes anything.
interface _IQelComponentEvents : public IUnknown {
    // Slot 3: Init has succeeded.
    STDMETHOD(OnComponentInitialised)() PURE;
    // Slot 4: Cleanup begins.
    STDMETHOD(OnComponentCleanup)() PURE;
    // Slots 5 and 6: a command sequence begins, or ends.
    STDMETHOD(OnCmdSequenceBegin)() PURE;
    STDMETHOD(OnCmdSequenceEnd)() PURE;
    // Slot 7: the self-test ran.
    STDMETHOD(OnComponentTest)() PURE;
};
QEL_DEFINE_IID(_IQelComponentEvents, 0xF623AC80, 0xF7B0, 0x11D2, 0x9C, 0xC1, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);
