// IRegistrar: the template library's registrar as a COM object, for code that runs a
// registry script through an interface (a server's own registration helpers).
//
// The object stands over CRegObject (atlregistrar.h): replacements, scripts from texts
// and from a module's "REGISTRY" resources. A server's module offers its class
// CLSID_Registrar in the class table while it registers or unregisters (atlmodule.h).
#pragma once

#include <ole2.h>

interface IRegistrar : public IUnknown {
    STDMETHOD(AddReplacement)(LPCOLESTR key, LPCOLESTR item) PURE;                          // 3
    STDMETHOD(ClearReplacements)() PURE;                                                    // 4
    // Resources named by text are not offered (the system numbers its own): E_NOTIMPL.
    STDMETHOD(ResourceRegisterSz)(LPCOLESTR resFileName, LPCOLESTR szID, LPCOLESTR szType) PURE; // 5
    STDMETHOD(ResourceUnregisterSz)(LPCOLESTR resFileName, LPCOLESTR szID, LPCOLESTR szType) PURE; // 6
    // Scripts in files are not read here: E_NOTIMPL.
    STDMETHOD(FileRegister)(LPCOLESTR fileName) PURE;                                       // 7
    STDMETHOD(FileUnregister)(LPCOLESTR fileName) PURE;                                     // 8
    STDMETHOD(StringRegister)(LPCOLESTR data) PURE;                                         // 9
    STDMETHOD(StringUnregister)(LPCOLESTR data) PURE;                                       // 10
    // The resource `nID` of type `szType` of the module `resFileName` (a full path or a
    // module name, as GetModuleHandleA takes them); the error of GetModuleHandleA when no
    // loaded module answers.
    STDMETHOD(ResourceRegister)(LPCOLESTR resFileName, UINT nID, LPCOLESTR szType) PURE;    // 11
    STDMETHOD(ResourceUnregister)(LPCOLESTR resFileName, UINT nID, LPCOLESTR szType) PURE;  // 12
};
QEL_DEFINE_IID(IRegistrar, 0x44EC053B, 0x400F, 0x11D0, 0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3);

DEFINE_GUID(CLSID_Registrar, 0x44EC053A, 0x400F, 0x11D0, 0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3);

// Makes a registrar object for IID `riid` (the creator of CLSID_Registrar).
HRESULT QelAtlCreateRegistrar(void *pv, REFIID riid, LPVOID *ppv);
