#include "talvixstrings.h"

// The tool tip of the explorer ends in a blank, and the registry keeps it.
const QEL_STRING_ENTRY g_TalvixStrings[] = {
    {IDS_SYMBOLEXPLORER_TEXTS,
     "Standard QEL Symbol Explorer\nStdQelSymbolExplWin\nSymbol Explorer View\n&Symbol Explorer\nExplore Symbols "},
};

const size_t g_TalvixStringCount = sizeof g_TalvixStrings / sizeof g_TalvixStrings[0];
