// The host's stand-in for Talvix's symbol browser, until Talvix has its own: registered
// under its class, it records what its caller set and asks the host's answerer in the
// user's place when DoModal runs.
#pragma once

#include <qelsymbolbrowser.h>

#include <functional>
#include <string>

namespace QelHost {

// What the browser was told before DoModal.
struct HostBrowserCall {
    LONG mode = 0;
    bool hasDebugServer = false;
    LONG parentWindow = 0;
};

// The user's choice: true with the label and its address, false for no choice.
using HostBrowserAnswerer = std::function<bool(const HostBrowserCall &call, std::string *label, LONG *address)>;

// Registers the class in the process; every browser it makes asks `answerer` (no
// answerer: no choice). CoRevokeClassObject with *pCookie takes it out.
HRESULT RegisterSymbolBrowserDouble(HostBrowserAnswerer answerer, DWORD *pCookie);

} // namespace QelHost
