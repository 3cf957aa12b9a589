// EasyCODE's debug object, which the add-on's EasyCODE link drives: its class, its two
// interfaces and its two event interfaces.
//
// EasyCODE is outside the system and its own names are not known. What binds is the
// identifiers, the slots of the methods and their arguments (files as BSTR, lines and
// flags as LONG, the value of slot 18 by value), and the dispids of the events with
// their arguments; the names here say what a slot does for the add-on. A slot named
// SlotNN is one the add-on never calls.
#pragma once

#include <ole2.h>

DEFINE_GUID(CLSID_EcDebug, 0x92709267, 0xD876, 0x4A0C, 0xB4, 0xED, 0x70, 0x01, 0x2F, 0xD1, 0x69, 0xDE);

interface IEcDebug : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    // Slot 9: where the program stands.
    STDMETHOD(ShowPosition)(BSTR file, LONG line) PURE;
    // Slot 10: the program runs.
    STDMETHOD(ShowRunning)() PURE;
    STDMETHOD(Slot11)() PURE;
    // Slots 12 to 14: where a step over, a step into and a step out ended.
    STDMETHOD(ShowStepOverPosition)(BSTR file, LONG line) PURE;
    STDMETHOD(ShowStepIntoPosition)(BSTR file, LONG line) PURE;
    STDMETHOD(ShowStepOutPosition)(BSTR file, LONG line) PURE;
    // Slot 15: the debugging ends.
    STDMETHOD(EndDebugging)() PURE;
    STDMETHOD(Slot16)() PURE;
    // Slot 17: the program stopped.
    STDMETHOD(ShowStopped)() PURE;
    // Slot 18: the value of a watched variable.
    STDMETHOD(ShowValue)(BSTR name, VARIANT value) PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    // Slot 21: the debuggee's name.
    STDMETHOD(Init)(BSTR name) PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    STDMETHOD(Slot24)() PURE;
    STDMETHOD(Slot25)() PURE;
    // Slot 26: a breakpoint; the add-on passes 1 last.
    STDMETHOD(SetBreakpoint)(BSTR file, LONG line, LONG enabled, LONG flag) PURE;
    STDMETHOD(Slot27)() PURE;
    STDMETHOD(Slot28)() PURE;
    STDMETHOD(Slot29)() PURE;
    STDMETHOD(Slot30)() PURE;
    STDMETHOD(Slot31)() PURE;
    // Slot 32: every breakpoint goes; the add-on passes 1.
    STDMETHOD(RemoveAllBreakpoints)(LONG flag) PURE;
};
QEL_DEFINE_IID(IEcDebug, 0x0D465B6A, 0x5F05, 0x468D, 0x9F, 0xA7, 0xEA, 0x05, 0xE4, 0x58, 0x6D, 0x41);

interface IEcDebug2 : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    // Slot 10: how the debugger runs the program (1 or 2; 0 before it said).
    STDMETHOD(SetRunMode)(LONG mode) PURE;
};
QEL_DEFINE_IID(IEcDebug2, 0x0D465B6A, 0x5F05, 0x468D, 0x9F, 0xA7, 0xEA, 0x05, 0xE4, 0x58, 0x6D, 0x42);

// The events of IEcDebug, by dispid: 1 to 4 (BSTR file, LONG line) breakpoints set,
// removed, enabled and disabled; 5 to 12 (none) step over, step into, step out, end,
// run, go, and two kinds of break; 13 to 15 (BSTR name) watches; 16 (none) go to the
// selection; 17 (BSTR name) the debuggee's name again; 18 (none); 19, 21, 23 (BSTR file)
// the file's breakpoints removed, enabled, disabled; 20, 22 (none) all breakpoints
// enabled, disabled.
DEFINE_GUID(DIID__IEcDebugEvents, 0xA6AEB0C6, 0x64FA, 0x49A7, 0x99, 0x07, 0x6D, 0x0F, 0x8E, 0x39, 0x55, 0x3D);
// The events of IEcDebug2: 1 (BSTR file, LONG line, BSTR text, LONG number); 2 (BSTR
// file, LONG line, BSTR* text, LONG* number: out arguments by reference); 3 (BSTR
// file, LONG line) run to the line; 4, 5, 7, 8 (none); 6 (BSTR file).
DEFINE_GUID(DIID__IEcDebugEvents2, 0xA6AEB0C6, 0x64FA, 0x49A7, 0x99, 0x07, 0x6D, 0x0F, 0x8E, 0x39, 0x55, 0x3E);
