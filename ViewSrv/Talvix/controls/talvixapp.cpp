#include "talvixapp.h"

#include "qellocals.h"
#include "qelwatchwindow.h"
#include "symbolbrowser.h"
#include "symbolexplorer.h"
#include "symbolselectlist.h"

namespace {

BEGIN_OBJECT_MAP(ObjectMap)
    OBJECT_ENTRY(CLSID_QelWatch, CQelWatch)
    OBJECT_ENTRY(CLSID_QelLocals, CQelLocals)
    OBJECT_ENTRY(CLSID_QelSymbolExplorer, CQelSymbolExplorer)
    OBJECT_ENTRY(CLSID_QelSymbolSelectList, CQelSymbolSelectList)
    OBJECT_ENTRY(CLSID_QelSymbolBrowser, CQelSymbolBrowser)
END_OBJECT_MAP()

} // namespace

_ATL_OBJMAP_ENTRY *TalvixObjectMap()
{
    return ObjectMap;
}

CTalvixApp::CTalvixApp(CComModule &module) : CWinApp("Talvix"), m_module(module)
{
}

BOOL CTalvixApp::InitInstance()
{
    m_module.Init(ObjectMap, AfxGetInstanceHandle());
    return CWinApp::InitInstance();
}

int CTalvixApp::ExitInstance()
{
    m_module.Term();
    return CWinApp::ExitInstance();
}
