#include "filepaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// A temporary folder with the files one.hlp, two.txt and three.txt.
class FilePathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelpathsXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        for (const char *name : kNames) {
            FILE *file = fopen((dir_ + "/" + name).c_str(), "w");
            ASSERT_NE(file, nullptr);
            fclose(file);
        }
    }
    void TearDown() override
    {
        for (const char *name : kNames)
            unlink((dir_ + "/" + name).c_str());
        rmdir(dir_.c_str());
    }

    static constexpr const char *kNames[] = {"one.hlp", "two.txt", "three.txt"};
    std::string dir_;
};

TEST_F(FilePathsTest, ASingleMatchIsExactlyOneEntry)
{
    struct Case {
        std::string pattern;
        BOOL single;
    } cases[] = {
        {dir_ + "/one.hlp", TRUE},
        {dir_ + "/*.hlp", TRUE},
        {dir_ + "/t?o.*", TRUE},
        {dir_ + "/*.txt", FALSE}, // two of them
        {dir_ + "/*.doc", FALSE}, // none
        {dir_ + "/missing/x", FALSE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsSingleFileMatch(c.pattern.c_str()), c.single) << c.pattern;
    EXPECT_FALSE(IsSingleFileMatch(nullptr));
}

TEST_F(FilePathsTest, TheFullPathIsAbsoluteAndNormalised)
{
    CString out;
    EXPECT_TRUE(GetFullPath((dir_ + "/sub/../two.txt").c_str(), out, FALSE));
    EXPECT_STREQ(out, (dir_ + "/two.txt").c_str());
    EXPECT_TRUE(GetFullPath((dir_ + "/sub/../two.txt").c_str(), out, TRUE));

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    BOOL relative = GetFullPath("three.txt", out, TRUE);
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_TRUE(relative);
    EXPECT_STREQ(out, (dir_ + "/three.txt").c_str());
}

TEST_F(FilePathsTest, AMissingFileOrAPathTooLongFails)
{
    CString out;
    EXPECT_TRUE(GetFullPath((dir_ + "/none.txt").c_str(), out, FALSE)); // need not exist
    EXPECT_FALSE(GetFullPath((dir_ + "/none.txt").c_str(), out, TRUE));
    EXPECT_FALSE(GetFullPath((dir_ + "/*.txt").c_str(), out, TRUE));
    std::string longPath = "/" + std::string(1023, 'x');
    EXPECT_FALSE(GetFullPath(longPath.c_str(), out, FALSE));
    EXPECT_TRUE(GetFullPath(longPath.substr(0, 1023).c_str(), out, FALSE));
    EXPECT_EQ(out.GetLength(), 1023);
    EXPECT_FALSE(GetFullPath("", out, FALSE));
}

} // namespace
