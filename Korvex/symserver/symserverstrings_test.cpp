// The test program is a module of its own: it binds the symbol server's and the symbol
// database's string-table entries as Korvex's module binds them, so that error texts and
// the database's names and SQL load by id.
#include "symserverstrings.h"

#include <progfilestrings.h>
#include <symdbstrings.h>
#include <varnodestrings.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// Made when the binding asks for it, since the counts are no constants of this file.
const QEL_MODULE_RESOURCES &TestResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), nullptr, 0};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())

namespace {

TEST(SymserverStrings, NoIdIsTakenTwiceInKorvex)
{
    std::set<UINT> ids;
    for (size_t i = 0; i < g_SymserverStringCount; ++i)
        EXPECT_TRUE(ids.insert(g_SymserverStrings[i].id).second) << g_SymserverStrings[i].id;
    for (size_t i = 0; i < g_WindowsStringCount; ++i)
        EXPECT_TRUE(ids.insert(g_WindowsStrings[i].id).second) << g_WindowsStrings[i].id;
    for (size_t i = 0; i < g_SymdbStringCount; ++i)
        EXPECT_TRUE(ids.insert(g_SymdbStrings[i].id).second) << g_SymdbStrings[i].id;
    for (size_t i = 0; i < g_ProgfilesStringCount; ++i)
        EXPECT_TRUE(ids.insert(g_ProgfilesStrings[i].id).second) << g_ProgfilesStrings[i].id;
    for (size_t i = 0; i < g_VarNodeStringCount; ++i)
        EXPECT_TRUE(ids.insert(g_VarNodeStrings[i].id).second) << g_VarNodeStrings[i].id;
}

TEST(SymserverStrings, TheEngineErrorTextsLoadById)
{
    CString text;
    ASSERT_TRUE(text.LoadString(IDS_SYMSRV_UNKNOWN_ERROR));
    EXPECT_STREQ(text, "Unknown error occurred.");
    ASSERT_TRUE(text.LoadString(IDS_SYMSRV_OUT_OF_MEMORY));
    EXPECT_STREQ(text, "Out of memory or memory insufficient.");
}

} // namespace
