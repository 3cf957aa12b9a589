// qelhost: the command-line debugger host. It loads the component servers as the
// debugger would and runs the main job with what the system offers.
#include "hostmsgbox.h"
#include "hostreports.h"
#include "serverlocator.h"

#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void PrintDebugOutput(void *, LPCSTR text)
{
    size_t length = std::strlen(text);
    std::printf("debug: %s%s", text, length > 0 && text[length - 1] == '\n' ? "" : "\n");
    std::fflush(stdout);
}

// What the servers reach of the host beside its objects: the message-box class and the
// debug output. Everything they receive is printed on the standard output.
class HostServices {
public:
    HostServices() : m_reports(std::make_shared<QelHost::HostReports>())
    {
        m_reports->SetEcho(stdout);
        QelSetDebugOutputHandler(PrintDebugOutput, nullptr);
        HRESULT hr = QelHost::RegisterMessageBoxClass(m_reports, &m_msgBoxCookie);
        if (FAILED(hr))
            std::fprintf(stderr, "qelhost: no message-box object (0x%08X)\n", static_cast<unsigned>(hr));
    }
    ~HostServices()
    {
        if (m_msgBoxCookie != 0)
            CoRevokeClassObject(m_msgBoxCookie);
        QelSetDebugOutputHandler(nullptr, nullptr);
    }
    HostServices(const HostServices &) = delete;
    HostServices &operator=(const HostServices &) = delete;

private:
    std::shared_ptr<QelHost::HostReports> m_reports;
    DWORD m_msgBoxCookie = 0;
};

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
    {
        HostServices services;
        int present = 0;
        for (const auto &server : QelHost::LocateServers(QelHost::ProgramDirectory())) {
            std::printf("  %-8s %s (%s)\n", server.name.c_str(), server.path.c_str(),
                        server.present ? "built" : "not built yet");
            present += server.present ? 1 : 0;
        }
        std::printf("qelhost: %d of 3 servers built\n", present);
    }
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
