// Talvix's string table: the text sets of its view servers, five parts each separated by
// "\n" (description, view-server name, view name, menu text, tool tip).
//
// Talvix's module binds them through its QEL_DEFINE_MODULE_RESOURCES; a test program that
// links this library binds them itself.
#pragma once

#include <afx.h>

enum : UINT {
    IDS_SYMBOLEXPLORER_TEXTS = 150, // "Standard QEL Symbol Explorer\nStdQelSymbolExplWin\n..."
};

extern const QEL_STRING_ENTRY g_TalvixStrings[];
extern const size_t g_TalvixStringCount;
