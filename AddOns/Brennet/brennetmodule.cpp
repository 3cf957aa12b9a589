// What Brennet's module binds as its resources: its strings, its dialog template, its
// registry script and the version resource of the module it is linked into.
#include "brennetresources.h"
#include "brennetstrings.h"

#include <vector>

const QEL_MODULE_RESOURCES &BrennetModuleResources()
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
