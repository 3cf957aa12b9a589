#include "modules.h"

#include "crtpath.h"
#include "crtstring.h"
#include "lasterror.h"
#include "moduletable.h"
#include "systemmodule.h"
#include "winerror.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#include <vector>

namespace qelwin {

namespace {

std::unordered_map<HINSTANCE, Module> &Table()
{
    // Never destroyed: modules may unregister from their static destructors at exit.
    static auto *table = new std::unordered_map<HINSTANCE, Module>;
    return *table;
}

std::string ProgramPath()
{
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string FullPath(const char *path)
{
    char *full = _fullpath(nullptr, path, 0);
    if (full == nullptr)
        return path;
    std::string result = full;
    free(full);
    return result;
}

bool SameTextBlindToCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

bool EndsWithBlindToCase(const std::string &text, const char *suffix)
{
    size_t length = strlen(suffix);
    return text.size() >= length && _strnicmp(text.c_str() + text.size() - length, suffix, length) == 0;
}

// Whether `name`, a file name as the system's code would give it on Windows or Linux,
// names the module whose file is `fileName`.
bool NamesModule(std::string name, const std::string &fileName)
{
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    else if (name.find('.') == std::string::npos)
        name += ".dll";
    if (SameTextBlindToCase(name, fileName))
        return true;
    return EndsWithBlindToCase(name, ".dll") &&
           SameTextBlindToCase("lib" + name.substr(0, name.size() - 4) + ".so", fileName);
}

bool SameTables(const QEL_MODULE_RESOURCES &a, const QEL_MODULE_RESOURCES &b)
{
    return a.strings == b.strings && a.stringCount == b.stringCount && a.resources == b.resources &&
           a.resourceCount == b.resourceCount;
}

} // namespace

std::mutex &ModuleLock()
{
    static auto *lock = new std::mutex;
    return *lock;
}

const std::unordered_map<HINSTANCE, Module> &Modules()
{
    return Table();
}

const Module *FindModule(HINSTANCE handle)
{
    auto &table = Table();
    if (handle != nullptr) {
        auto found = table.find(handle);
        return found != table.end() ? &found->second : nullptr;
    }
    for (const auto &[key, module] : table) {
        if (module.isProgram)
            return &module;
    }
    return nullptr;
}

} // namespace qelwin

using qelwin::Module;

HINSTANCE QelRegisterModule(const void *addressInModule, const QEL_MODULE_RESOURCES *resources)
{
    Dl_info info;
    link_map *map = nullptr;
    if (addressInModule == nullptr ||
        dladdr1(addressInModule, &info, reinterpret_cast<void **>(&map), RTLD_DL_LINKMAP) == 0 ||
        info.dli_fbase == nullptr || map == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    QEL_MODULE_RESOURCES tables = resources != nullptr ? *resources : QEL_MODULE_RESOURCES{nullptr, 0, nullptr, 0};
    HINSTANCE handle = static_cast<HINSTANCE>(info.dli_fbase);

    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    auto &table = qelwin::Table();
    auto found = table.find(handle);
    if (found != table.end()) {
        if (!qelwin::SameTables(found->second.resources, tables)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return nullptr;
        }
        ++found->second.registrations;
        return handle;
    }
    // The loader names the program "" and each library by the path it was loaded by.
    bool isProgram = map->l_name == nullptr || map->l_name[0] == '\0';
    Module module{handle, isProgram ? qelwin::ProgramPath() : qelwin::FullPath(map->l_name), isProgram, 1, tables, {}};
    for (size_t i = 0; i < tables.stringCount; ++i) {
        if (tables.strings[i].text != nullptr)
            module.strings.emplace(tables.strings[i].id, tables.strings[i].text);
    }
    table.emplace(handle, std::move(module));
    return handle;
}

void QelUnregisterModule(HINSTANCE module)
{
    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    auto &table = qelwin::Table();
    auto found = table.find(module);
    if (found != table.end() && --found->second.registrations == 0)
        table.erase(found);
}

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName != nullptr && qelwin::IsSystemModuleName(moduleName))
        return qelwin::SystemModule();
    std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
    if (moduleName == nullptr) {
        const Module *program = qelwin::FindModule(nullptr);
        if (program != nullptr)
            return program->handle;
    } else if (strchr(moduleName, '/') != nullptr || strchr(moduleName, '\\') != nullptr) {
        std::string path = qelwin::FullPath(moduleName);
        for (const auto &[handle, module] : qelwin::Table()) {
            if (module.path == path)
                return handle;
        }
    } else {
        for (const auto &[handle, module] : qelwin::Table()) {
            if (qelwin::NamesModule(moduleName, module.path.substr(module.path.rfind('/') + 1)))
                return handle;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    std::string path;
    if (module == nullptr) {
        path = qelwin::ProgramPath();
    } else {
        std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
        const Module *found = qelwin::FindModule(module);
        if (found == nullptr) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        path = found->path;
    }
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (size == 0 || fileName == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        memcpy(fileName, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}
