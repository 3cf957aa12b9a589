// Korvex's two symbol-server classes, QelSymbol and QelSymbolPCP.
//
// Both are free-threaded and aggregatable. QelSymbolPCP is the symbol server of the PCP
// debugger; it starts as no master debugger (its master selector is 0) and otherwise
// behaves as QelSymbol does.
#pragma once

#include "qelsymbolserver.h"
#include "symserverscripts.h"

class CQelSymbol : public CQelSymbolServer, public CComCoClass<CQelSymbol, &CLSID_QelSymbol> {
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_QELSYMBOL)
};

class CQelSymbolPCP : public CQelSymbolServer, public CComCoClass<CQelSymbolPCP, &CLSID_QelSymbolPCP> {
public:
    CQelSymbolPCP() { m_nMasterSelector = 0; }

    // The PCP debugger's server reports errors of IQelSymbSrv and IQelSymbol only.
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override
    {
        return riid == IID_IQelSymbSrv || riid == IID_IQelSymbol ? S_OK : S_FALSE;
    }

    DECLARE_REGISTRY_RESOURCEID(IDR_QELSYMBOLPCP)
};
