// qelhost: the command-line debugger host. It loads the component servers as the
// debugger would and runs the main job with what the system offers.
#include "debugserver.h"
#include "hostmsgbox.h"
#include "hostreports.h"
#include "qelhostdump.h"
#include "serverlocator.h"

#include <ole2.h>
#include <qelsymbol.h>

#include <dlfcn.h>

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
    std::fprintf(stderr, "usage: qelhost [status | start | dump [FILE [TARGET]]]\n");
    return 2;
}

// The GUI server that the host hands to its symbol servers; it offers no frame yet.
class CHostGuiServer : public CComObjectRootEx<CComMultiThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CHostGuiServer)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
    END_COM_MAP()
};

// Registers the server library at `path` as an installer would: loads it and calls its
// DllRegisterServer. The library stays loaded until `*handle` is closed.
HRESULT RegisterServerLibrary(const std::string &path, void **handle)
{
    *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (*handle == nullptr)
        return CO_E_DLLNOTFOUND;
    typedef HRESULT (*RegisterFunction)();
    auto registerServer = reinterpret_cast<RegisterFunction>(dlsym(*handle, "DllRegisterServer"));
    return registerServer != nullptr ? registerServer() : CO_E_ERRORINDLL;
}

// One debugger's symbol server, made by class identifier inside a debug-server object
// and taken through the host's order: Init with the owner, Init with the workspace
// storage and the GUI server, RestoreSettings; then Cleanup.
bool RunSymbolServer(const char *name, REFCLSID clsid, IStorage *workspace, IUnknown *guiServer)
{
    CComPtr<IUnknown> debugServer;
    HRESULT hr = QelHost::CreateDebugServer(QelHost::ControllerConfig(), &debugServer);
    auto *host = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer.p));
    if (SUCCEEDED(hr))
        hr = host->CreateSymbolServer(clsid);
    CComPtr<IQelSymbSrv> symbolServer;
    if (SUCCEEDED(hr))
        hr = debugServer->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&symbolServer));
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: no %s (0x%08X)\n", name, static_cast<unsigned>(hr));
        return false;
    }
    const HRESULT steps[] = {symbolServer->Init(debugServer, nullptr), symbolServer->Init(workspace, guiServer),
                             symbolServer->RestoreSettings()};
    CComBSTR version;
    symbolServer->GetVersion(&version);
    char text[256] = {};
    if (version.m_str != nullptr)
        WideCharToMultiByte(CP_ACP, 0, version.m_str, -1, text, sizeof text, nullptr, nullptr);
    bool started = SUCCEEDED(steps[0]) && SUCCEEDED(steps[1]) && SUCCEEDED(steps[2]);
    std::printf("  %-12s %s: %s\n", name, started ? "initialised" : "failed to initialise", text);
    symbolServer->Cleanup();
    symbolServer.Release();
    host->ReleaseSymbolServer();
    return started;
}

// Loads the symbol server as the debugger does and lets it go again.
int Start()
{
    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: COM could not be initialised (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    bool ok = false;
    {
        HostServices services;
        void *library = nullptr;
        for (const auto &server : QelHost::LocateServers(QelHost::ProgramDirectory())) {
            if (server.name != "Korvex")
                continue;
            hr = server.present ? RegisterServerLibrary(server.path, &library) : CO_E_DLLNOTFOUND;
            std::printf("qelhost: %s %s (0x%08X)\n", server.path.c_str(),
                        SUCCEEDED(hr) ? "registered" : "not registered", static_cast<unsigned>(hr));
        }
        if (SUCCEEDED(hr)) {
            CComPtr<IStorage> workspace;
            hr = StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &workspace);
            CComObject<CHostGuiServer> *gui = nullptr;
            if (SUCCEEDED(hr))
                hr = CComObject<CHostGuiServer>::CreateInstance(&gui);
            if (SUCCEEDED(hr)) {
                CComPtr<IUnknown> guiServer(gui);
                ok = RunSymbolServer("QelSymbol", CLSID_QelSymbol, workspace, guiServer);
                ok = RunSymbolServer("QelSymbolPCP", CLSID_QelSymbolPCP, workspace, guiServer) && ok;
            }
        }
        CoFreeUnusedLibraries();
        if (library != nullptr)
            dlclose(library);
    }
    CoUninitialize();
    std::printf("qelhost: %s\n", ok ? "symbol servers started and released" : "the symbol servers did not start");
    return ok ? 0 : 1;
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
    // qelhost dump [FILE [TARGET]]: the sample ARM program to standard output by default.
    if (argc <= 4 && std::strcmp(argv[1], "dump") == 0)
        return DumpProgramFile(argc >= 3 ? argv[2] : QEL_SAMPLE_PROGRAM, argc == 4 ? argv[3] : "stdout");
    if (argc == 2 && std::strcmp(argv[1], "start") == 0)
        return Start();
    return Usage();
}
