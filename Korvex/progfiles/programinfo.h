// The program-information objects: what the symbol server knows of the loaded program.
//
// The loading request creates one object per loaded program, of the class that its
// format asks for (CreateProgramInfo), sets its name, identifier and type, and hands it to
// the reader, which fills in the rest during its passes; afterwards the object is only
// read, through its interfaces, by whoever holds a reference. The fields are public
// because the loader, the readers and the symbol server, all in this module, fill and
// read them directly; clients outside see only the interfaces.
#pragma once

#include "programinfointerfaces.h"

#include <afx.h>
#include <atlbase.h>

// The program file formats, which are also the program-information objects' types.
enum : LONG {
    QEL_PROGRAM_TASKING_OUT = 1,
    QEL_PROGRAM_ELF = 2,
    QEL_PROGRAM_EOMF = 3,
    QEL_PROGRAM_GNU166 = 4,
    QEL_PROGRAM_INTEL_HEX = 5,
};

class CProgramInfo : public CComObjectRootEx<CComMultiThreadModel>, public IProgramInfo {
public:
    CProgramInfo() = default;
    virtual ~CProgramInfo() = default;

    BEGIN_COM_MAP(CProgramInfo)
        COM_INTERFACE_ENTRY(IProgramInfo)
    END_COM_MAP()

    // IProgramInfo; a missing out pointer gives E_POINTER, a text that cannot be
    // allocated E_OUTOFMEMORY.
    STDMETHOD(GetName)(BSTR *pbsName) override;
    STDMETHOD(GetDownloadSize)(ULONG *pnBlocks, ULONG *pnBytes) override;
    STDMETHOD(GetStartInfo)(BSTR *pbsText, ULONG *pnAddress, ULONG *pnValue) override;
    STDMETHOD(GetSecondInfo)(BSTR *pbsText, ULONG *pnAddress, ULONG *pnValue) override;
    STDMETHOD(GetInfoTypeGuid)(GUID *pType) override;

    CString m_strName;          // the program file that the user asked for
    LONG m_nProgramId = 0;      // the program identifier of the load request
    LONG m_nType = -1;          // QEL_PROGRAM_...
    ULONG m_nDownloadBlocks = 0; // of the last download announcement
    ULONG m_nDownloadBytes = 0;
    CString m_strStartText;     // the first address record
    ULONG m_nStartAddress = 0;  // for a HEX image, the image's start address
    ULONG m_nStartValue = 0;
    CString m_strSecondText;    // the second address record
    ULONG m_nSecondAddress = 0;
    ULONG m_nSecondValue = 0;
};

// Makes the object for a program of format `type` (QEL_PROGRAM_...) with one reference,
// which the caller owns: a CTaskingC16xInfo for Tasking .out files, a CGNUC16xInfo for
// GNU166 files, a CProgramInfo for the others. E_INVALIDARG for an unknown type,
// E_OUTOFMEMORY when it cannot be made; *ppInfo is null then.
HRESULT CreateProgramInfo(LONG type, CProgramInfo **ppInfo);
