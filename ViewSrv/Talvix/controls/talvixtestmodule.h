// Test support: the test program is a module of its own with Talvix's strings and
// scripts, so that the controls' registration and texts run as in Talvix's library.
#pragma once

#include "talvixscripts.h"
#include "talvixstrings.h"

inline const QEL_MODULE_RESOURCES &TalvixTestResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_TalvixStrings, g_TalvixStringCount, g_TalvixResources,
                                                   g_TalvixResourceCount};
    return resources;
}
