// The host's refresh-period editor, an ActiveX control that a dialog embeds: it lets the
// user choose a running and a holded period and answers the refresh-queue entry of those
// periods (hostinterfaces.h), found among the queue's entries or made. Its class
// identifier and dispatch identifiers are the host's.
#pragma once

#include <ole2.h>

DEFINE_GUID(CLSID_QelPeriodEditor, 0xF7D9DFF4, 0xDBCD, 0x4DEE, 0x91, 0x47, 0x3A, 0x12, 0x4F, 0x33, 0x80, 0xCE);

enum : DISPID {
    // Property get, VT_I4: the queue entry of the editor's periods, found or made; the
    // caller gets no reference of its own.
    DISPID_PERIODEDITOR_ENTRY = 1,
    // Method, one VT_UNKNOWN: the debug-server object whose refresh queue it works on.
    DISPID_PERIODEDITOR_SETDEBUGSERVER = 3,
    // Properties, VT_I4 ms: the running and the holded period.
    DISPID_PERIODEDITOR_RUNNING = 4,
    DISPID_PERIODEDITOR_HOLDED = 5,
};
