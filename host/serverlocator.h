// Where the host finds the component servers: the libraries in the lib folder beside
// the program's bin folder, as the build lays them out.
#pragma once

#include <string>
#include <vector>

namespace QelHost {

struct ServerLibrary {
    std::string name;  // the server's name, as the host names it ("Korvex")
    std::string path;  // the library's full path
    bool present;      // the library exists at that path
};

// The servers that the host knows, with the library each would be loaded from when the
// program stands in `programDirectory`.
std::vector<ServerLibrary> LocateServers(const std::string &programDirectory);

// The folder of the running program.
std::string ProgramDirectory();

} // namespace QelHost
