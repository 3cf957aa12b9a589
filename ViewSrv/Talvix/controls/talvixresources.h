// What Talvix's module binds as its resources: its strings and its binary resources.
// Talvix's library binds them through its QEL_DEFINE_MODULE_RESOURCES; the test program,
// a module of its own, binds them too, so that the controls' registration and texts run
// there as in Talvix's library.
#pragma once

#include "talvixscripts.h"
#include "talvixstrings.h"

inline const QEL_MODULE_RESOURCES &TalvixModuleResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_TalvixStrings, g_TalvixStringCount, g_TalvixResources,
                                                   g_TalvixResourceCount};
    return resources;
}
