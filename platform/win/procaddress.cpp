#include "procaddress.h"

#include "crtstring.h"
#include "lasterror.h"
#include "moduletable.h"
#include "resources.h"
#include "systemmodule.h"
#include "windowstatus.h"
#include "winerror.h"

#include <cstring>
#include <dlfcn.h>
#include <string>

namespace qelwin {

bool IsSystemModuleName(const char *name)
{
    for (const char *system : {"kernel32", "user32"}) {
        size_t length = strlen(system);
        if (_strnicmp(name, system, length) == 0 && (name[length] == '\0' || _stricmp(name + length, ".dll") == 0))
            return true;
    }
    return false;
}

HMODULE SystemModule()
{
    // Registered once and never dropped: the layer lives as long as the process.
    static HMODULE module = QelRegisterModule(reinterpret_cast<const void *>(&SystemModule), nullptr);
    return module;
}

} // namespace qelwin

namespace {

struct SystemFunction {
    const char *name;
    FARPROC function;
};

// A caller casts the address back to the function's own type before calling it, as on
// Windows; the detour through void * keeps the compiler from warning of the cast.
template <typename Function>
FARPROC AsFarProc(Function *function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(function));
}

const SystemFunction systemFunctions[] = {
    {"GetWindowInfo", AsFarProc(&GetWindowInfo)},
};

} // namespace

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (module != nullptr && module == qelwin::SystemModule()) {
        if (!IS_INTRESOURCE(procName)) {
            for (const SystemFunction &entry : systemFunctions) {
                if (strcmp(entry.name, procName) == 0)
                    return entry.function;
            }
        }
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    std::string path;
    bool isProgram = false;
    bool registered = false;
    {
        std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
        const qelwin::Module *found = module != nullptr ? qelwin::FindModule(module) : nullptr;
        if (found != nullptr) {
            registered = true;
            path = found->path;
            isProgram = found->isProgram;
        }
    }
    void *loaded = !registered && module != nullptr ? qelwin::LoadedLibrary(module) : nullptr;
    if (!registered && loaded == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (IS_INTRESOURCE(procName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (loaded != nullptr) {
        void *symbol = dlsym(loaded, procName);
        if (symbol == nullptr)
            SetLastError(ERROR_PROC_NOT_FOUND);
        return reinterpret_cast<FARPROC>(symbol);
    }
    // The module is loaded already (it registered itself); this only finds it again,
    // and the reference taken is given back at once.
    void *library = isProgram ? dlopen(nullptr, RTLD_LAZY) : dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    void *symbol = library != nullptr ? dlsym(library, procName) : nullptr;
    if (library != nullptr)
        dlclose(library);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}
