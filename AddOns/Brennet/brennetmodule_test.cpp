// The test program is a module of its own, with Brennet's resources and a version
// resource, so that it can stand in for Brennet's module.
#include "brennetresources.h"

#include <vector>

namespace {

const QEL_MODULE_RESOURCES &TestResources()
{
    static const std::vector<QEL_RESOURCE_ENTRY> entries = [] {
        std::vector<QEL_RESOURCE_ENTRY> all(g_BrennetResources, g_BrennetResources + g_BrennetResourceCount);
        all.push_back(g_QelVersionResource);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {nullptr, 0, entries.data(), entries.size()};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())
