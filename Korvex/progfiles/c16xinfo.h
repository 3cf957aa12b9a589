// The program-information objects of the two C16x compilers' programs, which add the
// interrupt call and return sections that the readers find and the addresses of the
// PXROS kernel.
#pragma once

#include "programinfo.h"

// What the two share: the fields and IPXROSC16xInfo.
class CC16xInfo : public IPXROSC16xInfo {
public:
    STDMETHOD(GetPxrosValue1)(ULONG *pnValue) override;
    STDMETHOD(GetPxrosValue2)(ULONG *pnValue) override;
    STDMETHOD(GetPxrosValue3)(ULONG *pnValue) override;

    ULONG m_nICallStart = 0xFFFFFFFF; // 0xFFFFFFFF: the program has no such section
    ULONG m_nICallLength = 0;
    ULONG m_nIRetStart = 0xFFFFFFFF;
    ULONG m_nIRetLength = 0;
    ULONG m_nPxrosValue1 = 0xFFFFFFFF; // 0xFFFFFFFF: not given
    ULONG m_nPxrosValue2 = 0xFFFFFFFF;
    ULONG m_nPxrosValue3 = 0xFFFFFFFF;
};

// Tasking's "__ICALL" and "__IRET" sections; an empty one counts as none.
class CTaskingC16xInfo : public CProgramInfo, public ITaskingC16xInfo, public CC16xInfo {
public:
    BEGIN_COM_MAP(CTaskingC16xInfo)
        COM_INTERFACE_ENTRY(IProgramInfo)
        COM_INTERFACE_ENTRY(ITaskingC16xInfo)
        COM_INTERFACE_ENTRY(IPXROSC16xInfo)
    END_COM_MAP()

    STDMETHOD(GetInfoTypeGuid)(GUID *pType) override;
    STDMETHOD(GetICallSection)(ULONG *pnStart, ULONG *pnLength) override;
    STDMETHOD(GetIRetSection)(ULONG *pnStart, ULONG *pnLength) override;
};

// GNU's "X167Call" and "X167Ret" ranges, which may be empty, and two bytes of the header.
class CGNUC16xInfo : public CProgramInfo, public IGNUC16xInfo, public CC16xInfo {
public:
    BEGIN_COM_MAP(CGNUC16xInfo)
        COM_INTERFACE_ENTRY(IProgramInfo)
        COM_INTERFACE_ENTRY(IGNUC16xInfo)
        COM_INTERFACE_ENTRY(IPXROSC16xInfo)
    END_COM_MAP()

    STDMETHOD(GetInfoTypeGuid)(GUID *pType) override;
    STDMETHOD(GetICallSection)(ULONG *pnStart, ULONG *pnLength) override;
    STDMETHOD(GetIRetSection)(ULONG *pnStart, ULONG *pnLength) override;
    STDMETHOD(GetGnuValues)(ULONG *pnValue1, ULONG *pnValue2) override;

    ULONG m_nGnuValue1 = 0; // the memory model byte
    ULONG m_nGnuValue2 = 0; // the code byte
};
