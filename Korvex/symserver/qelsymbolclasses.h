// Korvex's two symbol-server classes, QelSymbol and QelSymbolPCP.
//
// Both are free-threaded and aggregatable. QelSymbolPCP (qelsymbolpcp.h) is the symbol
// server of the PCP debugger.
#pragma once

#include "controllerengineface.h"
#include "qelsymbolserver.h"
#include "qelsymbolpcp.h"
#include "symserverscripts.h"

// QelSymbol also offers its controller engine to the host, as IQelControllerEngine (by
// QueryInterface only); QelSymbolPCP does not.
class CQelSymbol : public CQelSymbolServer, public CComCoClass<CQelSymbol, &CLSID_QelSymbol> {
public:
    CQelSymbol() : m_ControllerEngine(*this) {}

    DECLARE_REGISTRY_RESOURCEID(IDR_QELSYMBOL)

    BEGIN_COM_MAP(CQelSymbol)
        COM_INTERFACE_ENTRY(IQelSymbSrv) // the identity, as CQelSymbolServer's
        COM_INTERFACE_ENTRY_FUNC(IID_IQelControllerEngine, QueryControllerEngine)
        {nullptr, &CQelSymbol::QueryServer},
    END_COM_MAP()

private:
    static HRESULT QueryControllerEngine(void *self, REFIID, void **ppv)
    {
        IQelControllerEngine *face = &static_cast<CQelSymbol *>(self)->m_ControllerEngine;
        face->AddRef();
        *ppv = face;
        return S_OK;
    }
    static HRESULT QueryServer(void *self, REFIID iid, void **ppv)
    {
        return static_cast<CQelSymbol *>(self)->CQelSymbolServer::_InternalQueryInterface(iid, ppv);
    }

    CQelControllerEngineFace m_ControllerEngine;
};
