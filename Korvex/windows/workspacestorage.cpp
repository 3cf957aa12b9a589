#include "workspacestorage.h"

#include <qelsymbsrv.h>
#include <stgenumerator.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace WorkspaceStorage {

namespace {

// A text longer than the longest path the platform knows is no value the system wrote.
constexpr int kLongestText = 32767;

CComPtr<IUnknown> Identity(IUnknown *object)
{
    CComPtr<IUnknown> identity;
    if (object)
        object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
    return identity;
}

// The own storage of `object`'s symbol server; the server keeps the reference.
IStorage *OwnStorage(IUnknown *object)
{
    CComPtr<IQelSymbSrv> server;
    if (!object || FAILED(object->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server))) || !server)
        return nullptr;
    IUnknown *storage = nullptr;
    if (FAILED(server->Synchronize(SYF_GET_OWN_STORAGE, &storage)))
        return nullptr;
    return static_cast<IStorage *>(storage);
}

} // namespace

BOOL FindSettingsStorage(IUnknown *symbolServer, CComPtr<IStorage> &storage, BOOL *ownIsMaster)
{
    storage.Release();
    CComPtr<IQelSymbSrv> server;
    if (!symbolServer ||
        FAILED(symbolServer->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server))) || !server)
        return FALSE;
    CComPtr<IUnknown> master;
    if (FAILED(server->Synchronize(SYF_GET_MASTER_DEBUGGER, &master)) || !master)
        return FALSE;
    BOOL own = Identity(master) == Identity(symbolServer);
    if (ownIsMaster)
        *ownIsMaster = own;
    storage = OwnStorage(own ? symbolServer : master.p);
    return storage != nullptr;
}

BOOL OpenLevel(IStorage *parent, LPCSTR name, BOOL write, Win32Ext::CStorage &level)
{
    if (level.Open(name, parent, !write))
        return TRUE;
    return write && level.GetLastResult() == STG_E_FILENOTFOUND && level.Create(name, parent, TRUE);
}

DWORD ReadNumber(Win32Ext::CStorage &storage, LPCSTR key, DWORD fallback)
{
    DWORD value = 0;
    return storage.ReadDWORD(key, &value) ? value : fallback;
}

BOOL ReadText(Win32Ext::CStorage &storage, LPCSTR key, CString &text)
{
    text.Empty();
    std::vector<char> buffer(kLongestText + 1);
    // A text that fills the buffer may go on beyond it.
    if (!storage.ReadString(key, buffer.data(), kLongestText + 1) || std::strlen(buffer.data()) >= kLongestText)
        return FALSE;
    text = buffer.data();
    return TRUE;
}

BOOL OpenProgramEntry(IStorage *root, DWORD programId, BOOL write, Win32Ext::CStorage &files,
                      Win32Ext::CStorage &entry)
{
    if (!OpenLevel(root, "BinaryFiles", write, files))
        return FALSE;
    DWORD number = ReadNumber(files, "Number", 1);
    if (number < programId)
        return FALSE;
    CString name;
    name.Format("BinaryFile%d", static_cast<int>(number));
    return OpenLevel(files.GetStorage(), name, write, entry);
}

std::vector<DWORD> NumberedElements(IStorage *storage, LPCSTR prefix, DWORD limit)
{
    std::vector<DWORD> numbers;
    IEnumSTATSTG *elements = nullptr;
    if (!storage || FAILED(storage->EnumElements(0, nullptr, 0, &elements)))
        return numbers;
    CStgEnumerator enumerator(elements);
    elements->Release();
    size_t prefixLength = std::strlen(prefix);
    CString name;
    while (enumerator.NextName(name)) {
        LPCSTR text = name;
        // As "%d" writes them: digits after the prefix, the first not 0.
        if (std::strncmp(text, prefix, prefixLength) != 0)
            continue;
        LPCSTR digits = text + prefixLength;
        size_t count = std::strspn(digits, "0123456789");
        if (count == 0 || count > 10 || digits[count] != 0 || digits[0] == '0')
            continue;
        unsigned long long number = std::strtoull(digits, nullptr, 10);
        if (number > limit || number > INT_MAX)
            continue;
        numbers.push_back(static_cast<DWORD>(number));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

BOOL SameText(LPCSTR a, LPCSTR b)
{
    if (!a || !b || !*a || !*b)
        return FALSE;
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y)
            return FALSE;
    }
    return *a == *b;
}

} // namespace WorkspaceStorage
