// CKorvexApp: Korvex's application object, and the object map of its COM classes.
//
// The server library makes one, over its one CComModule, and starts it when it loads
// (QEL_DEFINE_DLL_APPLICATION): InitInstance initialises the COM module with the object
// map and the module's instance, ExitInstance terminates it.
#pragma once

#include <afx.h>
#include <atlbase.h>

// QelSymbol, QelSymbolPCP and SymSrvPropertyPage, in this order.
_ATL_OBJMAP_ENTRY *KorvexObjectMap();

class CKorvexApp : public CWinApp {
public:
    explicit CKorvexApp(CComModule &module);

    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    CComModule &m_module;
};
