#include "serverlib.h"

#include <dlfcn.h>

#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

struct Library {
    void *handle;
    LPFNGETCLASSOBJECT getClassObject;
    LPFNCANUNLOADNOW canUnloadNow; // NULL: the library stays loaded
    // Calls of DllGetClassObject under way, and made so far. A library is unloaded
    // only when none was under way or began while DllCanUnloadNow was being asked, so
    // no object can be handed out by a library that is going away.
    int callsUnderWay;
    unsigned long long callsMade;
};

// Never destroyed: the libraries stay loaded to the end of the process, as their
// objects may live that long.
struct LibraryTable {
    std::mutex mutex;
    // Held through CoFreeUnusedLibraries, so that no library is asked after another
    // call has unloaded it.
    std::mutex unloading;
    std::vector<Library> libraries;
};

LibraryTable &Libraries()
{
    static LibraryTable *table = new LibraryTable;
    return *table;
}

Library *FindByHandle(LibraryTable &table, void *handle)
{
    for (Library &library : table.libraries) {
        if (library.handle == handle)
            return &library;
    }
    return nullptr;
}

// The library of `path`, loaded when it was not, and marked as called; NULL with the
// reason in *hr.
Library *Enter(LibraryTable &table, const char *path, HRESULT *hr)
{
    // dlopen gives the handle of an already loaded file again (and counts one more
    // reference), however the path names it; the table keeps one reference per library.
    void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        *hr = CO_E_DLLNOTFOUND;
        return nullptr;
    }
    Library *library = FindByHandle(table, handle);
    if (library) {
        dlclose(handle);
    } else {
        auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(dlsym(handle, "DllGetClassObject"));
        if (!getClassObject) {
            dlclose(handle);
            *hr = CO_E_ERRORINDLL;
            return nullptr;
        }
        auto canUnloadNow = reinterpret_cast<LPFNCANUNLOADNOW>(dlsym(handle, "DllCanUnloadNow"));
        try {
            table.libraries.push_back({handle, getClassObject, canUnloadNow, 0, 0});
        } catch (const std::bad_alloc &) {
            dlclose(handle);
            *hr = E_OUTOFMEMORY;
            return nullptr;
        }
        library = &table.libraries.back();
    }
    library->callsUnderWay++;
    library->callsMade++;
    return library;
}

} // namespace

STDAPI QelGetClassObjectFromLibrary(const char *path, REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    if (!path || !*path)
        return CO_E_DLLNOTFOUND;
    LibraryTable &table = Libraries();
    LPFNGETCLASSOBJECT getClassObject;
    void *handle;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        HRESULT hr;
        Library *library = Enter(table, path, &hr);
        if (!library)
            return hr;
        getClassObject = library->getClassObject;
        handle = library->handle;
    }
    // Called outside the lock: a server's DllGetClassObject may create other classes.
    HRESULT hr = getClassObject(rclsid, riid, ppv);
    if (FAILED(hr))
        *ppv = nullptr;
    std::lock_guard<std::mutex> lock(table.mutex);
    FindByHandle(table, handle)->callsUnderWay--;
    return hr;
}

STDAPI_(void) CoFreeUnusedLibraries()
{
    LibraryTable &table = Libraries();
    std::lock_guard<std::mutex> unloading(table.unloading);
    struct Candidate {
        void *handle;
        LPFNCANUNLOADNOW canUnloadNow;
        unsigned long long callsMade;
    };
    std::vector<Candidate> candidates;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        try {
            for (const Library &library : table.libraries) {
                if (library.canUnloadNow && library.callsUnderWay == 0)
                    candidates.push_back({library.handle, library.canUnloadNow, library.callsMade});
            }
        } catch (const std::bad_alloc &) {
            return; // nothing is unloaded; a later call tries again
        }
    }
    for (const Candidate &candidate : candidates) {
        // Asked outside the lock, since the server may call back into COM.
        if (candidate.canUnloadNow() != S_OK)
            continue;
        std::unique_lock<std::mutex> lock(table.mutex);
        Library *library = FindByHandle(table, candidate.handle);
        if (!library || library->callsUnderWay != 0 || library->callsMade != candidate.callsMade)
            continue;
        table.libraries.erase(table.libraries.begin() + (library - table.libraries.data()));
        lock.unlock();
        dlclose(candidate.handle);
    }
}
