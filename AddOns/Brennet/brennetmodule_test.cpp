// The test program is a module of its own, with Brennet's strings, resources, registry
// script and a version resource, so that it can stand in for Brennet's module.
#include "brennetresources.h"
#include "brennetstrings.h"

#include <atlbase.h>

#include <vector>

namespace {

const QEL_MODULE_RESOURCES &TestResources()
{
    static const std::vector<QEL_RESOURCE_ENTRY> entries = [] {
        std::vector<QEL_RESOURCE_ENTRY> all(g_BrennetResources, g_BrennetResources + g_BrennetResourceCount);
        all.insert(all.end(), g_BrennetScripts, g_BrennetScripts + g_BrennetScriptCount);
        all.push_back(g_QelVersionResource);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {g_BrennetStrings, g_BrennetStringCount, entries.data(),
                                                   entries.size()};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())

// The registration runs the script of this module, as Brennet's own would.
CComModule _Module;
