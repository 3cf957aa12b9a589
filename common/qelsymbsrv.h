// IQelSymbSrv: the interface through which the host drives a symbol server, and through
// which the two symbol servers of a main and a PCP debugger find each other.
//
// The symbol server (Korvex) implements it; the host's debug-server object, which carries
// the symbol server, answers for it. The system's own code calls only Synchronize, whose
// codes below name the partner objects it asks for.
#pragma once

#include <ole2.h>

// Of int's range, so that any code a caller passes is a value of the type.
typedef enum tagSynchronizeFunction : int {
    SYF_PUT_FOREIGN_DEBUG_SERVER = 0,
    SYF_GET_FOREIGN_DEBUG_SERVER = 1,
    SYF_GET_MASTER_DEBUGGER = 2,
    SYF_GET_OWN_STORAGE = 3,
    SYF_PUT_PCP_STANDALONE_DEBUG_SERVER = 4,
    SYF_GET_PCP_STANDALONE_DEBUG_SERVER = 5,
    SYF_SET_GLOBAL_VARED = 10,
    SYF_GET_GLOBAL_VARED = 11,
    SYF_TOGGLE_LOCAL_VARED = 12,
    SYF_GET_VARED = 13,
} tagSynchronizeFunction;

// A dual interface: its methods stand from slot 7 on, behind IDispatch.
interface IQelSymbSrv : public IDispatch {
    STDMETHOD(GetVersion)(BSTR *pbstrVersion) PURE;                  // 7
    STDMETHOD(GetErrorInfo)(BSTR *pbstrErrorInfo) PURE;              // 8
    STDMETHOD(Init)(IUnknown *pIStorage, IUnknown *pIGUIServer) PURE; // 9
    STDMETHOD(RestoreSettings)() PURE;                               // 10
    STDMETHOD(Cleanup)() PURE;                                       // 11
    STDMETHOD(StoreSettings)() PURE;                                 // 12
    // Slot 13: a GET code gives the partner object with a reference added, or null when
    // there is none; a PUT code hands one over.
    STDMETHOD(Synchronize)(tagSynchronizeFunction eFunction, IUnknown **ppUnknown) PURE;
};
QEL_DEFINE_IID(IQelSymbSrv, 0x544D05E0, 0xEB50, 0x11D1, 0xB4, 0x1B, 0x00, 0x60, 0x97, 0x80, 0x44, 0x45);
