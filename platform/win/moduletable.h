// The registered modules (inside this layer only; not part of windows.h).
#pragma once

#include "resources.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace qelwin {

struct Module {
    HINSTANCE handle;
    std::string path;
    bool isProgram;
    int registrations;
    QEL_MODULE_RESOURCES resources;
    std::unordered_map<UINT, const char *> strings; // the first text of each id
};

// Lookups hold this lock while they read a module.
std::mutex &ModuleLock();

// The registered module of `handle`, NULL meaning the program; nullptr when there is
// none. Call with ModuleLock held.
const Module *FindModule(HINSTANCE handle);

// Every registered module, for lookups by resource. Call with ModuleLock held.
const std::unordered_map<HINSTANCE, Module> &Modules();

// The dlopen handle of a library that LoadLibraryA loaded, or nullptr.
void *LoadedLibrary(HMODULE module);

} // namespace qelwin
