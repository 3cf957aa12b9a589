// Korvex's registry scripts and type library line, the module's resources "REGISTRY" 101,
// 102 and 217 and "TYPELIB" 1, which DllRegisterServer runs (atlregistrar.h, atlmodule.h).
#pragma once

#include <afx.h>

enum : UINT {
    IDR_QELSYMBOL = 101,
    IDR_QELSYMBOLPCP = 102,
    IDR_SYMSRVPROPERTYPAGE = 217,
};

extern const QEL_RESOURCE_ENTRY g_SymserverResources[];
extern const size_t g_SymserverResourceCount;
