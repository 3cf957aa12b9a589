#include "atlmodule.h"

#include "atliface.h"
#include "atlregistrar.h"

#include <cstring>
#include <string>

CComModule *_pAtlModule = nullptr;

void QelAtlLockModule()
{
    if (_pAtlModule != nullptr)
        _pAtlModule->Lock();
}

void QelAtlUnlockModule()
{
    if (_pAtlModule != nullptr)
        _pAtlModule->Unlock();
}

HRESULT QelAtlUpdateRegistryFromResource(UINT id, BOOL bRegister)
{
    if (_pAtlModule == nullptr)
        return E_UNEXPECTED;
    return _pAtlModule->UpdateRegistryFromResource(id, bRegister);
}

namespace {

// The type library's line: "{LIBID} major.minor help text".
struct TypeLibInfo {
    std::string libid;
    std::string version;
    std::string helpText;
};

bool ReadTypeLibInfo(HINSTANCE module, TypeLibInfo *info)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCE(1), "TYPELIB");
    HGLOBAL data = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const char *text = data != nullptr ? static_cast<const char *>(LockResource(data)) : nullptr;
    if (text == nullptr)
        return false;
    std::string line(text, SizeofResource(module, resource));
    line = line.substr(0, line.find_first_of(std::string("\r\n\0", 3)));
    GUID libid;
    OLECHAR wide[39] = {};
    if (line.size() < 40 || line[38] != ' ' ||
        MultiByteToWideChar(CP_ACP, 0, line.substr(0, 38).c_str(), -1, wide, 39) != 39 ||
        FAILED(CLSIDFromString(wide, &libid)))
        return false;
    size_t space = line.find(' ', 39);
    info->libid = line.substr(0, 38);
    info->version = line.substr(39, space == std::string::npos ? std::string::npos : space - 39);
    info->helpText = space == std::string::npos ? "" : line.substr(space + 1);
    size_t dot = info->version.find('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < info->version.size() &&
           info->version.find_first_not_of("0123456789abcdefABCDEF.") == std::string::npos &&
           info->version.find('.', dot + 1) == std::string::npos;
}

// The scripts that write and take out the type library's keys. The library's key goes
// when no other version is left in it.
const char kTypeLibScript[] = "HKCR { NoRemove TypeLib { %LIBID% { ForceRemove %VERSION% = s '%HELPTEXT%' { "
                              "0 { win32 = s '%MODULE%' } FLAGS = s '0' HELPDIR = s '%HELPDIR%' } } } }";
const char kTypeLibRemoval[] = "HKCR { NoRemove TypeLib { %LIBID% { ForceRemove %VERSION% } } }";

// While a server registers, its classes' registration code may create the registrar by
// its class identifier, as on Windows where ATL's own library serves it. The module
// offers its class for that time, unless the process already knows one (a test that
// puts a failing registrar in its place).
class RegistrarClassOffer {
public:
    RegistrarClassOffer()
    {
        IUnknown *known = nullptr;
        if (SUCCEEDED(CoGetClassObject(CLSID_Registrar, CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown,
                                       reinterpret_cast<void **>(&known)))) {
            known->Release();
            return;
        }
        IUnknown *factory = nullptr;
        if (FAILED(CComCreator<CComObjectNoLock<CComClassFactory>>::CreateInstance(
                reinterpret_cast<void *>(&QelAtlCreateRegistrar), IID_IUnknown, reinterpret_cast<void **>(&factory))))
            return;
        CoRegisterClassObject(CLSID_Registrar, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
        factory->Release();
    }
    ~RegistrarClassOffer()
    {
        if (m_cookie != 0)
            CoRevokeClassObject(m_cookie);
    }
    RegistrarClassOffer(const RegistrarClassOffer &) = delete;
    RegistrarClassOffer &operator=(const RegistrarClassOffer &) = delete;

private:
    DWORD m_cookie = 0;
};

} // namespace

CComModule::CComModule()
{
    if (_pAtlModule == nullptr)
        _pAtlModule = this;
}

CComModule::~CComModule()
{
    Term();
    if (_pAtlModule == this)
        _pAtlModule = nullptr;
}

HRESULT CComModule::Init(_ATL_OBJMAP_ENTRY *p, HINSTANCE h)
{
    m_pObjMap = p;
    m_hInst = m_hInstResource = h;
    for (_ATL_OBJMAP_ENTRY *entry = m_pObjMap; entry != nullptr && entry->pclsid != nullptr; entry++)
        entry->pfnObjectMain(true);
    return S_OK;
}

void CComModule::Term()
{
    if (m_pObjMap == nullptr)
        return;
    for (_ATL_OBJMAP_ENTRY *entry = m_pObjMap; entry->pclsid != nullptr; entry++) {
        IUnknown *factory = nullptr;
        {
            CComCritSecLock hold(m_csObjMap);
            factory = entry->pCF;
            entry->pCF = nullptr;
        }
        if (factory != nullptr)
            factory->Release();
        entry->pfnObjectMain(false);
    }
    m_pObjMap = nullptr;
}

HRESULT CComModule::GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    for (_ATL_OBJMAP_ENTRY *entry = m_pObjMap; entry != nullptr && entry->pclsid != nullptr; entry++) {
        if (*entry->pclsid != rclsid)
            continue;
        CComCritSecLock hold(m_csObjMap);
        if (entry->pCF == nullptr) {
            // The factory learns its class's creator through its construction argument.
            HRESULT hr = entry->pfnGetClassObject(reinterpret_cast<void *>(entry->pfnCreateInstance), IID_IUnknown,
                                                  reinterpret_cast<void **>(&entry->pCF));
            if (FAILED(hr))
                return hr;
        }
        return entry->pCF->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CComModule::RegisterServer(BOOL bRegTypeLib, const CLSID *pCLSID)
{
    RegistrarClassOffer registrar;
    for (_ATL_OBJMAP_ENTRY *entry = m_pObjMap; entry != nullptr && entry->pclsid != nullptr; entry++) {
        if (pCLSID != nullptr && *pCLSID != *entry->pclsid)
            continue;
        HRESULT hr = entry->pfnUpdateRegistry(TRUE);
        if (FAILED(hr))
            return hr;
    }
    return bRegTypeLib ? RegisterTypeLib() : S_OK;
}

HRESULT CComModule::UnregisterServer(const CLSID *pCLSID)
{
    RegistrarClassOffer registrar;
    for (_ATL_OBJMAP_ENTRY *entry = m_pObjMap; entry != nullptr && entry->pclsid != nullptr; entry++) {
        if (pCLSID != nullptr && *pCLSID != *entry->pclsid)
            continue;
        HRESULT hr = entry->pfnUpdateRegistry(FALSE);
        if (FAILED(hr))
            return hr;
    }
    TypeLibInfo info;
    return pCLSID == nullptr && ReadTypeLibInfo(m_hInstResource, &info) ? UnregisterTypeLib() : S_OK;
}

HRESULT CComModule::ModulePath(char *path, DWORD size) const
{
    DWORD length = GetModuleFileNameA(m_hInst, path, size);
    if (length == 0 || length >= size)
        return HRESULT_FROM_WIN32(length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
    return S_OK;
}

HRESULT CComModule::UpdateRegistryFromResource(UINT id, BOOL bRegister, const char *const (*pMapEntries)[2])
{
    char path[4096];
    HRESULT hr = ModulePath(path, sizeof path);
    if (FAILED(hr))
        return hr;
    CRegObject registrar;
    hr = registrar.AddReplacement("MODULE", path);
    for (; SUCCEEDED(hr) && pMapEntries != nullptr && (*pMapEntries)[0] != nullptr; pMapEntries++)
        hr = registrar.AddReplacement((*pMapEntries)[0], (*pMapEntries)[1]);
    if (FAILED(hr))
        return hr;
    return bRegister ? registrar.ResourceRegister(m_hInstResource, id) : registrar.ResourceUnregister(m_hInstResource, id);
}

HRESULT CComModule::RegisterTypeLib()
{
    TypeLibInfo info;
    if (!ReadTypeLibInfo(m_hInstResource, &info))
        return TYPE_E_CANTLOADLIBRARY;
    char path[4096];
    HRESULT hr = ModulePath(path, sizeof path);
    if (FAILED(hr))
        return hr;
    std::string folder(path);
    folder = folder.substr(0, folder.find_last_of('/') + 1);
    CRegObject registrar;
    registrar.AddReplacement("LIBID", info.libid.c_str());
    registrar.AddReplacement("VERSION", info.version.c_str());
    registrar.AddReplacement("HELPTEXT", info.helpText.c_str());
    registrar.AddReplacement("MODULE", path);
    registrar.AddReplacement("HELPDIR", folder.c_str());
    return registrar.StringRegister(kTypeLibScript);
}

HRESULT CComModule::UnregisterTypeLib()
{
    TypeLibInfo info;
    if (!ReadTypeLibInfo(m_hInstResource, &info))
        return TYPE_E_CANTLOADLIBRARY;
    CRegObject registrar;
    registrar.AddReplacement("LIBID", info.libid.c_str());
    registrar.AddReplacement("VERSION", info.version.c_str());
    return registrar.StringUnregister(kTypeLibRemoval);
}
