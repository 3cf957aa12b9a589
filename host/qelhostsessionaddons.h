// qelhost session's commands about the add-ons that the host loads at start:
//   project FILE|workspace|none   before start: the project that Init gives the add-ons,
//                        an INI file's path (VT_BSTR), the workspace storage (VT_UNKNOWN;
//                        the default) or none (VT_EMPTY)
//   trace-level N        before start: the diagnostics level of the message sink that the
//                        add-ons get (10 unless set)
//   traces               each trace line ("trace KIND SOURCE TEXT") and error report
//                        ("error SOURCE TEXT") the host received since the last traces
//   addon                the first add-on: "name", "description", "version" (GetVersion's
//                        text), "initialised 0|1", "events N N N N N" (slots 3 to 7) and
//                        "checked 0|1" (its command 2)
//   addon begin|end|info BeginCmdSequence, EndCmdSequence or ShowInfo on the main window:
//                        "result 0xHHHHHHHH"
#pragma once

#include "debugserver.h"
#include "hostaddons.h"

#include <string>
#include <vector>

namespace QelHost {

class SessionAddOnCommands {
public:
    static bool Handles(const std::string &command);
    static bool BeforeStart(const std::string &command);

    // project and trace-level, before start.
    bool Configure(const std::vector<std::string> &words, std::string *error);
    // Loads the add-ons registered, with the workspace storage as the default project;
    // what did not start is printed as "addon-error TEXT".
    void Start(IUnknown *debugServer, IStorage *workspace);
    // traces and addon, after start.
    bool Run(const std::vector<std::string> &words, CHostDebugServer *host, HWND mainWindow, std::string *error);
    void End() { m_addOns.End(); }

private:
    enum class Project { File, Workspace, None };
    void PrintAddOn();

    Project m_project = Project::Workspace;
    std::string m_projectFile;
    DWORD m_level = 10;
    HostAddOns m_addOns;
    size_t m_tracesSeen = 0;
    size_t m_errorsSeen = 0;
};

} // namespace QelHost
