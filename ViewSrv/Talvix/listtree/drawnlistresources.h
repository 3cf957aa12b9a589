// The list's own resources, for the resource table of the module that holds the list:
// the divider cursor. DRAWNLIST_RESOURCE_ENTRIES goes into that table's initialiser.
#pragma once

#include "resources.h"

#define IDC_DRAWNLIST_DIVIDER 20692

extern const unsigned char g_DrawnListDividerCursor[34];

#define DRAWNLIST_RESOURCE_ENTRIES \
    {RT_CURSOR, MAKEINTRESOURCEA(IDC_DRAWNLIST_DIVIDER), g_DrawnListDividerCursor, sizeof g_DrawnListDividerCursor}
