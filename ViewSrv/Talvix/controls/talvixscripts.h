// Talvix's registry scripts, the module's resources of type "REGISTRY": the template by
// which every view-server control registers (viewserverregistration.h).
#pragma once

#include <afx.h>

enum : UINT {
    IDR_VIEWSERVER = 204,
};

extern const QEL_RESOURCE_ENTRY g_TalvixResources[];
extern const size_t g_TalvixResourceCount;
