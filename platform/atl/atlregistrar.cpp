#include "atlregistrar.h"

#include "atlregscript.h"

#include <cctype>
#include <vector>

using namespace QelAtlRegScript;

namespace {

HRESULT FromWin32(LONG code)
{
    return code == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(code));
}

// Deletes `name` below `parent` with everything below it; a key that is not there is no
// failure.
LONG DeleteTree(HKEY parent, const std::string &name)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS)
        return result;
    for (;;) {
        char child[256];
        DWORD size = sizeof child;
        result = RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS)
            result = DeleteTree(key, child);
        if (result != ERROR_SUCCESS) {
            RegCloseKey(key);
            return result;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name.c_str());
}

LONG SetValues(HKEY key, const std::vector<Value> &values)
{
    for (const Value &value : values) {
        LONG result = RegSetValueExA(key, value.name.empty() ? nullptr : value.name.c_str(), 0, value.type,
                                     reinterpret_cast<const BYTE *>(value.data.data()),
                                     static_cast<DWORD>(value.data.size()));
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}

LONG Register(HKEY parent, const std::vector<Key> &keys)
{
    for (const Key &entry : keys) {
        LONG result = ERROR_SUCCESS;
        if (entry.mode == KeyMode::ForceRemove || entry.mode == KeyMode::Delete)
            result = DeleteTree(parent, entry.name);
        if (result != ERROR_SUCCESS)
            return result;
        if (entry.mode == KeyMode::Delete)
            continue;
        HKEY key = nullptr;
        result = RegCreateKeyExA(parent, entry.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
        if (result != ERROR_SUCCESS)
            return result;
        result = SetValues(key, entry.values);
        if (result == ERROR_SUCCESS)
            result = Register(key, entry.subkeys);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}

// Whether the key holds nothing: no subkey and no value.
bool IsEmpty(HKEY key)
{
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_NO_MORE_ITEMS)
        return false;
    size = sizeof name;
    LONG result = RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
    return result == ERROR_NO_MORE_ITEMS;
}

LONG Unregister(HKEY parent, const std::vector<Key> &keys)
{
    for (const Key &entry : keys) {
        if (entry.mode == KeyMode::Delete)
            continue;
        if (entry.mode == KeyMode::ForceRemove) {
            LONG result = DeleteTree(parent, entry.name);
            if (result != ERROR_SUCCESS)
                return result;
            continue;
        }
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(parent, entry.name.c_str(), 0, KEY_ALL_ACCESS, &key);
        if (result == ERROR_FILE_NOT_FOUND)
            continue;
        if (result != ERROR_SUCCESS)
            return result;
        result = Unregister(key, entry.subkeys);
        if (result == ERROR_SUCCESS && entry.mode == KeyMode::Plain) {
            for (const Value &value : entry.values) {
                LONG deleted = RegDeleteValueA(key, value.name.empty() ? nullptr : value.name.c_str());
                if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
                    result = deleted;
                    break;
                }
            }
        }
        bool empty = result == ERROR_SUCCESS && entry.mode == KeyMode::Plain && IsEmpty(key);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return result;
        if (empty) {
            result = RegDeleteKeyA(parent, entry.name.c_str());
            if (result != ERROR_SUCCESS)
                return result;
        }
    }
    return ERROR_SUCCESS;
}

std::string Upper(const char *text)
{
    std::string upper(text);
    for (char &c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

} // namespace

HRESULT CRegObject::AddReplacement(LPCSTR key, LPCSTR item)
{
    if (key == nullptr || item == nullptr || *key == '\0')
        return E_INVALIDARG;
    try {
        m_replacements[Upper(key)] = item;
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CRegObject::ClearReplacements()
{
    m_replacements.clear();
    return S_OK;
}

HRESULT CRegObject::Run(const char *script, size_t length, BOOL bRegister)
{
    try {
        std::vector<Root> roots;
        if (!Parse(script, length, m_replacements, &roots))
            return DISP_E_EXCEPTION;
        for (const Root &root : roots) {
            LONG result = bRegister ? Register(root.root, root.keys) : Unregister(root.root, root.keys);
            if (result != ERROR_SUCCESS)
                return FromWin32(result);
        }
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CRegObject::ResourceRegister(HINSTANCE module, UINT id, LPCSTR type)
{
    return RunResource(module, id, type, TRUE);
}

HRESULT CRegObject::ResourceUnregister(HINSTANCE module, UINT id, LPCSTR type)
{
    return RunResource(module, id, type, FALSE);
}

HRESULT CRegObject::RunResource(HINSTANCE module, UINT id, LPCSTR type, BOOL bRegister)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCE(id), type);
    HGLOBAL data = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const char *text = data != nullptr ? static_cast<const char *>(LockResource(data)) : nullptr;
    if (text == nullptr) {
        DWORD error = GetLastError();
        return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    size_t size = SizeofResource(module, resource);
    size_t length = 0;
    while (length < size && text[length] != '\0')
        length++;
    return Run(text, length, bRegister);
}
