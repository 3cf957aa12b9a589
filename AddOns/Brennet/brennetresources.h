// Brennet's resources: the dialog template of the setup dialog and the registry script,
// bound into the module's resource table with its other resources.
#pragma once

#include <afx.h>

enum : UINT {
    IDD_SETUP = 201,
    IDR_BRENNET = 1000, // the registry script ("REGISTRY")

    // Items of the setup dialog.
    IDC_EASYCODE = 1000,
    IDC_X32 = 1001,
    IDC_TOOL_LABEL = 1002,
    IDC_TOOL_PATH = 1003,
    IDC_BROWSE_TOOL = 1004,
};

extern const QEL_RESOURCE_ENTRY g_BrennetResources[];
extern const size_t g_BrennetResourceCount;
extern const QEL_RESOURCE_ENTRY g_BrennetScripts[];
extern const size_t g_BrennetScriptCount;

// Everything above with the strings and the version resource of the module that links
// Brennet (libBrennet.so, or a test program standing in for it), made at first use.
const QEL_MODULE_RESOURCES &BrennetModuleResources();
