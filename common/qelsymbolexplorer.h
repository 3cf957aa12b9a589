// IQelSymbolExplorer: the interface of the symbol explorer (the view of
// "StdQelSymbolExplWin"), Talvix's tree of the loaded program's source files, functions,
// sections and breakpoints. The symbol server's file-load commands tell it of loads and of
// the breakpoint list. A dual interface: its methods stand from slot 7 on, behind
// IDispatch, each with the DISPID in the comment.
#pragma once

#include <ole2.h>

interface IQelSymbolExplorer : public IDispatch {
    // DISPID 1: `bLoaded` 1: the program `lProgId` was loaded (below 1: only its sections
    // are new); any other value: the program went, and the tree with it.
    STDMETHOD(SignalLoadingPrgFile)(LONG bLoaded, LONG lProgId) PURE;                 // 7
    // DISPID 2: the breakpoints: one BSTR per breakpoint, and their 32-bit numbers, two
    // per breakpoint (address value, 1 when enabled) in storage order. Both stay the
    // caller's.
    STDMETHOD(SignalBreakpoints)(VARIANT vsNames, VARIANT vsValues) PURE;             // 8
};
QEL_DEFINE_IID(IQelSymbolExplorer, 0x72611525, 0xB1A9, 0x11D3, 0xBF, 0xA2, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
