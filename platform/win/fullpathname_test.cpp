#include "fullpathname.h"

#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string Cwd()
{
    char buffer[4096];
    EXPECT_NE(getcwd(buffer, sizeof buffer), nullptr);
    return buffer;
}

TEST(GetFullPathNameTest, GivesTheAbsolutePathNormalisedLexically)
{
    struct Case {
        const char *name;
        std::string full;
        const char *filePart;
    } cases[] = {
        {"/a/b/../c.txt", "/a/c.txt", "c.txt"},
        {"/a//b/./c", "/a/b/c", "c"},
        {"\\a\\b\\c.h", "/a/b/c.h", "c.h"},
        {"/a/b/", "/a/b/", nullptr},
        {"/", "/", nullptr},
        {"x.c", Cwd() + "/x.c", "x.c"},
    };
    for (const Case &c : cases) {
        char buffer[4096];
        LPSTR filePart = buffer;
        DWORD length = GetFullPathNameA(c.name, sizeof buffer, buffer, &filePart);
        EXPECT_EQ(std::string(buffer), c.full) << c.name;
        EXPECT_EQ(length, c.full.size()) << c.name;
        if (c.filePart == nullptr)
            EXPECT_EQ(filePart, nullptr) << c.name;
        else
            EXPECT_STREQ(filePart, c.filePart) << c.name;
    }
}

TEST(GetFullPathNameTest, AShortBufferGetsTheSizeNeededAndIsLeftAlone)
{
    char buffer[8];
    strcpy(buffer, "keep");
    EXPECT_EQ(GetFullPathNameA("/abc/def.c", sizeof buffer, buffer, nullptr), 11u); // 10 and the zero
    EXPECT_STREQ(buffer, "keep");
    char exact[11];
    EXPECT_EQ(GetFullPathNameA("/abc/def.c", sizeof exact, exact, nullptr), 10u);
    EXPECT_STREQ(exact, "/abc/def.c");
    EXPECT_EQ(GetFullPathNameA("/abc", 0, nullptr, nullptr), 5u);
}

TEST(GetFullPathNameTest, NoNameIsAnError)
{
    char buffer[64];
    SetLastError(0);
    EXPECT_EQ(GetFullPathNameA("", sizeof buffer, buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetFullPathNameA(nullptr, sizeof buffer, buffer, nullptr), 0u);
}

} // namespace
