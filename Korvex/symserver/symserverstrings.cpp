#include "symserverstrings.h"

const QEL_STRING_ENTRY g_SymserverStrings[] = {
    {IDS_SYMSRV_NAME, "StdQelSymbSrv"},
    {IDS_SYMSRV_VERSION, "Standard QEL Symbol Server"},
    {IDS_SYMSRV_UNKNOWN_ERROR, "Unknown error occurred."},
    {IDS_SYMSRV_OUT_OF_MEMORY, "Out of memory or memory insufficient."},
    {IDS_LOAD_START_AFTER_END, "Error: Start >= End"},
    {IDS_LOAD_RANGE_TOO_LONG, "Error: End - Start  >  %Xh"},
};

const size_t g_SymserverStringCount = sizeof g_SymserverStrings / sizeof g_SymserverStrings[0];
