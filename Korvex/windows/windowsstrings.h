// The entries of Korvex's string table that the symbol server's windows own: the keys of
// the host's profile items that the symbol server and its windows bind, the menu texts of
// the handlers' commands and the texts of their messages.
//
// Korvex's module binds them, with its other strings, through its one
// QEL_DEFINE_MODULE_RESOURCES; a test program that links this library binds them itself.
#pragma once

#include <afx.h>

enum : UINT {
    IDS_LOAD_PROGRAM_MENU = 250, // "&Load Program\n...\nLoad Program"

    IDS_SHOW_IP_MENU = 210,              // "Show &IP\n...\nShow IP"
    IDS_SINGLE_PROGRAM_WINDOW_MENU = 221, // "&Single Program Window\n...\nSingle Program Window"
    IDS_SHOW_CODE_MENU = 223,            // "Show &code\n...\nShow program code"
    IDS_SOURCE_FILE_TITLE = 225,         // "Open Source Files"
    IDS_SOURCE_FILE_FILTER = 226,        // "Source Files (*.c;...%s)|...%s|All Files (*.*)|*.*||"

    IDS_PROFILE_SECTION_COMPILER = 280, // "Compiler"
    IDS_PROFILE_MAIN_FUNC = 281,        // "MAIN_FUNC/BSTR"
    IDS_PROFILE_START_PROC = 282,       // "START_PROC/BSTR"

    IDS_PROPERTY_PAGE_CAPTION = 600, // "Symbol"

    IDS_PROFILE_SECTION_SYSTEM = 910,     // "System"
    IDS_PROFILE_SERVICE = 911,            // "SERVICE/BOOL"
    IDS_PROFILE_AUTORELOAD = 912,         // "AUTORELOAD/BOOL"
    IDS_PROFILE_MULTIPROGRAM = 913,       // "MULTIPROGRAM/BOOL"
    IDS_PROFILE_DATABASE_DIRECTORY = 914, // "DATABASE_DIRECTORY/BSTR"
    IDS_PROFILE_DATABASE_SPECIAL = 915,   // "DATABASE_SPECIAL/BOOL"
    IDS_PROFILE_SOURCE_FILES_ROOT = 916,  // "SOURCE_FILES_ROOT/BSTR", of the section "Compiler"
    IDS_PROFILE_AUTOLOADELF = 917,        // "AUTOLOADELF/BOOL"
    IDS_PROFILE_MIXEDMODE = 918,          // "MIXEDMODE/BOOL"
    IDS_PROFILE_SINGLEPROGRAMWINDOW = 919, // "SINGLEPROGRAMWINDOW/BOOL"
    IDS_PROFILE_IGNORE_PROGRAM_FROM_WSP = 920, // "IgnoreProgramFromWsp/BOOL:FALSE"
    IDS_PROFILE_VARED = 921,              // "VARED/BOOL:TRUE"

    IDS_FILE_LOAD_ERROR = 3002,        // "File load error"
    IDS_FORMAT_NOT_SUPPORTED = 3003,   // "The format of selected binary target file is ..."
    IDS_SUPPORTED_FORMATS = 3004,      // "Supported file formats:\n..."
    IDS_LOAD_NO_DATABASE_DIRECTORY = 3008, // "Can not create special database directory:\n%s\n..."
};

// As g_SymdbStrings: constant data, but the count is no constant expression elsewhere.
extern const QEL_STRING_ENTRY g_WindowsStrings[];
extern const size_t g_WindowsStringCount;
