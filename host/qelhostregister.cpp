#include "qelhostregister.h"

#include "serverlocator.h"

#include <ole2.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef HRESULT (*EntryPoint)();

// The entry point's answer, or why it cannot be called. The library stays loaded until
// COM is ended, as a server's would that the registration left objects of.
HRESULT RunEntryPoint(const QelHost::ServerLibrary &server, const char *entryPoint, std::vector<void *> *libraries)
{
    if (!server.present)
        return CO_E_DLLNOTFOUND;
    void *library = dlopen(server.path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "qelhost: %s\n", dlerror());
        return CO_E_DLLNOTFOUND;
    }
    libraries->push_back(library);
    auto function = reinterpret_cast<EntryPoint>(dlsym(library, entryPoint));
    return function != nullptr ? function() : CO_E_ERRORINDLL;
}

} // namespace

int RegisterServers(int argc, char **argv)
{
    bool remove = argc > 0 && std::strcmp(argv[0], "--remove") == 0;
    std::vector<QelHost::ServerLibrary> named;
    const std::vector<QelHost::ServerLibrary> known = QelHost::LocateServers(QelHost::ProgramDirectory());
    for (int i = remove ? 1 : 0; i < argc; i++) {
        const QelHost::ServerLibrary *found = nullptr;
        for (const auto &server : known)
            found = server.name == argv[i] ? &server : found;
        if (found == nullptr) {
            std::fprintf(stderr, "qelhost: no server is named %s\n", argv[i]);
            return 2;
        }
        named.push_back(*found);
    }
    if (named.empty()) {
        std::fprintf(stderr, "usage: qelhost register [--remove] NAME...\n");
        return 2;
    }

    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: COM could not be initialised (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    bool ok = true;
    std::vector<void *> libraries;
    for (const auto &server : named) {
        hr = RunEntryPoint(server, remove ? "DllUnregisterServer" : "DllRegisterServer", &libraries);
        std::printf("%s\t0x%08X\n", server.name.c_str(), static_cast<unsigned>(hr));
        ok = ok && SUCCEEDED(hr);
    }
    CoFreeUnusedLibraries();
    for (void *library : libraries)
        dlclose(library);
    CoUninitialize();
    std::fflush(stdout);
    return ok ? 0 : 1;
}
