// In-process server libraries: loading them, asking them for class factories, and
// unloading those that no longer serve an object.
#pragma once

#include "comdecl.h"
#include "guiddef.h"

// The entry points that every server library exports (by these names, C linkage).
typedef HRESULT(STDAPICALLTYPE *LPFNGETCLASSOBJECT)(REFCLSID, REFIID, LPVOID *);
typedef HRESULT(STDAPICALLTYPE *LPFNCANUNLOADNOW)();
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv);
STDAPI DllCanUnloadNow();

// Loads the library at `path` (once: later calls reuse it, also under another path to
// the same file) and asks its DllGetClassObject for the class factory of `rclsid`,
// interface `riid`. This is how a class is reached whose InprocServer32 entry the
// registry gives. CO_E_DLLNOTFOUND when the library cannot be loaded, CO_E_ERRORINDLL
// when it has no DllGetClassObject; else what DllGetClassObject answers.
STDAPI QelGetClassObjectFromLibrary(const char *path, REFCLSID rclsid, REFIID riid, LPVOID *ppv);

// Unloads every loaded server library whose DllCanUnloadNow answers S_OK (one without
// DllCanUnloadNow stays). The platform waits a while before unloading; this does it at
// once.
STDAPI_(void) CoFreeUnusedLibraries();
