// The test program is a module of its own, with Korvex's strings and scripts, so that it
// can stand in for libKorvex.so (korvextestmodule.h).
#include <korvexapp.h>
#include <progfilestrings.h>
#include <symdbstrings.h>
#include <symserverscripts.h>
#include <symserverstrings.h>
#include <windowsresources.h>

#include <vector>

namespace {

const QEL_MODULE_RESOURCES &TestResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        return all;
    }();
    static const std::vector<QEL_RESOURCE_ENTRY> entries = [] {
        std::vector<QEL_RESOURCE_ENTRY> all(g_SymserverResources, g_SymserverResources + g_SymserverResourceCount);
        all.insert(all.end(), g_WindowsResources, g_WindowsResources + g_WindowsResourceCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), entries.data(), entries.size()};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())
