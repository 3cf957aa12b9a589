// The values that a debug-server object publishes by name ("CodeBaseAddr", ...): the
// object of its holder's slot 16, through IQelWindowValues.
#pragma once

#include <atlbase.h>

#include "hostinterfaces.h"

// The values of `debugServer`; null when it publishes none.
CComPtr<IQelWindowValues> QueryWindowValues(IUnknown *debugServer);
