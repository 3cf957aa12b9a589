// qelhost: the command-line debugger host. It loads the component servers as the
// debugger would and runs the main job with what the system offers.
#include "debugserver.h"
#include "hostcfgprofile.h"
#include "qelhostdump.h"
#include "qelhosteval.h"
#include "qelhostformat.h"
#include "qelhostload.h"
#include "qelhostparse.h"
#include "qelhostquery.h"
#include "qelhostregister.h"
#include "qelhostsession.h"
#include "qelhostsessionscript.h"
#include "qelhostsfr.h"
#include "qelhosttarget.h"
#include "qelhostwatch.h"
#include "serverlocator.h"

#include <ole2.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>
#include <progfilestrings.h>
#include <symdbstrings.h>
#include <varnodestrings.h>
#include <windowsresources.h>

#include <vector>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The strings of the symbol database, which qelhost load reads when the server has let
// go of it, of the readers, with which it reads the modules, and of the variable nodes,
// which qelhost format and qelhost watch show; and the templates of the symbol server's
// dialogs, which qelhost session opens.
const QEL_MODULE_RESOURCES &HostResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        all.insert(all.end(), g_VarNodeStrings, g_VarNodeStrings + g_VarNodeStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), g_WindowsResources,
                                                   g_WindowsResourceCount};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(HostResources())

namespace {

using QelHost::Debugger;

int Usage()
{
    std::fprintf(stderr, "usage: qelhost [status | start | dump [FILE [TARGET]] | load FILE [--id N] [--autoload-elf] "
                         "[--elf-dialog PATH|cancel] [--dbdir DIR] [--rows TABLE] [--modules] [--idle SECONDS] | "
                         "query PROGRAM|- [--modules] [--dbdir DIR] [--time] [--event|--sync] [CODE ARG...] | "
                         "parse [--type NAME]... [--mode 1] [--normalise] TEXT... | "
                         "target FILE [--core CORE] [--preset arm|c16x|tricore] [--pc ADDR] [ADDR LEN]... | "
                         "eval FILE [--core CORE] [--pc ADDR] [--scope NAME] EXPR... | "
                         "sfr NAME|PATH [--controller-directory DIR] [--address VALUE SPACE] [--bit VALUE BIT SPACE] | "
                         "format [--class C] [--base B] [--layout W,OFF,S] [--mode M] [--swapped] [--format N|NAME] "
                         "[--parse TEXT] HEXBYTES | "
                         "watch FILE [--core CORE] [--pc ADDR] [--format NAME] [--expand N] [--location] [--locals] "
                         "[--dbdir DIR] TEXT... | session SCRIPT|- | register [--remove] NAME...]\n");
    return 2;
}

// The host's order of start-up, its outcome printed with the server's version.
bool StartDebugger(Debugger &debugger, IStorage *workspace, IUnknown *guiServer)
{
    std::string version;
    bool started = QelHost::InitDebugger(debugger, workspace, guiServer, &version);
    std::printf("  %-28s %s: %s\n", debugger.name, started ? "initialised" : "failed to initialise", version.c_str());
    return started;
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
    bool ok = StartDebugger(main, workspace, guiServer);

    Debugger standalone{"QelSymbolPCP (standalone)", nullptr, nullptr};
    if (MakeDebugger(CLSID_QelSymbolPCP, standalone)) {
        ok = StartDebugger(standalone, workspace, guiServer) && HasMaster(standalone, standalone) && ok;
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
        bool started = StartDebugger(bound, workspace, guiServer);
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
        QelHost::HostServices services(stdout);
        void *library = nullptr, *controls = nullptr;
        hr = QelHost::RegisterKorvex(&library, true);
        // The controls' views are the host's business: a missing library starts without them.
        HRESULT controlsRegistered = QelHost::RegisterServerLibrary("Talvix", &controls, true);
        if (FAILED(controlsRegistered) && controlsRegistered != CO_E_DLLNOTFOUND)
            hr = controlsRegistered;
        if (SUCCEEDED(hr)) {
            CComPtr<IStorage> workspace;
            hr = StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &workspace);
            CComObject<QelHost::CHostGuiServer> *gui = nullptr;
            if (SUCCEEDED(hr))
                hr = CComObject<QelHost::CHostGuiServer>::CreateInstance(&gui);
            if (SUCCEEDED(hr)) {
                CComPtr<IUnknown> guiServer(gui);
                ok = RunSymbolServers(workspace, guiServer);
            }
        }
        CoFreeUnusedLibraries();
        for (void *loaded : {controls, library}) {
            if (loaded != nullptr)
                dlclose(loaded);
        }
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
        QelHost::HostServices services(stdout);
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
    if (argc >= 3 && std::strcmp(argv[1], "load") == 0)
        return LoadProgramFile(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "query") == 0)
        return QueryProgramFile(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "parse") == 0)
        return ParseWatchTexts(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "target") == 0)
        return ShowTarget(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "eval") == 0)
        return EvaluateWatchTexts(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "sfr") == 0)
        return ShowControllerRegisters(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "format") == 0)
        return FormatValue(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "watch") == 0)
        return WatchTexts(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "register") == 0)
        return RegisterServers(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "session") == 0)
        return QelHost::RunSessionScript(argc - 2, argv + 2);
    return Usage();
}
