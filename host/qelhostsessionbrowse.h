// qelhost session's symbol browser and controller commands:
//   browse MODE [post]   Talvix's symbol browser, made by its class, with MODE, the
//                        debug-server object and the main window as its parent (with
//                        `post`, and the host's choice message as its message id); its
//                        dialog is answered as any other. Prints
//                        "browse<TAB>0xHHHHHHHH<TAB>0xADDRESS<TAB>PARAMETER<TAB>LABEL"
//                        (DoModal's result and the choice), then
//                        "posted<TAB>WPARAM<TAB>LPARAM" per choice posted to the main window
//   controller NAME|PATH the debugger loads that controller database, as qelhost sfr
//                        does: prints "load<TAB>0xHHHHHHHH<TAB>NAME"
#pragma once

#include "hostmainwindow.h"

#include <ole2.h>

#include <string>
#include <vector>

namespace QelHost {

class SessionBrowser {
public:
    static bool Handles(const std::string &command) { return command == "browse" || command == "controller"; }
    bool Run(const std::vector<std::string> &words, IUnknown *debugServer, HostMainWindow &main, std::string *error);
};

} // namespace QelHost
