#include "qelhostsession.h"

#include "hostmsgbox.h"
#include "hostperiodeditor.h"
#include "hoststoragehandler.h"
#include "serverlocator.h"

#include <dlfcn.h>

#include <cstring>

namespace QelHost {

namespace {

void PrintDebugOutput(void *echo, LPCSTR text)
{
    size_t length = std::strlen(text);
    std::fprintf(static_cast<FILE *>(echo), "debug: %s%s", text, length > 0 && text[length - 1] == '\n' ? "" : "\n");
    std::fflush(static_cast<FILE *>(echo));
}

} // namespace

HostServices::HostServices(FILE *echo) : m_reports(std::make_shared<HostReports>())
{
    m_reports->SetEcho(echo);
    QelSetDebugOutputHandler(PrintDebugOutput, echo);
    HRESULT hr = RegisterMessageBoxClass(m_reports, &m_msgBoxCookie);
    if (FAILED(hr))
        std::fprintf(stderr, "qelhost: no message-box object (0x%08X)\n", static_cast<unsigned>(hr));
    hr = RegisterStorageHandlerClass(&m_storageHandlerCookie);
    if (FAILED(hr))
        std::fprintf(stderr, "qelhost: no storage handler (0x%08X)\n", static_cast<unsigned>(hr));
    hr = RegisterPeriodEditor(&m_periodEditorCookie);
    if (FAILED(hr))
        std::fprintf(stderr, "qelhost: no period editor (0x%08X)\n", static_cast<unsigned>(hr));
}

HostServices::~HostServices()
{
    if (m_msgBoxCookie != 0)
        CoRevokeClassObject(m_msgBoxCookie);
    if (m_storageHandlerCookie != 0)
        CoRevokeClassObject(m_storageHandlerCookie);
    if (m_periodEditorCookie != 0)
        CoRevokeClassObject(m_periodEditorCookie);
    QelSetDebugOutputHandler(nullptr, nullptr);
}

HRESULT RegisterServerLibrary(const char *name, void **library, bool report)
{
    *library = nullptr;
    HRESULT hr = CO_E_DLLNOTFOUND;
    for (const auto &server : LocateServers(ProgramDirectory())) {
        if (server.name != name)
            continue;
        if (server.present) {
            *library = dlopen(server.path.c_str(), RTLD_NOW | RTLD_LOCAL);
            typedef HRESULT (*RegisterFunction)();
            auto registerServer = *library != nullptr
                                      ? reinterpret_cast<RegisterFunction>(dlsym(*library, "DllRegisterServer"))
                                      : nullptr;
            hr = *library == nullptr ? CO_E_DLLNOTFOUND : registerServer != nullptr ? registerServer() : CO_E_ERRORINDLL;
        }
        if (report || FAILED(hr))
            std::fprintf(report ? stdout : stderr, "qelhost: %s %s (0x%08X)\n", server.path.c_str(),
                         SUCCEEDED(hr) ? "registered" : "not registered", static_cast<unsigned>(hr));
    }
    return hr;
}

int RunWithKorvex(const std::function<int()> &command)
{
    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: COM could not be initialised (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    int result = 1;
    {
        HostServices services(stderr);
        void *library = nullptr;
        if (SUCCEEDED(RegisterKorvex(&library, false)))
            result = command();
        CoFreeUnusedLibraries();
        if (library != nullptr)
            dlclose(library);
    }
    CoUninitialize();
    std::fflush(stdout);
    return result;
}

bool MakeDebugger(REFCLSID clsid, Debugger &debugger, std::shared_ptr<HostReports> reports)
{
    HRESULT hr = CreateDebugServer(ControllerConfig(), &debugger.debugServer, std::move(reports));
    if (SUCCEEDED(hr))
        hr = debugger.Host()->CreateSymbolServer(clsid);
    if (SUCCEEDED(hr))
        hr = debugger.debugServer->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&debugger.symbolServer));
    if (FAILED(hr))
        std::fprintf(stderr, "qelhost: no %s (0x%08X)\n", debugger.name, static_cast<unsigned>(hr));
    return SUCCEEDED(hr);
}

bool InitDebugger(Debugger &debugger, IStorage *workspace, IUnknown *guiServer, std::string *version)
{
    IQelSymbSrv *server = debugger.symbolServer;
    const HRESULT steps[] = {server->Init(debugger.debugServer, nullptr), server->Init(workspace, guiServer),
                             server->RestoreSettings()};
    if (version != nullptr) {
        CComBSTR text;
        server->GetVersion(&text);
        *version = text.m_str != nullptr ? AnsiText(text.m_str) : "";
    }
    return SUCCEEDED(steps[0]) && SUCCEEDED(steps[1]) && SUCCEEDED(steps[2]);
}

void EndDebugger(Debugger &debugger)
{
    debugger.symbolServer->Cleanup();
    debugger.symbolServer.Release();
    debugger.Host()->ReleaseSymbolServer();
}

} // namespace QelHost
