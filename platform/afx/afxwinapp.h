// The application object of a module, and how a library runs it.
//
// A server library defines one application object, derived from CWinApp, and starts it
// with QEL_DEFINE_DLL_APPLICATION right after it in the same file:
//
//     CKorvexApp theApp;
//     QEL_DEFINE_DLL_APPLICATION(theApp)
//
// As the framework's DllMain does on Windows, InitInstance runs once the library has
// loaded (after the static objects defined before it), in the module's own state, and
// ExitInstance when it unloads, when InitInstance succeeded. The object is not a thread
// here: a library's application object never runs a message loop.
#pragma once

#include "afxmodule.h"
#include "afxmsgmap.h"

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    // TRUE: the module may be used.
    virtual BOOL InitInstance();
    // The module's exit code, 0.
    virtual int ExitInstance();

    LPCSTR m_pszAppName;
};

// The application object of the calling module; null when it has none.
CWinApp *AfxGetApp();

// Runs `app` as described above.
class QelDllApplicationRunner {
public:
    explicit QelDllApplicationRunner(CWinApp &app);
    ~QelDllApplicationRunner();
    QelDllApplicationRunner(const QelDllApplicationRunner &) = delete;
    QelDllApplicationRunner &operator=(const QelDllApplicationRunner &) = delete;

    BOOL Started() const { return m_started; }

private:
    CWinApp &m_app;
    BOOL m_started;
};

#define QEL_DEFINE_DLL_APPLICATION(app) static QelDllApplicationRunner qelDllApplicationRunner(app);
