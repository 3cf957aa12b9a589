// The interfaces of the program-information objects, which describe the loaded program.
//
// They are custom IUnknown interfaces, outside the type library: the loading request
// makes the objects in-process and the symbol server hands them to its clients, which
// reach them by these identifiers. GetInfoTypeGuid tells which of the specific interfaces
// an object offers; clients decide by it how the program stores its values (a Tasking C16x
// program keeps the 16-bit words of floating-point values in reverse order).
#pragma once

#include <ole2.h>

interface IProgramInfo : public IUnknown {
    // A new BSTR of the program file's path (the caller frees it).
    STDMETHOD(GetName)(BSTR *pbsName) PURE;                                     // 3
    // The merged blocks and bytes of the program's download pattern.
    STDMETHOD(GetDownloadSize)(ULONG *pnBlocks, ULONG *pnBytes) PURE;           // 4
    STDMETHOD(GetStartInfo)(BSTR *pbsText, ULONG *pnAddress, ULONG *pnValue) PURE;  // 5
    STDMETHOD(GetSecondInfo)(BSTR *pbsText, ULONG *pnAddress, ULONG *pnValue) PURE; // 6
    // The identifier of the object's most specific interface.
    STDMETHOD(GetInfoTypeGuid)(GUID *pType) PURE;                               // 7
};
QEL_DEFINE_IID(IProgramInfo, 0x7ECC0B00, 0x435E, 0x4293, 0x97, 0x03, 0xBE, 0x35, 0x50, 0xBB, 0x04, 0xC3);

// The interrupt call and return sections of a Tasking C16x program; E_FAIL when the
// program has no such section or it is empty.
interface ITaskingC16xInfo : public IUnknown {
    STDMETHOD(GetICallSection)(ULONG *pnStart, ULONG *pnLength) PURE; // 3
    STDMETHOD(GetIRetSection)(ULONG *pnStart, ULONG *pnLength) PURE;  // 4
};
QEL_DEFINE_IID(ITaskingC16xInfo, 0xBDA8C4C7, 0x0276, 0x40C9, 0x8C, 0xF0, 0x13, 0xB5, 0x90, 0xEB, 0x3B, 0xDB);

// The same for a GNU C16x program, whose sections may be empty (E_FAIL only when the
// program has none), and the two values of its header (memory model and code byte).
interface IGNUC16xInfo : public IUnknown {
    STDMETHOD(GetICallSection)(ULONG *pnStart, ULONG *pnLength) PURE; // 3
    STDMETHOD(GetIRetSection)(ULONG *pnStart, ULONG *pnLength) PURE;  // 4
    STDMETHOD(GetGnuValues)(ULONG *pnValue1, ULONG *pnValue2) PURE;   // 5
};
QEL_DEFINE_IID(IGNUC16xInfo, 0x1E237E3D, 0x0BE2, 0x40D3, 0x85, 0xC5, 0x9B, 0xDC, 0x01, 0x70, 0xE3, 0xA4);

// Three addresses of the PXROS real-time kernel in a C16x program; E_FAIL for each that
// the program does not give.
interface IPXROSC16xInfo : public IUnknown {
    STDMETHOD(GetPxrosValue1)(ULONG *pnValue) PURE; // 3
    STDMETHOD(GetPxrosValue2)(ULONG *pnValue) PURE; // 4
    STDMETHOD(GetPxrosValue3)(ULONG *pnValue) PURE; // 5
};
QEL_DEFINE_IID(IPXROSC16xInfo, 0xD6A7E186, 0x9182, 0x4029, 0x9F, 0x23, 0x9C, 0x08, 0xB0, 0xFA, 0x8E, 0x71);
