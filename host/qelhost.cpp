// qelhost: the command-line debugger host. It loads the component servers as the
// debugger would and runs the main job with what the system offers.
#include "serverlocator.h"

#include <ole2.h>

#include <cstdio>
#include <cstring>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: qelhost [status]\n");
    return 2;
}

// Tells which component servers the host would load and from where.
int Status()
{
    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: COM could not be initialised (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("qelhost: COM initialised\n");
    int present = 0;
    for (const auto &server : QelHost::LocateServers(QelHost::ProgramDirectory())) {
        std::printf("  %-8s %s (%s)\n", server.name.c_str(), server.path.c_str(),
                    server.present ? "built" : "not built yet");
        present += server.present ? 1 : 0;
    }
    std::printf("qelhost: %d of 3 servers built\n", present);
    CoUninitialize();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 1 || (argc == 2 && std::strcmp(argv[1], "status") == 0))
        return Status();
    return Usage();
}
