// The program-file readers' entries of Korvex's string table.
//
// Korvex's module binds them, with its other strings, through its one
// QEL_DEFINE_MODULE_RESOURCES; a test program that links this library binds them itself.
#pragma once

#include <afx.h>

enum : UINT {
    // The start-up labels that the globals passes name in the Program row.
    IDS_TASKING_ENTRY_POINT = 400, // "__CSTART"
    IDS_MAIN_FUNCTION = 402,    // "main"
    IDS_ELF_ENTRY_POINT = 403,  // "__ELFEntryPoint"
    IDS_PCP_ENTRY_POINT = 404,  // "__PCPEntryPoint"
    IDS_EOMF_ENTRY_POINT = 405, // "?C_STARTUP"
    IDS_START_LABEL = 406,      // "start"
};

extern const QEL_STRING_ENTRY g_ProgfilesStrings[];
extern const size_t g_ProgfilesStringCount;
