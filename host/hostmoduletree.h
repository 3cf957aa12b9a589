// The module tree of a program window: the program's source files, each with the functions
// that the symbol server places in it, as the window lists them beside the source.
#pragma once

#include <ole2.h>

#include <string>
#include <vector>

namespace QelHost {

struct HostFunction {
    std::string name;
    DWORD start;
    DWORD length;
};

struct HostModule {
    std::string name; // the source file's name, or "<no source>"
    std::string path; // as the program file gives it; empty for "<no source>"
    std::vector<HostFunction> functions;
};

// Asks the symbol server inside `debugServer` synchronously for the source files (request
// 100), the functions (200) and the location of each function's start address (4000): a
// function goes to the file whose path the location names (blind to case, as the
// debugger's paths are), otherwise to the module "<no source>". Modules by name and path,
// functions by start address. Empty when the server holds no program database.
std::vector<HostModule> ReadModuleTree(IUnknown *debugServer);

} // namespace QelHost
