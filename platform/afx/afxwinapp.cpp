#include "afxwinapp.h"

namespace {

// One per module, as the framework is compiled into each.
CWinApp *g_app = nullptr;

} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    if (g_app == nullptr)
        g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

CWinApp *AfxGetApp()
{
    return g_app;
}

QelDllApplicationRunner::QelDllApplicationRunner(CWinApp &app) : m_app(app), m_started(FALSE)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_started = m_app.InitInstance();
}

QelDllApplicationRunner::~QelDllApplicationRunner()
{
    if (!m_started)
        return;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_app.ExitInstance();
}
