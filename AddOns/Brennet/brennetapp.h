// Brennet's application object (QEL_DEFINE_DLL_APPLICATION): InitInstance initialises the
// COM module with the object map and the module's instance, ExitInstance terminates it.
#pragma once

#include <afx.h>
#include <atlbase.h>

// The one class, Brennet.
_ATL_OBJMAP_ENTRY *BrennetObjectMap();

class CBrennetApp : public CWinApp {
public:
    explicit CBrennetApp(CComModule &module);

    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    CComModule &m_module;
};
