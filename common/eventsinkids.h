// The event interfaces of the host and of the symbol server that the framework's sinks
// receive, and the type libraries that describe them.
#pragma once

#include <ole2.h>

#include "qelsymbol.h"

// The architecture server's target-state events: dispid 1 state change (VT_UI4 old state,
// VT_UI4 new state; 2 stopped, 3 running), 2 state notice (two VT_UI4), 3 a bare event.
DEFINE_GUID(DIID__TargetStateEvents, 0x4B6FF163, 0x8815, 0x11D1, 0xB2, 0x22, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);
DEFINE_GUID(LIBID_VUDORAZEra, 0x84D6D465, 0xABD1, 0x11D3, 0x95, 0xB1, 0x00, 0x50, 0x04, 0xF6, 0xC0, 0x39);

// The host's target-pattern events: dispid 1 pattern begin (VT_UINT), 2 pattern end (two
// VT_UINT), 3 pattern range (three VT_UINT), 4 pattern mode (VT_INT, VT_UI1). No type
// library describes them.
DEFINE_GUID(DIID__QelTargetPatternEvents, 0x05BE2399, 0x06E0, 0x11D4, 0x95, 0xFF, 0x00, 0x50, 0x04, 0xF6, 0xC0, 0x39);

// The events of the host's communication objects: dispid 1 (VT_UNKNOWN object, VT_UI4
// number, VT_BOOL flag), dispid 2 (VT_UNKNOWN object, VT_UI4 number).
DEFINE_GUID(DIID__QelCommObjectEvents, 0xEA63A6ED, 0xA575, 0x4DE4, 0xB1, 0x24, 0x23, 0x8E, 0x51, 0x12, 0xDA, 0x7B);

// Korvex's type library, which describes _SymProcEvents and _SymProcEvents2. (The symbol
// server's module knows it as LIBID_KORVEXLib; the framework names it apart so that a
// source may include both.)
DEFINE_GUID(LIBID_KorvexEventsLib, 0xEF0E9403, 0xD9B2, 0x11D1, 0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);

enum : DISPID {
    DISPID_TARGETSTATE_CHANGE = 1,
    DISPID_TARGETSTATE_NOTIFY = 2,
    DISPID_TARGETSTATE_EVENT = 3,
    DISPID_PATTERN_BEGIN = 1,
    DISPID_PATTERN_END = 2,
    DISPID_PATTERN_RANGE = 3,
    DISPID_PATTERN_MODE = 4,
    DISPID_COMMOBJECT_FIRST = 1,
    DISPID_COMMOBJECT_SECOND = 2,
};
