// Talvix's string table: the text sets of its view servers, five parts each separated by
// "\n" (description, view-server name, view name, menu text, tool tip), and the texts of
// the watch and locals windows.
//
// Talvix's module binds them through its QEL_DEFINE_MODULE_RESOURCES; a test program that
// links this library binds them itself.
#pragma once

#include <afx.h>

enum : UINT {
    IDS_SYMBOLEXPLORER_TEXTS = 150, // "Standard QEL Symbol Explorer\nStdQelSymbolExplWin\n..."
    IDS_LOCALS_TEXTS = 160,         // "Standard QEL Locals Window\nStdQelLocalsWin\n..."
    IDS_WATCH_TEXTS = 170,          // "Standard QEL Watch Window\nStdQelWatchWin\n..."
    // The value text of a watch entry whose symbol is not found.
    IDS_WATCH_NOT_FOUND = 1000,
    // Names in the workspace storage: the watch window's sub-storage with its count and
    // entries ("Watch%d"), the option values the two windows share, the locals' sub-storage.
    IDS_WATCH_STORAGE = 1100,
    IDS_WATCH_NUMBER = 1101,
    IDS_WATCH_ENTRY = 1102,
    IDS_WATCH_HEXADECIMAL = 1103,
    IDS_WATCH_ASCII = 1104,
    IDS_WATCH_EXPONENTIAL = 1105,
    IDS_LOCALS_STORAGE = 1110,
};

extern const QEL_STRING_ENTRY g_TalvixStrings[];
extern const size_t g_TalvixStringCount;
