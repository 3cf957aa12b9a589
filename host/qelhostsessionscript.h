// qelhost session SCRIPT: runs a script of host actions (qelhostscript.h gives its
// language) against the symbol server inside a host debug-server object, as the host's
// GUI thread would, printing each line and what it gives.
#pragma once

namespace QelHost {

// `arguments` are those after "session": the script's path, or "-" for standard input.
// 0 when every line ran, 1 after a failed line (reported on standard error), 2 for bad
// usage.
int RunSessionScript(int count, char **arguments);

} // namespace QelHost
