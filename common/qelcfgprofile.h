// The host's configuration profile: named items in sections, each with a typed value,
// which the user edits in the host. The system knows the interface by identifier and by
// the slots it calls; its events come through the dispinterface _QelCfgProfileEvents.
#pragma once

#include <ole2.h>

// The profile, as the holder's slot 13 gives it (or the host object itself). Slots 10 and
// 11 are not called yet and take nothing until their callers come.
interface IQelCfgProfile2 : public IDispatch {
    // Slot 7: opens the item `entry` of `section`. *pValue comes in as the item's default
    // (its type is the item's type) and goes out as its value; *pHandle names the item in
    // the calls below.
    STDMETHOD(OpenItem)(BSTR section, BSTR entry, VARIANT *pValue, LONG *pHandle) PURE;
    // Slot 8: the item's value, into a VARIANT that the caller clears.
    STDMETHOD(GetValue)(LONG handle, VARIANT *pValue) PURE;
    // Slot 9: a new value for the item.
    STDMETHOD(PutValue)(LONG handle, VARIANT *pValue) PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    // Slot 12: asks the host to keep the values as they stand now, after a component has
    // changed some of them.
    STDMETHOD(Store)() PURE;
    // Slot 13: asks the host to load the profile; it fires QELCFG_EVENT_VALID while doing
    // so.
    STDMETHOD(Load)() PURE;
};
QEL_DEFINE_IID(IQelCfgProfile2, 0x5236ED13, 0x5A23, 0x455A, 0x84, 0x93, 0x77, 0xBA, 0x11, 0x20, 0x0C, 0xAD);

// The events: one method, dispatch id 1, with one VT_UI4 argument that says what
// happened to the profile as a whole.
DEFINE_GUID(DIID__QelCfgProfileEvents, 0x29452883, 0x840B, 0x11D3, 0x95, 0xAC, 0x00, 0x50, 0x04, 0xF6, 0xC0, 0x39);
#define DISPID_QELCFG_PROFILE_EVENT 1

enum QelCfgProfileEvent : ULONG {
    QELCFG_EVENT_BIND = 0,     // items are to be opened (again)
    QELCFG_EVENT_VALID = 1,    // the values are loaded and may be read
    QELCFG_EVENT_MODIFIED = 2, // a value changed
    QELCFG_EVENT_RESET = 3,    // the profile went away: every item is closed
};

// The type library that describes the events, version 1.0. Its identifier is not known
// here, and nothing needs it: a sink takes the events' types from its sink map.
DEFINE_GUID(LIBID_QELDEBUGSERVERLib, 0x00000000, 0x0000, 0x0000, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00);
