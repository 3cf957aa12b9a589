// IQelVersionInfo: what a component tells the host about its version, from its module's
// version resource.
#pragma once

#include <ole2.h>

interface IQelVersionInfo : public IUnknown {
    // Slot 3: the module's internal name; the caller frees it.
    STDMETHOD(GetInternalName)(BSTR *pbstrName) PURE;
    // Slot 4: the module's description; the caller frees it.
    STDMETHOD(GetDescription)(BSTR *pbstrDescription) PURE;
    // Slots 5 to 8: the four parts of the file version "a.b.c.d", a first.
    STDMETHOD(GetMajorVersion)(LONG *pValue) PURE;
    STDMETHOD(GetMinorVersion)(LONG *pValue) PURE;
    STDMETHOD(GetReleaseNumber)(LONG *pValue) PURE;
    STDMETHOD(GetBuildNumber)(LONG *pValue) PURE;
    // Slot 9: the first number that the component gave at creation.
    STDMETHOD(GetFirstNumber)(LONG *pValue) PURE;
    // Slot 10: the full path of the module; the caller frees it.
    STDMETHOD(GetModulePath)(BSTR *pbstrPath) PURE;
    // Slot 11: the second number that the component gave at creation.
    STDMETHOD(GetSecondNumber)(LONG *pValue) PURE;
};
QEL_DEFINE_IID(IQelVersionInfo, 0x59648420, 0x0130, 0x11D3, 0x9C, 0xD0, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);
