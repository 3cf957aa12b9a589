// Talvix's binary resources: the registry-script template by which every view-server
// control registers (viewserverregistration.h), the select list's registry script, the
// symbol explorer's images and the watch and locals windows' resources (watchresources.h).
#pragma once

#include <afx.h>

enum : UINT {
    IDR_VIEWSERVER = 204,
    IDR_SYMBOLSELECTLIST = 103, // the select list's own script
    IDB_EXPLORER_IMAGES = 137, // six images of 16 by 16, one per kind of the explorer's items
};

extern const QEL_RESOURCE_ENTRY g_TalvixResources[];
extern const size_t g_TalvixResourceCount;
