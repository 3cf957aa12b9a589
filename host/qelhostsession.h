// What every qelhost command that runs the servers needs: the host's services, the
// registered Korvex library and debuggers whose debug-server objects carry a symbol
// server.
#pragma once

#include "debugserver.h"

#include <ole2.h>
#include <qelsymbsrv.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace QelHost {

// What the servers reach of the host beside its objects: the message-box class and the
// debug output, both printed to `echo` as they arrive, the storage-handler class and the
// period editor's class.
class HostServices {
public:
    explicit HostServices(FILE *echo);
    ~HostServices();
    HostServices(const HostServices &) = delete;
    HostServices &operator=(const HostServices &) = delete;

    // The records of every message-box object.
    const std::shared_ptr<HostReports> &Reports() const { return m_reports; }

private:
    std::shared_ptr<HostReports> m_reports;
    DWORD m_msgBoxCookie = 0;
    DWORD m_storageHandlerCookie = 0;
    DWORD m_periodEditorCookie = 0;
};

// The GUI server that the host hands to its symbol servers; it offers no frame yet.
class CHostGuiServer : public CComObjectRootEx<CComMultiThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CHostGuiServer)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
    END_COM_MAP()
};

// Registers the server `name` ("Korvex", "Brennet") from its library beside the program
// as an installer would: loads it and calls its DllRegisterServer; the library stays
// loaded until *library is closed with dlclose. With `report` the outcome is printed.
// CO_E_DLLNOTFOUND when the library has not been built.
HRESULT RegisterServerLibrary(const char *name, void **library, bool report);
inline HRESULT RegisterKorvex(void **library, bool report)
{
    return RegisterServerLibrary("Korvex", library, report);
}

// Runs `command` with COM initialised, the host's services printing to standard error and
// libKorvex.so registered, and lets all of it go afterwards: the command's exit status, or
// 1 (with a message on standard error) when COM or the library cannot be had.
int RunWithKorvex(const std::function<int()> &command);

// One debugger: a debug-server object carrying the symbol server of one class.
struct Debugger {
    const char *name;
    CComPtr<IUnknown> debugServer;
    CComPtr<IQelSymbSrv> symbolServer;

    CHostDebugServer *Host()
    {
        return static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer.p));
    }
};

// The debug-server object, recording into `reports`, with the symbol server of `clsid`
// inside; a failure is printed to standard error.
bool MakeDebugger(REFCLSID clsid, Debugger &debugger, std::shared_ptr<HostReports> reports = nullptr);
// The host's start-up order: Init with the owner, Init with the workspace storage and
// the GUI server, RestoreSettings. The server's version text in *version, when given.
bool InitDebugger(Debugger &debugger, IStorage *workspace, IUnknown *guiServer, std::string *version = nullptr);
// Cleanup, and the symbol server let go.
void EndDebugger(Debugger &debugger);

} // namespace QelHost
