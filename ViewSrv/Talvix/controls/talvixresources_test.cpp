// The test program's own module binds Talvix's resources, once for all its tests.
#include "talvixresources.h"

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())
