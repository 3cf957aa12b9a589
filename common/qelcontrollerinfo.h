// IQelControllerInfo: what the host knows of the target controller (its word size, its
// core registers, its special function registers).
//
// The symbol server's IQelSymbol derives from it, so its slots 7 to 25 are these. The host
// offers it on an object that the controller-information holder reaches by slots
// (controllerinfoholder.h). The methods that the system calls are WordSize,
// MaxAddressMask, CoreRegisters and SFRegisterAddress; the others keep their slots and
// are shaped after the controller engine's lookups.
#pragma once

#include <ole2.h>

interface IQelControllerInfo : public IDispatch {
    STDMETHOD(LoadSFRegisters)(BSTR bsController) PURE;                                  // 7
    STDMETHOD(UnloadSFRegisters)() PURE;                                                 // 8
    STDMETHOD(ControllerName)(BSTR *pbsName) PURE;                                       // 9
    STDMETHOD(ControllerDatabase)(BSTR *pbsPath) PURE;                                   // 10
    STDMETHOD(SFRegisters)(VARIANT *pvRegisters) PURE;                                   // 11
    STDMETHOD(SFRegister)(BSTR bsName, VARIANT *pvRegister) PURE;                        // 12
    // The value of the register's first absolute address; 0xFFFFFFFF when unknown.
    STDMETHOD(SFRegisterAddress)(BSTR bsName, ULONG *pnAddress) PURE;                    // 13
    STDMETHOD(SFRegisterName)(ULONG nAddress, LONG nSpace, BSTR *pbsName) PURE;          // 14
    STDMETHOD(SFRegisterBit)(ULONG nAddress, LONG nBit, LONG nSpace, BSTR *pbsName) PURE; // 15
    STDMETHOD(CreateICRegisterList)(VARIANT *pvList) PURE;                               // 16
    // The target's word in bits: 16 or 32.
    STDMETHOD(WordSize)(LONG *pnBits) PURE;                                              // 17
    // The target's highest address.
    STDMETHOD(MaxAddressMask)(ULONG *pnMask) PURE;                                       // 18
    STDMETHOD(CoreType)(LONG *pnCoreType) PURE;                                          // 19
    // The names of the core registers (VT_ARRAY | VT_BSTR, the caller's to clear); a
    // register's index in it is its index in the client's register list.
    STDMETHOD(CoreRegisters)(VARIANT *pvRegisters) PURE;                                 // 20
    STDMETHOD(SFRBlocks)(VARIANT *pvBlocks) PURE;                                        // 21
    STDMETHOD(SFRsByBlock)(BSTR bsBlock, VARIANT *pvRegisters) PURE;                     // 22
    STDMETHOD(SFRegisterRR)(LONG nIndex, ULONG *pnStart, ULONG *pnEnd) PURE;             // 23
    STDMETHOD(SystemStackBounds)(ULONG *pnStart, ULONG *pnEnd) PURE;                     // 24
    STDMETHOD(DefaultSystemPage)(LONG *pnPage) PURE;                                     // 25
};
QEL_DEFINE_IID(IQelControllerInfo, 0x5BE25B92, 0x0709, 0x11D4, 0x80, 0x50, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
