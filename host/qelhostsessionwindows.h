// qelhost session's dialog command: opens one of the symbol server's small dialogs
// (qelhost carries their code and templates as libKorvex.so does), lets the session's
// answers work it, and prints what it gave:
//   dialog pos                   the code position on the debug-server object, with the
//                                symbol server's own storage: "pos BUTTON ADDRESS"
//   dialog images NEW [OTHER...] the other images numbered from 1, all kept:
//                                "images BUTTON KEEP..."
//   dialog load|reload FILE      "load BUTTON" / "reload BUTTON"
//   dialog note [TEXT]           "note BUTTON TEXT"
//   dialog download FILE         the progress window of a load of FILE, until the load
//                                ends and the window hides or closes: "download STATUS
//                                closed|hidden|open", then what its bars showed last:
//                                "bytes N% COUNT of TOTAL" and "analysis N%"
#pragma once

#include <ole2.h>

#include <string>
#include <vector>

namespace QelHost {

bool RunWindowsDialog(IUnknown *debugServer, IStorage *storage, const std::vector<std::string> &words,
                      std::string *error);

} // namespace QelHost
