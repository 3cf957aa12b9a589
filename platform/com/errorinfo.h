// Error information: the text, source and help that travel beside a failing HRESULT.
//
// Each thread has one slot. SetErrorInfo puts an object there (adding a reference);
// GetErrorInfo hands the object over to the caller and empties the slot, so error
// information is read once. A thread's slot is released when the thread ends.
#pragma once

#include "bstr.h"
#include "comdecl.h"
#include "unknwn.h"

interface IErrorInfo : public IUnknown {
    STDMETHOD(GetGUID)(GUID *pGUID) PURE;
    STDMETHOD(GetSource)(BSTR *pBstrSource) PURE;
    STDMETHOD(GetDescription)(BSTR *pBstrDescription) PURE;
    STDMETHOD(GetHelpFile)(BSTR *pBstrHelpFile) PURE;
    STDMETHOD(GetHelpContext)(DWORD *pdwHelpContext) PURE;
};
QEL_DEFINE_IID(IErrorInfo, 0x1CF2B120, 0x547D, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19);

interface ICreateErrorInfo : public IUnknown {
    STDMETHOD(SetGUID)(REFGUID rguid) PURE;
    STDMETHOD(SetSource)(LPOLESTR szSource) PURE;
    STDMETHOD(SetDescription)(LPOLESTR szDescription) PURE;
    STDMETHOD(SetHelpFile)(LPOLESTR szHelpFile) PURE;
    STDMETHOD(SetHelpContext)(DWORD dwHelpContext) PURE;
};
QEL_DEFINE_IID(ICreateErrorInfo, 0x22F03340, 0x547D, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19);

interface ISupportErrorInfo : public IUnknown {
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) PURE;
};
QEL_DEFINE_IID(ISupportErrorInfo, 0xDF0B3D60, 0x548F, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19);

// A new, empty error object; ask it for IErrorInfo to hand it to SetErrorInfo. Its
// texts start as NULL BSTRs, its GUID as GUID_NULL, its help context as 0.
STDAPI CreateErrorInfo(ICreateErrorInfo **pperrinfo);

// `dwReserved` must be 0. A NULL `perrinfo` empties the slot.
STDAPI SetErrorInfo(ULONG dwReserved, IErrorInfo *perrinfo);

// S_OK and the object (the caller owns the reference), or S_FALSE and NULL when the slot
// is empty.
STDAPI GetErrorInfo(ULONG dwReserved, IErrorInfo **pperrinfo);
