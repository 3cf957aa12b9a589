#include "dbfilename.h"

#include "elfhash.h"

#include <gtest/gtest.h>

namespace {

TEST(DbFileName, TheExtensionIsCutInsideTheFileNameOnly)
{
    EXPECT_STREQ(CutFileExtension("/work/prog.elf"), "/work/prog");
    EXPECT_STREQ(CutFileExtension("/work/prog.v2.elf"), "/work/prog.v2");
    EXPECT_STREQ(CutFileExtension("/work/build.d/prog"), "/work/build.d/prog");
    EXPECT_STREQ(CutFileExtension("C:\\build.d\\prog"), "C:\\build.d\\prog");
    EXPECT_STREQ(CutFileExtension("prog"), "prog");
}

TEST(DbFileName, ThePasswordHashesTheLowerCaseBaseName)
{
    CString expected;
    expected.Format("%x", ElfHashKey("prog") & 0xFFFFFFu);
    CString password = DatabasePassword("/work/Dir.x/PROG.mdb");
    EXPECT_EQ(password.GetLength(), 7 + expected.GetLength());
    EXPECT_STREQ(password.Mid(7), expected);
    EXPECT_STREQ(DatabasePassword("/other/prog.mdb"), password);
    EXPECT_STRNE(DatabasePassword("/work/prog2.mdb"), password);
    EXPECT_STREQ(PasswordClause("/work/prog.mdb"), ";pwd=" + password);
}

} // namespace
