#include "classtable.h"

#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

struct Registration {
    DWORD cookie;
    CLSID clsid;
    IUnknown *factory; // one reference, the table's
    DWORD context;
    DWORD flags;
    bool used;            // a REGCLS_SINGLEUSE registration that served once
    std::u16string progId; // interim, see QelSetClassObjectProgID
};

// Never destroyed: registrations may still be revoked by static destructors at exit.
struct ClassTable {
    std::mutex mutex;
    std::vector<Registration> entries;
    DWORD nextCookie = 1;
};

ClassTable &Table()
{
    static ClassTable *table = new ClassTable;
    return *table;
}

constexpr DWORD kKnownContexts = CLSCTX_ALL;

OLECHAR Lower(OLECHAR c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<OLECHAR>(c - u'A' + u'a') : c;
}

// ProgIDs are registry key names, so they compare blind to ASCII case.
bool SameProgId(const std::u16string &a, LPCOLESTR b)
{
    size_t i = 0;
    for (; i < a.size(); i++) {
        if (b[i] == 0 || Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return b[i] == 0;
}

// The registration that serves `clsid` in `context`, newest first; NULL when none does.
Registration *FindServing(ClassTable &table, REFCLSID clsid, DWORD context)
{
    for (auto it = table.entries.rbegin(); it != table.entries.rend(); ++it) {
        if (it->clsid == clsid && (it->context & context) && !it->used)
            return &*it;
    }
    return nullptr;
}

} // namespace

STDAPI CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                             LPDWORD lpdwRegister)
{
    if (!pUnk || !lpdwRegister)
        return E_INVALIDARG;
    if (dwClsContext == 0 || (dwClsContext & ~kKnownContexts) || flags > REGCLS_MULTI_SEPARATE)
        return E_INVALIDARG;
    // As on the platform, a multiple-use local server serves its own process too.
    if (flags == REGCLS_MULTIPLEUSE && (dwClsContext & CLSCTX_LOCAL_SERVER))
        dwClsContext |= CLSCTX_INPROC_SERVER;
    ClassTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    try {
        table.entries.push_back({table.nextCookie, rclsid, pUnk, dwClsContext, flags, false, {}});
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    pUnk->AddRef();
    *lpdwRegister = table.nextCookie++;
    if (table.nextCookie == 0)
        table.nextCookie = 1;
    return S_OK;
}

STDAPI CoRevokeClassObject(DWORD dwRegister)
{
    IUnknown *factory = nullptr;
    {
        ClassTable &table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
            if (it->cookie == dwRegister) {
                factory = it->factory;
                table.entries.erase(it);
                break;
            }
        }
    }
    if (!factory)
        return CO_E_OBJNOTREG;
    // Released outside the lock: the factory's last Release may revoke or register.
    factory->Release();
    return S_OK;
}

STDAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO *pServerInfo, REFIID riid, LPVOID *ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    if (pServerInfo)
        return E_INVALIDARG;
    IUnknown *factory = nullptr;
    {
        ClassTable &table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        Registration *found = FindServing(table, rclsid, dwClsContext);
        if (found) {
            factory = found->factory;
            factory->AddRef();
            if (found->flags == REGCLS_SINGLEUSE)
                found->used = true;
        }
    }
    // Classes that the registry names under InprocServer32 are reached through
    // QelGetClassObjectFromLibrary by the registry stand-in's lookup.
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

STDAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    IClassFactory *factory = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}

STDAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid)
{
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    ClassTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (auto it = table.entries.rbegin(); it != table.entries.rend(); ++it) {
        if (!it->progId.empty() && SameProgId(it->progId, lpszProgID)) {
            *lpclsid = it->clsid;
            return S_OK;
        }
    }
    return CO_E_CLASSSTRING;
}

STDAPI QelSetClassObjectProgID(DWORD dwRegister, LPCOLESTR progId)
{
    if (!progId || progId[0] == 0)
        return E_INVALIDARG;
    ClassTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (Registration &entry : table.entries) {
        if (entry.cookie == dwRegister) {
            try {
                entry.progId = progId;
            } catch (const std::bad_alloc &) {
                return E_OUTOFMEMORY;
            }
            return S_OK;
        }
    }
    return CO_E_OBJNOTREG;
}
