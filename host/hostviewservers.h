// The view servers of the symbol server's windows in the registry, as their own
// registration writes them (viewsrvregistry.h gives the layout): the watch and the locals
// window and the symbol explorer of Talvix, and the SFR view and the program window, which
// the host offers. The command handlers read these keys when the symbol server is made, so
// tests and qelhost write them first.
#pragma once

#include <ole2.h>

namespace QelHost {

// "StdQelWatchWin", "StdQelSFRView", "StdQelLocalsWin", "StdQelSymbolExplWin" and
// "StdQelProgWin", each under the QelSymbol class identifier; ERROR_SUCCESS or the first
// registry error.
LONG RegisterSymbolViewServers();

} // namespace QelHost
