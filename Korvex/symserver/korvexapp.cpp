#include "korvexapp.h"

#include "qelsymbolclasses.h"
#include "symsrvpropertypageobject.h"

namespace {

BEGIN_OBJECT_MAP(ObjectMap)
    OBJECT_ENTRY(CLSID_QelSymbol, CQelSymbol)
    OBJECT_ENTRY(CLSID_QelSymbolPCP, CQelSymbolPCP)
    OBJECT_ENTRY(CLSID_SymSrvPropertyPage, CSymSrvPropertyPageObject)
END_OBJECT_MAP()

} // namespace

_ATL_OBJMAP_ENTRY *KorvexObjectMap()
{
    return ObjectMap;
}

CKorvexApp::CKorvexApp(CComModule &module) : CWinApp("Korvex"), m_module(module)
{
}

BOOL CKorvexApp::InitInstance()
{
    m_module.Init(ObjectMap, AfxGetInstanceHandle());
    return CWinApp::InitInstance();
}

int CKorvexApp::ExitInstance()
{
    m_module.Term();
    return CWinApp::ExitInstance();
}
