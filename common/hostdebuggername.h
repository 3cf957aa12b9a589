// An interface of the host's GUI server (the object of slot 14 of IQelHostHolder), known
// only by identifier and by the slot the system calls, as those of hostinterfaces.h.
#pragma once

#include <ole2.h>

interface IQelDebuggerName : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    // Slot 7: the debugger's name, such as "ARM7 Debugger"; the caller frees it.
    STDMETHOD(GetDebuggerName)(BSTR *pbstrName) PURE;
};
QEL_DEFINE_IID(IQelDebuggerName, 0x44D25EA1, 0x314C, 0x11D4, 0x96, 0x13, 0x00, 0x50, 0x04, 0xF6, 0xC0, 0x39);
