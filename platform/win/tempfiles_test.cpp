#include "tempfiles.h"

#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Sets the temporary-folder variables for one test and restores them after it.
class TempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *name : {"TMP", "TEMP", "TMPDIR"}) {
            const char *value = getenv(name);
            saved_.push_back(value != nullptr ? std::make_pair(true, std::string(value)) : std::make_pair(false, std::string()));
            unsetenv(name);
        }
        char pattern[] = "/tmp/qeltempXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        const char *names[] = {"TMP", "TEMP", "TMPDIR"};
        for (size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i].first)
                setenv(names[i], saved_[i].second.c_str(), 1);
            else
                unsetenv(names[i]);
        }
        for (const std::string &file : made_)
            unlink(file.c_str());
        rmdir(dir_.c_str());
    }

    std::vector<std::pair<bool, std::string>> saved_;
    std::vector<std::string> made_;
    std::string dir_;
};

TEST_F(TempFiles, TheFolderComesFromTheEnvironmentWithATrailingSlash)
{
    char buffer[MAX_PATH];
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), 5u);
    EXPECT_STREQ(buffer, "/tmp/");
    setenv("TMPDIR", "/var/tmp", 1);
    GetTempPathA(sizeof buffer, buffer);
    EXPECT_STREQ(buffer, "/var/tmp/");
    setenv("TMP", dir_.c_str(), 1);
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), dir_.size() + 1);
    EXPECT_EQ(std::string(buffer), dir_ + "/");
    char small[4] = "abc";
    EXPECT_EQ(GetTempPathA(sizeof small, small), dir_.size() + 2);
    EXPECT_STREQ(small, "abc");
}

TEST_F(TempFiles, AChosenNameIsMadeAtOnceAndNeverGivenTwice)
{
    char first[MAX_PATH];
    char second[MAX_PATH];
    UINT one = GetTempFileNameA(dir_.c_str(), "qelong", 0, first);
    UINT two = GetTempFileNameA(dir_.c_str(), "qel", 0, second);
    ASSERT_NE(one, 0u);
    ASSERT_NE(two, 0u);
    made_ = {first, second};
    EXPECT_STRNE(first, second);
    EXPECT_EQ(std::string(first).rfind(dir_ + "/qel", 0), 0u);
    EXPECT_EQ(std::string(first).substr(std::strlen(first) - 4), ".TMP");
    struct stat status;
    EXPECT_EQ(stat(first, &status), 0);
    EXPECT_EQ(status.st_size, 0);
}

TEST_F(TempFiles, AGivenNumberOnlyComposesTheName)
{
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(dir_.c_str(), "qel", 0x1A2B, name), 0x1A2Bu);
    EXPECT_EQ(std::string(name), dir_ + "/qel1A2B.TMP");
    struct stat status;
    EXPECT_NE(stat(name, &status), 0);
}

TEST_F(TempFiles, AMissingFolderGivesNoName)
{
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA((dir_ + "/none").c_str(), "qel", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    std::string longFolder(MAX_PATH, 'd');
    EXPECT_EQ(GetTempFileNameA(longFolder.c_str(), "qel", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
}

} // namespace
