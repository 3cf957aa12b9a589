#include "symserverstrings.h"

const QEL_STRING_ENTRY g_SymserverStrings[] = {
    {IDS_SYMSRV_NAME, "StdQelSymbSrv"},
    {IDS_SYMSRV_VERSION, "Standard QEL Symbol Server"},
    {IDS_PROFILE_SECTION_SYSTEM, "System"},
    {IDS_PROFILE_DATABASE_DIRECTORY, "DATABASE_DIRECTORY/BSTR"},
    {IDS_PROFILE_DATABASE_SPECIAL, "DATABASE_SPECIAL/BOOL"},
    {IDS_PROFILE_AUTOLOADELF, "AUTOLOADELF/BOOL"},
    {IDS_PROFILE_VARED, "VARED/BOOL:TRUE"},
    {IDS_SYMSRV_UNKNOWN_ERROR, "Unknown error occurred."},
    {IDS_SYMSRV_OUT_OF_MEMORY, "Out of memory or memory insufficient."},
    {IDS_LOAD_START_AFTER_END, "Error: Start >= End"},
    {IDS_LOAD_RANGE_TOO_LONG, "Error: End - Start  >  %Xh"},
    {IDS_LOAD_NO_DATABASE_DIRECTORY, "Can not create special database directory:\n%s\nTarget file path is used instead."},
};

const size_t g_SymserverStringCount = sizeof g_SymserverStrings / sizeof g_SymserverStrings[0];
