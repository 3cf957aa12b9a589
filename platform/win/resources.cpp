#include "resources.h"

#include "lasterror.h"
#include "moduletable.h"
#include "winerror.h"

#include <cstring>

namespace {

using qelwin::Module;

// A resource type or name as Win32 compares them: an id, or a text blind to case.
struct ResourceKey {
    bool isId;
    WORD id;
    const char *text;
};

ResourceKey MakeKey(LPCSTR nameOrId)
{
    if (IS_INTRESOURCE(nameOrId))
        return ResourceKey{true, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(nameOrId)), nullptr};
    if (nameOrId[0] == '#' && nameOrId[1] != '\0') {
        unsigned value = 0;
        const char *p = nameOrId + 1;
        while (*p >= '0' && *p <= '9' && value <= 0xFFFF)
            value = value * 10 + static_cast<unsigned>(*p++ - '0');
        if (*p == '\0' && value <= 0xFFFF)
            return ResourceKey{true, static_cast<WORD>(value), nullptr};
    }
    return ResourceKey{false, 0, nameOrId};
}

bool SameText(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
        if (ca >= 'a' && ca <= 'z')
            ca = static_cast<unsigned char>(ca - 'a' + 'A');
        if (cb >= 'a' && cb <= 'z')
            cb = static_cast<unsigned char>(cb - 'a' + 'A');
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

bool Matches(const ResourceKey &key, LPCSTR entry)
{
    if (entry == nullptr)
        return false;
    ResourceKey other = MakeKey(entry);
    if (key.isId != other.isId)
        return false;
    return key.isId ? key.id == other.id : SameText(key.text, other.text);
}

// The entry that `resource` points at when it is one of the module's; nullptr otherwise.
// The address is compared against the table, never read before it is known to be there.
const QEL_RESOURCE_ENTRY *EntryOf(const Module &module, HRSRC resource)
{
    const QEL_RESOURCE_ENTRY *first = module.resources.resources;
    for (size_t i = 0; i < module.resources.resourceCount; ++i) {
        if (reinterpret_cast<const void *>(&first[i]) == static_cast<const void *>(resource))
            return &first[i];
    }
    return nullptr;
}

// The entry in `module`, or in any registered module when `module` is NULL.
const QEL_RESOURCE_ENTRY *FindEntry(HMODULE module, HRSRC resource)
{
    if (module != nullptr) {
        const Module *found = qelwin::FindModule(module);
        return found != nullptr ? EntryOf(*found, resource) : nullptr;
    }
    for (const auto &[handle, each] : qelwin::Modules()) {
        if (const QEL_RESOURCE_ENTRY *entry = EntryOf(each, resource))
            return entry;
    }
    return nullptr;
}

} // namespace

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax)
{
    if (buffer == nullptr || bufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    const Module *module = qelwin::FindModule(instance);
    if (module == nullptr) {
        buffer[0] = '\0';
        SetLastError(instance == nullptr ? ERROR_RESOURCE_DATA_NOT_FOUND : ERROR_INVALID_HANDLE);
        return 0;
    }
    auto found = module->strings.find(id);
    if (found == module->strings.end()) {
        buffer[0] = '\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    size_t length = strlen(found->second);
    size_t copied = length < static_cast<size_t>(bufferMax) ? length : static_cast<size_t>(bufferMax) - 1;
    memcpy(buffer, found->second, copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    if (name == nullptr || type == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ResourceKey nameKey = MakeKey(name), typeKey = MakeKey(type);
    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    const Module *found = qelwin::FindModule(module);
    if (found == nullptr) {
        SetLastError(module == nullptr ? ERROR_RESOURCE_DATA_NOT_FOUND : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    bool typeSeen = false;
    for (size_t i = 0; i < found->resources.resourceCount; ++i) {
        const QEL_RESOURCE_ENTRY &entry = found->resources.resources[i];
        if (!Matches(typeKey, entry.type))
            continue;
        typeSeen = true;
        if (Matches(nameKey, entry.name))
            return reinterpret_cast<HRSRC>(const_cast<QEL_RESOURCE_ENTRY *>(&entry));
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource)
{
    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    const QEL_RESOURCE_ENTRY *entry = FindEntry(module, resource);
    if (entry == nullptr || entry->data == nullptr) {
        SetLastError(entry == nullptr ? ERROR_INVALID_HANDLE : ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return const_cast<void *>(entry->data);
}

LPVOID LockResource(HGLOBAL data)
{
    if (data == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    for (const auto &[handle, module] : qelwin::Modules()) {
        for (size_t i = 0; i < module.resources.resourceCount; ++i) {
            if (module.resources.resources[i].data == data)
                return data;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

DWORD SizeofResource(HMODULE module, HRSRC resource)
{
    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    const QEL_RESOURCE_ENTRY *entry = FindEntry(module, resource);
    if (entry == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return entry->size;
}

BOOL FreeResource(HGLOBAL)
{
    return FALSE;
}
