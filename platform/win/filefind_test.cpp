#include "filefind.h"

#include "handles.h"
#include "events.h"
#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A directory with a.c, b.c, abc.h, Makefile, .hidden and the folder sub/ in it.
class FileFindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelfindXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        for (const char *name : {"a.c", "b.c", "abc.h", "Makefile", ".hidden"})
            Write(name, "12345");
        ASSERT_EQ(mkdir((dir_ + "/sub").c_str(), 0700), 0);
    }

    void TearDown() override
    {
        for (const char *name : {"a.c", "b.c", "abc.h", "Makefile", ".hidden", "ro.txt"})
            unlink((dir_ + "/" + name).c_str());
        rmdir((dir_ + "/sub").c_str());
        rmdir(dir_.c_str());
    }

    void Write(const char *name, const char *text)
    {
        FILE *file = fopen((dir_ + "/" + name).c_str(), "w");
        ASSERT_NE(file, nullptr);
        fputs(text, file);
        fclose(file);
    }

    // Every name that the search gives, sorted.
    std::vector<std::string> Find(const std::string &pattern)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA(pattern.c_str(), &data);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(data.cFileName);
        while (FindNextFileA(search, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(search));
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir_;
};

using Names = std::vector<std::string>;

TEST_F(FileFindTest, WildcardsSelectTheMatchingNames)
{
    struct Case {
        const char *pattern;
        Names names;
    } cases[] = {
        {"*.c", {"a.c", "b.c"}},
        {"?.c", {"a.c", "b.c"}},
        {"a*", {"a.c", "abc.h"}},
        {"*b*", {"abc.h", "b.c", "sub"}},
        {"a?c.*", {"abc.h"}},
        {"*.*", {".", "..", ".hidden", "Makefile", "a.c", "abc.h", "b.c", "sub"}},
        {"*", {".", "..", ".hidden", "Makefile", "a.c", "abc.h", "b.c", "sub"}},
        {"M*e", {"Makefile"}},
        {"*.C", {}},    // names are not blind to case
        {"??.c", {}},   // '?' stands for exactly one character
        {"*.x", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Find(dir_ + "/" + c.pattern), c.names) << c.pattern;
}

TEST_F(FileFindTest, ANameWithoutWildcardsFindsThatOneEntry)
{
    EXPECT_EQ(Find(dir_ + "/a.c"), Names{"a.c"});
    EXPECT_EQ(Find(dir_ + "/sub"), Names{"sub"});
    EXPECT_EQ(Find(dir_ + "\\b.c"), Names{"b.c"}); // a backslash separates too
}

TEST_F(FileFindTest, APatternWithoutDirectorySearchesTheCurrentOne)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    Names names = Find("*.h");
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(names, Names{"abc.h"});
}

TEST_F(FileFindTest, EntriesTellDirectoriesSizesAndWriteProtection)
{
    Write("ro.txt", "x");
    ASSERT_EQ(chmod((dir_ + "/ro.txt").c_str(), 0400), 0);
    WIN32_FIND_DATAA data;

    HANDLE search = FindFirstFileA((dir_ + "/a.c").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_STREQ(data.cAlternateFileName, "");
    // Written just now: after 2020 in Windows' count of 100 ns from 1601.
    uint64_t written = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                       data.ftLastWriteTime.dwLowDateTime;
    EXPECT_GT(written, 132223104000000000ull);
    EXPECT_TRUE(FindClose(search));

    search = FindFirstFileA((dir_ + "/sub").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_TRUE(FindClose(search));

    search = FindFirstFileA((dir_ + "/ro.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FileFindTest, FailuresSayWhy)
{
    WIN32_FIND_DATAA data;
    struct Case {
        std::string pattern;
        DWORD error;
    } cases[] = {
        {dir_ + "/*.x", ERROR_FILE_NOT_FOUND},
        {dir_ + "/nothing.c", ERROR_FILE_NOT_FOUND},
        {dir_ + "/", ERROR_FILE_NOT_FOUND},
        {dir_ + "/missing/*.c", ERROR_PATH_NOT_FOUND},
    };
    for (const Case &c : cases) {
        SetLastError(0);
        EXPECT_EQ(FindFirstFileA(c.pattern.c_str(), &data), INVALID_HANDLE_VALUE) << c.pattern;
        EXPECT_EQ(GetLastError(), c.error) << c.pattern;
    }
    EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(FindFirstFileA("*", nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FileFindTest, OnlyALiveSearchIsContinuedOrClosed)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((dir_ + "/*.c").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(search));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));

    // Another kind of kernel object is no search, and FindClose leaves it open.
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(FindClose(event));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(event));
}

TEST_F(FileFindTest, ManyStarsDoNotTakeExponentialTime)
{
    EXPECT_EQ(Find(dir_ + "/*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"), Names{});
}

} // namespace
