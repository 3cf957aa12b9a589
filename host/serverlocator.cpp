#include "serverlocator.h"

#include <windows.h>

#include <sys/stat.h>

namespace QelHost {

namespace {

const char *const kServerNames[] = {"Korvex", "Talvix", "Brennet"};

bool IsRegularFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::vector<ServerLibrary> LocateServers(const std::string &programDirectory)
{
    std::string libraryDirectory = programDirectory + "/../lib/";
    char full[MAX_PATH * 4];
    if (_fullpath(full, libraryDirectory.c_str(), sizeof full) != nullptr)
        libraryDirectory = full;
    if (libraryDirectory.empty() || libraryDirectory.back() != '/')
        libraryDirectory += '/';

    std::vector<ServerLibrary> servers;
    for (const char *name : kServerNames) {
        std::string path = libraryDirectory + "lib" + name + ".so";
        servers.push_back({name, path, IsRegularFile(path)});
    }
    return servers;
}

std::string ProgramDirectory()
{
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return ".";
    std::string program(path, length);
    size_t slash = program.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : program.substr(0, slash == 0 ? 1 : slash);
}

} // namespace QelHost
