// The test program binds the variable nodes' string-table entries as Korvex's module
// does, so that the nodes' texts load by id.
#include "varnodestrings.h"

#include <gtest/gtest.h>

namespace {

const QEL_MODULE_RESOURCES &TestResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_VarNodeStrings, g_VarNodeStringCount, nullptr, 0};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())

namespace {

TEST(VarNodeStrings, BothNotValidTextsLoadById)
{
    CString text;
    ASSERT_TRUE(text.LoadString(IDS_VARNODE_NOT_VALID));
    EXPECT_STREQ(text, "not valid");
    ASSERT_TRUE(text.LoadString(IDS_VARNODE_COMPLEX_NOT_VALID));
    EXPECT_STREQ(text, "not valid");
}

} // namespace
