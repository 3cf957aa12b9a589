#include "talvixstrings.h"

// The tool tip of the explorer ends in a blank, and the registry keeps it.
const QEL_STRING_ENTRY g_TalvixStrings[] = {
    {IDS_SYMBOLEXPLORER_TEXTS,
     "Standard QEL Symbol Explorer\nStdQelSymbolExplWin\nSymbol Explorer View\n&Symbol Explorer\nExplore Symbols "},
    {IDS_LOCALS_TEXTS, "Standard QEL Locals Window\nStdQelLocalsWin\nLocals View\n&Locals\nLocals"},
    {IDS_WATCH_TEXTS, "Standard QEL Watch Window\nStdQelWatchWin\nWatch View\n&Watch\nWatch"},
    {IDS_WATCH_NOT_FOUND, "not found"},
    {IDS_WATCH_STORAGE, "Watches"},
    {IDS_WATCH_NUMBER, "Number"},
    {IDS_WATCH_ENTRY, "Watch%d"},
    {IDS_WATCH_HEXADECIMAL, "Hexadecimal"},
    {IDS_WATCH_ASCII, "ASCII"},
    {IDS_WATCH_EXPONENTIAL, "Exponential"},
    {IDS_LOCALS_STORAGE, "Locals"},
};

const size_t g_TalvixStringCount = sizeof g_TalvixStrings / sizeof g_TalvixStrings[0];
