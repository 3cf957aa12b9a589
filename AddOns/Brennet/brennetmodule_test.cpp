// The test program is a module of its own, with Brennet's strings, resources, registry
// script and a version resource, so that it can stand in for Brennet's module.
#include "brennetresources.h"

#include <atlbase.h>

QEL_DEFINE_MODULE_RESOURCES(BrennetModuleResources())

// The registration runs the script of this module, as Brennet's own would.
CComModule _Module;
