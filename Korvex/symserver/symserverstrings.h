// The symbol server's entries of Korvex's string table.
//
// Korvex's module binds them, with its other strings, through its one
// QEL_DEFINE_MODULE_RESOURCES; a test program that links this library binds them itself.
#pragma once

#include <afx.h>

// The profile keys and the texts that the windows share with the server are theirs.
#include <windowsstrings.h>

enum : UINT {
    IDS_SYMSRV_NAME = 200,            // "StdQelSymbSrv"
    IDS_SYMSRV_VERSION = 201,         // "Standard QEL Symbol Server"
    IDS_SYMSRV_UNKNOWN_ERROR = 3000, // "Unknown error occurred."
    IDS_SYMSRV_OUT_OF_MEMORY = 3001, // "Out of memory or memory insufficient."
    IDS_LOAD_START_AFTER_END = 3005,   // "Error: Start >= End"
    IDS_LOAD_RANGE_TOO_LONG = 3006,    // "Error: End - Start  >  %Xh"
};

// As g_SymdbStrings: constant data, but the count is no constant expression elsewhere.
extern const QEL_STRING_ENTRY g_SymserverStrings[];
extern const size_t g_SymserverStringCount;
