// The symbol server's entries of Korvex's string table.
//
// Korvex's module binds them, with its other strings, through its one
// QEL_DEFINE_MODULE_RESOURCES; a test program that links this library binds them itself.
#pragma once

#include <afx.h>

enum : UINT {
    IDS_SYMSRV_NAME = 200,            // "StdQelSymbSrv"
    IDS_SYMSRV_VERSION = 201,         // "Standard QEL Symbol Server"
    IDS_PROFILE_SECTION_SYSTEM = 910, // "System"
    IDS_PROFILE_DATABASE_DIRECTORY = 914, // "DATABASE_DIRECTORY/BSTR"
    IDS_PROFILE_DATABASE_SPECIAL = 915,   // "DATABASE_SPECIAL/BOOL"
    IDS_PROFILE_AUTOLOADELF = 917,        // "AUTOLOADELF/BOOL"
    IDS_PROFILE_VARED = 921,          // "VARED/BOOL:TRUE"
    IDS_SYMSRV_UNKNOWN_ERROR = 3000, // "Unknown error occurred."
    IDS_SYMSRV_OUT_OF_MEMORY = 3001, // "Out of memory or memory insufficient."
    IDS_LOAD_START_AFTER_END = 3005,   // "Error: Start >= End"
    IDS_LOAD_RANGE_TOO_LONG = 3006,    // "Error: End - Start  >  %Xh"
    IDS_LOAD_NO_DATABASE_DIRECTORY = 3008, // "Can not create special database directory:\n%s\n..."
};

// As g_SymdbStrings: constant data, but the count is no constant expression elsewhere.
extern const QEL_STRING_ENTRY g_SymserverStrings[];
extern const size_t g_SymserverStringCount;
