// The test program is a module of its own: it binds the symbol database's string-table
// entries as Korvex's module binds them, so that names and SQL load by id.
#include "symdbstrings.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Made when the binding asks for it: the count is no constant of this file, so a table
// initialised with it here would still be empty when the binding runs.
const QEL_MODULE_RESOURCES &TestResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_SymdbStrings, g_SymdbStringCount, nullptr, 0};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())

namespace {

TEST(SymdbStrings, EveryIdStandsOnce)
{
    std::set<UINT> ids;
    for (size_t i = 0; i < g_SymdbStringCount; ++i)
        EXPECT_TRUE(ids.insert(g_SymdbStrings[i].id).second) << g_SymdbStrings[i].id;
}

TEST(SymdbStrings, NamesLoadByIdFromTheModule)
{
    CString text;
    ASSERT_TRUE(text.LoadString(IDS_DB_SYMBOLINDEXKEY));
    EXPECT_STREQ(text, "SymbolIndexkey");
    ASSERT_TRUE(text.LoadString(IDS_Q_NEARESTLABELBYADDRESS));
    EXPECT_STREQ(text, "NearestLabelByAddress");
    ASSERT_TRUE(text.LoadString(IDS_Q_NEARESTLABELBYADDRESS + 1));
    EXPECT_EQ(text.Find("PARAMETERS [_AddressMode] Long, [_AddressValue] Long;"), 0);
}

TEST(SymdbStrings, NoQueryComparesWithASubqueryByEquality)
{
    // Jet refuses "= (SELECT ...)" when the subquery gives several rows, and SQLite
    // would quietly take the first: every such comparison of the queries is IN.
    for (size_t i = 0; i < g_SymdbStringCount; ++i) {
        CString sql(g_SymdbStrings[i].text);
        sql.Remove(' ');
        sql.MakeUpper();
        EXPECT_LT(sql.Find("=(SELECT"), 0) << g_SymdbStrings[i].id;
        EXPECT_LT(sql.Find("=-(SELECT"), 0) << g_SymdbStrings[i].id;
    }
}

} // namespace
