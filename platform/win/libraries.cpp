#include "libraries.h"

#include "lasterror.h"
#include "moduletable.h"
#include "winerror.h"

#include <dlfcn.h>
#include <link.h>
#include <map>
#include <mutex>

namespace {

struct Loaded {
    void *library; // dlopen's handle
    int references;
};

std::mutex &LoadedLock()
{
    static std::mutex lock;
    return lock;
}

std::map<HMODULE, Loaded> &LoadedTable()
{
    static std::map<HMODULE, Loaded> table;
    return table;
}

} // namespace

namespace qelwin {

void *LoadedLibrary(HMODULE module)
{
    std::lock_guard<std::mutex> hold(LoadedLock());
    auto found = LoadedTable().find(module);
    return found != LoadedTable().end() ? found->second.library : nullptr;
}

} // namespace qelwin

HMODULE LoadLibraryA(LPCSTR fileName)
{
    void *library = fileName != nullptr ? dlopen(fileName, RTLD_NOW | RTLD_LOCAL) : nullptr;
    struct link_map *map = nullptr;
    Dl_info info;
    // The handle is the load address that dladdr gives for an address inside the library,
    // the same that the library's registration (if it registers) answers.
    if (library == nullptr || dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
        dladdr(map->l_ld, &info) == 0 || info.dli_fbase == nullptr) {
        if (library != nullptr)
            dlclose(library);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    HMODULE module = static_cast<HMODULE>(info.dli_fbase);
    std::lock_guard<std::mutex> hold(LoadedLock());
    auto [entry, added] = LoadedTable().emplace(module, Loaded{library, 0});
    if (!added)
        dlclose(library); // dlopen counted it once more; one count per module is enough
    ++entry->second.references;
    return module;
}

BOOL FreeLibrary(HMODULE module)
{
    void *library = nullptr;
    {
        std::lock_guard<std::mutex> hold(LoadedLock());
        auto found = LoadedTable().find(module);
        if (found == LoadedTable().end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (--found->second.references > 0)
            return TRUE;
        library = found->second.library;
        LoadedTable().erase(found);
    }
    dlclose(library);
    return TRUE;
}
