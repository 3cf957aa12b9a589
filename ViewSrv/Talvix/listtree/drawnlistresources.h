// The list's own resources, for the resource table of the module that holds the list.
#pragma once

#include "resources.h"

#include <cstddef>

// The divider cursor (RT_CURSOR IDC_DRAWNLIST_DIVIDER).
extern const QEL_RESOURCE_ENTRY g_DrawnListResources[];
extern const size_t g_DrawnListResourceCount;
