#include "progfilestrings.h"

const QEL_STRING_ENTRY g_ProgfilesStrings[] = {
    {IDS_TASKING_ENTRY_POINT, "__CSTART"},
    {IDS_MAIN_FUNCTION, "main"},
    {IDS_ELF_ENTRY_POINT, "__ELFEntryPoint"},
    {IDS_PCP_ENTRY_POINT, "__PCPEntryPoint"},
    {IDS_EOMF_ENTRY_POINT, "?C_STARTUP"},
    {IDS_START_LABEL, "start"},
};

const size_t g_ProgfilesStringCount = sizeof g_ProgfilesStrings / sizeof g_ProgfilesStrings[0];
