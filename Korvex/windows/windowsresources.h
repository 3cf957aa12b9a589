// The resources of the symbol server's windows: dialog templates (the property page's
// among them) and the state images of the program-images list, bound into the module's
// resource table with the others.
#pragma once

#include <afx.h>

enum : UINT {
    IDD_SYMSRV_PROPERTY_PAGE = 107,
    IDB_PROGRAM_STATES = 130, // two 16 x 16 images: not kept, kept

    IDD_RELOAD = 213,
    IDD_DOWNLOAD = 214,
    IDD_LOAD = 215,
    IDD_NOTE = 219,
    IDD_IMAGES = 220,
    IDD_POSITION = 226,

    // Items of the templates.
    IDC_FILE_NAME = 207,
    IDC_DOWNLOAD_BAR = 215,
    IDC_ANALYSIS_BAR = 216,
    IDC_ANALYSIS_TEXT = 217,
    IDC_DOWNLOAD_TEXT = 219,
    IDC_NOTE_TEXT = 227,
    IDC_NEW_IMAGE = 233,
    IDC_IMAGE_LIST = 234,
    IDC_BROWSE = 243,
    IDC_POSITION = 247,

    // Items of the property page.
    IDC_DATABASE_DIRECTORY = 207,
    IDC_MAIN_FUNCTION = 222,
    IDC_START_PROCEDURE = 223,
    IDC_AUTO_RELOAD = 226,
    IDC_MULTI_PROGRAM = 230,
    IDC_SOURCE_FILES_ROOT = 235,
    IDC_DATABASE_TARGET_PATH = 236,
    IDC_DATABASE_OTHER = 237,
    IDC_BROWSE_DATABASE_DIRECTORY = 238,
    IDC_BROWSE_SOURCE_FILES_ROOT = 239,
    IDC_AUTOLOAD_ELF = 240,
    IDC_IGNORE_PROGRAM_FROM_WSP = 245,
    IDC_VARED = 246,
};

extern const QEL_RESOURCE_ENTRY g_WindowsResources[];
extern const size_t g_WindowsResourceCount;
