#include "brennetapp.h"

#include "brennet.h"

namespace {

BEGIN_OBJECT_MAP(ObjectMap)
    OBJECT_ENTRY(CLSID_Brennet, CBrennet)
END_OBJECT_MAP()

} // namespace

_ATL_OBJMAP_ENTRY *BrennetObjectMap()
{
    return ObjectMap;
}

CBrennetApp::CBrennetApp(CComModule &module) : CWinApp("Brennet"), m_module(module)
{
}

BOOL CBrennetApp::InitInstance()
{
    m_module.Init(ObjectMap, AfxGetInstanceHandle());
    return CWinApp::InitInstance();
}

int CBrennetApp::ExitInstance()
{
    m_module.Term();
    return CWinApp::ExitInstance();
}
