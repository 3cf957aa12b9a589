// Brennet's string table: the menu texts of its commands, the profile item of the tool,
// the texts of its registration and the component's messages.
#pragma once

#include <afx.h>

enum : UINT {
    IDS_CONFIGURE_MENU = 201,  // "&Configure Case\n..."
    IDS_CASETOOL_MENU = 202,   // "&Case Tool\n..."
    IDS_TOOLS_SECTION = 300,   // "Tools"
    IDS_CASETOOL_ENTRY = 301,  // "CaseTool/BSTR"
    IDS_COMPONENT_TEXTS = 1000, // component, description, ProgID, version-independent ProgID

    IDS_NOT_INITIALIZED = 32768,
    IDS_NOT_READY_AFTER_INIT = 32769,
    IDS_INVALID_TARGET_PROFILE = 32770,
    IDS_INVALID_PROJECT_PROFILE = 32771,
    IDS_NO_VERSION_INFO = 32772,
    IDS_WRONG_VERSION = 32773,
    IDS_UNKNOWN_PARAMETER = 32774,
    IDS_INVALID_PARAMETER = 32775,
    IDS_INIT_FAILED = 32776,
};

extern const QEL_STRING_ENTRY g_BrennetStrings[];
extern const size_t g_BrennetStringCount;

// Part `index` of the string `id`, whose parts are separated by "\n"; "" past the last.
CString BrennetStringPart(UINT id, int index);
