// The test program's own module binds Talvix's resources, once for all its tests.
#include "talvixtestmodule.h"

QEL_DEFINE_MODULE_RESOURCES(TalvixTestResources())
