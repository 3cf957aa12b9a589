// The COM module of a server: its object map, its class factories, its lock count and
// its registration.
//
// A server defines one CComModule (by the name _Module, as the template library's users
// do) and one object map:
//
//     CComModule _Module;
//     BEGIN_OBJECT_MAP(ObjectMap)
//         OBJECT_ENTRY(CLSID_Mine, CMine)
//     END_OBJECT_MAP()
//
// initialises the module with the map when it starts, terminates it when it ends, and
// lets its four entry points ask it: DllGetClassObject is GetClassObject,
// DllCanUnloadNow is GetLockCount() == 0, DllRegisterServer and DllUnregisterServer are
// RegisterServer and UnregisterServer.
//
// Every object that the template library makes holds the module's lock while it lives,
// as does every LockServer(TRUE) of a factory. The module is the one CComModule of the
// library or program that the calling code is part of: the template library is compiled
// into each module, as a static library is.
#pragma once

#include <ole2.h>

#include "atlcoclass.h"
#include "atlthreadmodel.h"

#ifndef TYPE_E_CANTLOADLIBRARY
#define TYPE_E_CANTLOADLIBRARY QEL_HR(0x80029C4AL)
#endif

// One class of the object map. The module makes its factory at the first request and
// keeps it (pCF) until it terminates.
struct _ATL_OBJMAP_ENTRY {
    const CLSID *pclsid;
    HRESULT (*pfnUpdateRegistry)(BOOL bRegister);
    _ATL_CREATORFUNC *pfnGetClassObject;
    _ATL_CREATORFUNC *pfnCreateInstance;
    IUnknown *pCF;
    void (*pfnObjectMain)(bool bStarting);
};

#define BEGIN_OBJECT_MAP(x) static _ATL_OBJMAP_ENTRY x[] = {
#define OBJECT_ENTRY(clsid, class)                                                                      \
    {&(clsid), &class ::UpdateRegistry, &class ::_ClassFactoryCreatorClass::CreateInstance,              \
     &class ::_CreatorClass::CreateInstance, nullptr, &class ::ObjectMain},
#define END_OBJECT_MAP() {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}};

// What the module registers of its type library: the resource "TYPELIB" 1 of the module,
// a text of one line, "{LIBID} major.minor help text", since no type library file is
// made here. Registering writes HKCR\TypeLib\{LIBID}\major.minor with the help text as
// its default value, "0\win32" with the module's path, "FLAGS" = "0" and "HELPDIR" with
// the module's folder; that is what a caller can find of a registered type library.

class CComModule {
public:
    // The module of this library or program from here on (one per module).
    CComModule();
    ~CComModule();
    CComModule(const CComModule &) = delete;
    CComModule &operator=(const CComModule &) = delete;

    // Takes the object map (static data, ended by END_OBJECT_MAP) and the module's
    // instance, and tells every class that the module starts.
    HRESULT Init(_ATL_OBJMAP_ENTRY *p, HINSTANCE h);
    // Lets go of every factory that the module made and tells every class that it ends.
    void Term();

    // The factory of `rclsid`, asked for `riid`: CLASS_E_CLASSNOTAVAILABLE when the map
    // has no such class, and before Init.
    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv);

    // Runs the registry scripts of the map's classes (only that of *pCLSID when given),
    // in map order, and registers the type library when asked; the first failure stops.
    HRESULT RegisterServer(BOOL bRegTypeLib = FALSE, const CLSID *pCLSID = nullptr);
    // Takes them out again, the type library too when the module has one.
    HRESULT UnregisterServer(const CLSID *pCLSID = nullptr);
    HRESULT RegisterTypeLib();
    HRESULT UnregisterTypeLib();

    // Runs the module's registry script `id` with the replacement %MODULE% (the module's
    // full path) and the texts of `pMapEntries` (NAME, text pairs ended by a null NAME).
    HRESULT UpdateRegistryFromResource(UINT id, BOOL bRegister, const char *const (*pMapEntries)[2] = nullptr);

    LONG Lock() { return InterlockedIncrement(&m_nLockCnt); }
    LONG Unlock() { return InterlockedDecrement(&m_nLockCnt); }
    LONG GetLockCount() const { return m_nLockCnt; }

    HINSTANCE GetModuleInstance() const { return m_hInst; }
    HINSTANCE GetResourceInstance() const { return m_hInstResource; }

private:
    // The module's full path, as %MODULE% names it.
    HRESULT ModulePath(char *path, DWORD size) const;

    _ATL_OBJMAP_ENTRY *m_pObjMap = nullptr;
    HINSTANCE m_hInst = nullptr;
    HINSTANCE m_hInstResource = nullptr;
    LONG m_nLockCnt = 0;
    CComAutoCriticalSection m_csObjMap; // guards the factories of the map
};

// The CComModule of the calling module; null when it has none.
extern CComModule *_pAtlModule;
