// The process's class table and the creation of objects by class identifier.
//
// A class becomes known by CoRegisterClassObject (the host and test doubles register
// their class factories so) or by its InprocServer32 entry in the registry, whose
// library is then loaded (serverlib.h). The registrations of the process come first.
#pragma once

#include "comdecl.h"
#include "guiddef.h"
#include "unknwn.h"

// Where a class may run. Everything runs in this process; the contexts only select
// which registrations a request may see.
enum CLSCTX {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
};
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

enum REGCLS {
    REGCLS_SINGLEUSE = 0,     // the first CoGetClassObject takes the factory out of view
    REGCLS_MULTIPLEUSE = 1,   // with CLSCTX_LOCAL_SERVER it serves CLSCTX_INPROC_SERVER too
    REGCLS_MULTI_SEPARATE = 2,
};

// Remote activation is not offered: the server information must be NULL.
typedef struct _COSERVERINFO COSERVERINFO;

// Keeps a reference to `pUnk` until the registration is revoked; *lpdwRegister gets the
// cookie (never 0). When a class is registered more than once, the latest registration
// serves. E_INVALIDARG for a NULL argument, no context or an unknown flag.
STDAPI CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                             LPDWORD lpdwRegister);
// CO_E_OBJNOTREG for a cookie that is not (or no longer) registered.
STDAPI CoRevokeClassObject(DWORD dwRegister);

// The registered class factory, asked for `riid`. A class that no registration serves is
// looked up in the registry, for CLSCTX_INPROC_SERVER: the default value of
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 names its library (QelGetClassObjectFromLibrary
// gives the results of loading it). REGDB_E_CLASSNOTREG when neither knows the class.
STDAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO *pServerInfo, REFIID riid, LPVOID *ppv);

// The class factory's CreateInstance with `pUnkOuter` as it is given (the factory decides
// about aggregation); *ppv is NULL on failure.
STDAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv);

// The class of a ProgID, blind to case: first among the ProgIDs given to the class table
// with QelSetClassObjectProgID, then the default value of HKEY_CLASSES_ROOT\<ProgID>\CLSID.
// CO_E_CLASSSTRING for an unknown one, and for a registry entry that is no class
// identifier.
STDAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);

// Names the class of the registration `dwRegister` by `progId` for CLSIDFromProgID, until
// the registration is revoked, without writing the registry: for the host's own classes
// and test doubles. E_INVALIDARG for an empty ProgID, CO_E_OBJNOTREG for an unknown
// cookie.
STDAPI QelSetClassObjectProgID(DWORD dwRegister, LPCOLESTR progId);
