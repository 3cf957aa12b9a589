// Korvex's two symbol-server classes, QelSymbol and QelSymbolPCP.
//
// Both are free-threaded and aggregatable. QelSymbolPCP (qelsymbolpcp.h) is the symbol
// server of the PCP debugger.
#pragma once

#include "qelsymbolserver.h"
#include "qelsymbolpcp.h"
#include "symserverscripts.h"

class CQelSymbol : public CQelSymbolServer, public CComCoClass<CQelSymbol, &CLSID_QelSymbol> {
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_QELSYMBOL)
};
