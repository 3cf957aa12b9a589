// qelhost: the command-line debugger host. It loads the component servers as the
// debugger would and runs the main job with what the system offers.
#include "debugserver.h"
#include "hostcfgprofile.h"
#include "hostmsgbox.h"
#include "hostreports.h"
#include "qelhostdump.h"
#include "serverlocator.h"

#include <ole2.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>

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

// One debugger: a debug-server object carrying the symbol server of one class.
struct Debugger {
    const char *name;
    CComPtr<IUnknown> debugServer;
    CComPtr<IQelSymbSrv> symbolServer;

    QelHost::CHostDebugServer *Host()
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer.p));
    }
};

// The debug-server object with the symbol server of `clsid` inside.
bool MakeDebugger(REFCLSID clsid, Debugger &debugger)
{
    HRESULT hr = QelHost::CreateDebugServer(QelHost::ControllerConfig(), &debugger.debugServer);
    if (SUCCEEDED(hr))
        hr = debugger.Host()->CreateSymbolServer(clsid);
    if (SUCCEEDED(hr))
        hr = debugger.debugServer->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&debugger.symbolServer));
    if (FAILED(hr))
        std::fprintf(stderr, "qelhost: no %s (0x%08X)\n", debugger.name, static_cast<unsigned>(hr));
    return SUCCEEDED(hr);
}

// The host's order: Init with the owner, Init with the workspace storage and the GUI
// server, RestoreSettings.
bool InitDebugger(Debugger &debugger, IStorage *workspace, IUnknown *guiServer)
{
    IQelSymbSrv *server = debugger.symbolServer;
    const HRESULT steps[] = {server->Init(debugger.debugServer, nullptr), server->Init(workspace, guiServer),
                             server->RestoreSettings()};
    CComBSTR version;
    server->GetVersion(&version);
    char text[256] = {};
    if (version.m_str != nullptr)
        WideCharToMultiByte(CP_ACP, 0, version.m_str, -1, text, sizeof text, nullptr, nullptr);
    bool started = SUCCEEDED(steps[0]) && SUCCEEDED(steps[1]) && SUCCEEDED(steps[2]);
    std::printf("  %-28s %s: %s\n", debugger.name, started ? "initialised" : "failed to initialise", text);
    return started;
}

void EndDebugger(Debugger &debugger)
{
    debugger.symbolServer->Cleanup();
    debugger.symbolServer.Release();
    debugger.Host()->ReleaseSymbolServer();
}

// Whether `debugger`'s symbol server names `master` as its master debugger.
bool HasMaster(Debugger &debugger, Debugger &master)
{
    CComPtr<IUnknown> named;
    debugger.symbolServer->Synchronize(SYF_GET_MASTER_DEBUGGER, &named);
    CComPtr<IUnknown> identity;
    if (named != nullptr)
        named->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
    return identity != nullptr && identity == master.debugServer;
}

// The main debugger, a PCP debugger on its own, and a PCP debugger bound to the main
// debugger, whose host names the main debugger's object to it.
bool RunSymbolServers(IStorage *workspace, IUnknown *guiServer)
{
    Debugger main{"QelSymbol", nullptr, nullptr};
    if (!MakeDebugger(CLSID_QelSymbol, main))
        return false;
    bool ok = InitDebugger(main, workspace, guiServer);

    Debugger standalone{"QelSymbolPCP (standalone)", nullptr, nullptr};
    if (MakeDebugger(CLSID_QelSymbolPCP, standalone)) {
        ok = InitDebugger(standalone, workspace, guiServer) && HasMaster(standalone, standalone) && ok;
        EndDebugger(standalone);
    } else {
        ok = false;
    }

    Debugger bound{"QelSymbolPCP (bound)", nullptr, nullptr};
    if (MakeDebugger(CLSID_QelSymbolPCP, bound)) {
        CComPtr<IUnknown> profile, values;
        bound.Host()->GetProfile(&profile);
        bound.Host()->GetWindowValues(&values);
        auto *names = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p));
        names->SetDebugServer(u"TriCore", main.debugServer);
        static_cast<QelHost::CHostWindowValues *>(static_cast<IQelWindowValues *>(values.p))->SetPcpMaster(u"TriCore");
        bool started = InitDebugger(bound, workspace, guiServer);
        bool bindsMain = HasMaster(bound, main);
        std::printf("  %-28s %s\n", "", bindsMain ? "bound to QelSymbol" : "not bound to QelSymbol");
        ok = started && bindsMain && ok;
        EndDebugger(bound);
        names->SetDebugServer(u"TriCore", nullptr);
    } else {
        ok = false;
    }
    EndDebugger(main);
    return ok;
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
                ok = RunSymbolServers(workspace, guiServer);
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
        return DumpProgramFile(argc >= 3 ? argv[2] : kQelSampleProgram, argc == 4 ? argv[3] : "stdout");
    if (argc == 2 && std::strcmp(argv[1], "start") == 0)
        return Start();
    return Usage();
}
