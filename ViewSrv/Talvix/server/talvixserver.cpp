// libTalvix.so: the symbol window controls' library, with its resources, its COM module
// and its four entry points.
#include <talvixapp.h>
#include <talvixresources.h>

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

CComModule _Module;
// In this order in one file: the module exists before the application starts it.
static CTalvixApp theApp(_Module);
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
    return _Module.RegisterServer(FALSE);
}

STDAPI DllUnregisterServer()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return _Module.UnregisterServer();
}
