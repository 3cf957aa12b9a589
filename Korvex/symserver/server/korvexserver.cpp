// libKorvex.so: the symbol server's library, with its resources, its COM module and
// application object, and its four entry points.
#include <korvexapp.h>
#include <progfilestrings.h>
#include <symdbstrings.h>
#include <symserverscripts.h>
#include <symserverstrings.h>
#include <varnodestrings.h>
#include <windowsresources.h>

#include <vector>

namespace {

// Made when the module registers, before any other static object of the library.
const QEL_MODULE_RESOURCES &KorvexResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        all.insert(all.end(), g_VarNodeStrings, g_VarNodeStrings + g_VarNodeStringCount);
        return all;
    }();
    static const std::vector<QEL_RESOURCE_ENTRY> entries = [] {
        std::vector<QEL_RESOURCE_ENTRY> all(g_SymserverResources, g_SymserverResources + g_SymserverResourceCount);
        all.insert(all.end(), g_WindowsResources, g_WindowsResources + g_WindowsResourceCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), entries.data(), entries.size()};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(KorvexResources())

// In this order in one file: the module exists before the application starts it.
CComModule _Module;
static CKorvexApp theApp(_Module);
QEL_DEFINE_DLL_APPLICATION(theApp)

STDAPI DllCanUnloadNow()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return _Module.GetLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return _Module.GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return _Module.RegisterServer(TRUE);
}

STDAPI DllUnregisterServer()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return _Module.UnregisterServer();
}
