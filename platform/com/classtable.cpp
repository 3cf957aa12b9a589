#include "classtable.h"

#include "guidtext.h"
#include "serverlib.h"
#include "windows.h"

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

// The default value of the registry key `path` below HKEY_CLASSES_ROOT, when it is a text
// of at most `maxLength` bytes; the terminating zero is not part of it.
bool ReadClassesText(const std::string &path, size_t maxLength, std::string *text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::string buffer(maxLength + 1, '\0');
    DWORD type = 0;
    auto size = static_cast<DWORD>(buffer.size());
    LONG result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    buffer.resize(size);
    // A text stored without its terminating zero is taken as it stands.
    *text = buffer.substr(0, buffer.find('\0'));
    return true;
}

// The ANSI form of a ProgID, which names a key of its own: nothing for a ProgID that code
// page 1252 cannot hold or that would name a key further down.
bool ProgIdKeyName(LPCOLESTR progId, std::string *name)
{
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, progId, -1, nullptr, 0, nullptr, &lossy);
    if (length <= 1 || lossy)
        return false;
    name->assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, progId, -1, name->data(), length, nullptr, nullptr);
    name->pop_back();
    return name->find('\\') == std::string::npos;
}

// HKEY_CLASSES_ROOT\<ProgID>\CLSID, whose default value is the class in brace form.
HRESULT ClassOfRegisteredProgId(LPCOLESTR progId, LPCLSID clsid)
{
    std::string name;
    std::string text;
    if (!ProgIdKeyName(progId, &name) || !ReadClassesText(name + "\\CLSID", 38, &text))
        return CO_E_CLASSSTRING;
    OLECHAR wide[39] = {};
    if (text.size() != 38 || MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 39) != 39)
        return CO_E_CLASSSTRING;
    return CLSIDFromString(wide, clsid);
}

// The class factory of a class that the registry names: the library of
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32, asked through its DllGetClassObject.
HRESULT ClassObjectOfRegisteredServer(REFCLSID clsid, REFIID riid, LPVOID *ppv)
{
    OLECHAR wide[39];
    char braced[39];
    StringFromGUID2(clsid, wide, 39);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, braced, sizeof braced, nullptr, nullptr);
    std::string library;
    constexpr size_t kMaxPath = 4096;
    if (!ReadClassesText(std::string("CLSID\\") + braced + "\\InprocServer32", kMaxPath, &library) ||
        library.empty())
        return REGDB_E_CLASSNOTREG;
    return QelGetClassObjectFromLibrary(library.c_str(), clsid, riid, ppv);
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
    if (!factory) {
        if (!(dwClsContext & CLSCTX_INPROC_SERVER))
            return REGDB_E_CLASSNOTREG;
        try {
            return ClassObjectOfRegisteredServer(rclsid, riid, ppv);
        } catch (const std::bad_alloc &) {
            return E_OUTOFMEMORY;
        }
    }
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
    {
        ClassTable &table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        for (auto it = table.entries.rbegin(); it != table.entries.rend(); ++it) {
            if (!it->progId.empty() && SameProgId(it->progId, lpszProgID)) {
                *lpclsid = it->clsid;
                return S_OK;
            }
        }
    }
    try {
        return ClassOfRegisteredProgId(lpszProgID, lpclsid);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
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
