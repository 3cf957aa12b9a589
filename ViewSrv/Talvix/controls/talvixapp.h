// Talvix's application object (QEL_DEFINE_DLL_APPLICATION): InitInstance initialises the
// COM module with the object map and the module's instance, ExitInstance terminates it.
#pragma once

#include <afx.h>
#include <atlbase.h>

// Talvix's classes, in the order in which they register.
_ATL_OBJMAP_ENTRY *TalvixObjectMap();

class CTalvixApp : public CWinApp {
public:
    explicit CTalvixApp(CComModule &module);

    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    CComModule &m_module;
};
