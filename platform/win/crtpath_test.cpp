#include "crtpath.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

struct Parts {
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    explicit Parts(const char *path) { _splitpath(path, drive, dir, fname, ext); }
};

std::string Cwd()
{
    char buffer[4096];
    EXPECT_NE(getcwd(buffer, sizeof buffer), nullptr);
    return buffer;
}

std::string Full(const char *path)
{
    char buffer[4096];
    char *result = _fullpath(buffer, path, sizeof buffer);
    return result != nullptr ? result : "<null>";
}

} // namespace

TEST(SplitPath, PosixPathHasNoDrive)
{
    Parts p("/home/user/prog.tar.elf");
    EXPECT_STREQ(p.drive, "");
    EXPECT_STREQ(p.dir, "/home/user/");
    EXPECT_STREQ(p.fname, "prog.tar");
    EXPECT_STREQ(p.ext, ".elf");
}

TEST(SplitPath, BothSeparatorsSplit)
{
    Parts p("work\\src/main.c");
    EXPECT_STREQ(p.dir, "work\\src/");
    EXPECT_STREQ(p.fname, "main");
    EXPECT_STREQ(p.ext, ".c");
}

TEST(SplitPath, WindowsFormTextKeepsItsDrive)
{
    Parts p("C:\\dir\\sub\\name.out");
    EXPECT_STREQ(p.drive, "C:");
    EXPECT_STREQ(p.dir, "\\dir\\sub\\");
    EXPECT_STREQ(p.fname, "name");
    EXPECT_STREQ(p.ext, ".out");
}

TEST(SplitPath, MissingPartsAreEmpty)
{
    Parts bare("name");
    EXPECT_STREQ(bare.dir, "");
    EXPECT_STREQ(bare.fname, "name");
    EXPECT_STREQ(bare.ext, "");
    Parts dirOnly("/a.b/");
    EXPECT_STREQ(dirOnly.dir, "/a.b/");
    EXPECT_STREQ(dirOnly.fname, "");
    EXPECT_STREQ(dirOnly.ext, "") << "a dot in the directory is no extension";
}

TEST(SplitPath, OutputsMayBeNull)
{
    char ext[_MAX_EXT];
    _splitpath("/x/y.z", nullptr, nullptr, nullptr, ext);
    EXPECT_STREQ(ext, ".z");
}

TEST(SplitPath, OverlongPartIsCutToItsBuffer)
{
    std::string longName = "/d/" + std::string(400, 'n') + ".e";
    errno = 0;
    Parts p(longName.c_str());
    EXPECT_EQ(strlen(p.fname), static_cast<size_t>(_MAX_FNAME - 1));
    EXPECT_STREQ(p.ext, ".e");
    EXPECT_EQ(errno, ERANGE);
}

TEST(FullPath, AbsolutePathIsNormalisedLexically)
{
    EXPECT_EQ(Full("/a/./b//c/../d"), "/a/b/d");
    EXPECT_EQ(Full("\\a\\b\\..\\c"), "/a/c");
    EXPECT_EQ(Full("/../.."), "/");
    EXPECT_EQ(Full("/a/b/"), "/a/b/") << "a trailing separator stays";
}

TEST(FullPath, RelativePathIsTakenAgainstTheCurrentDirectory)
{
    std::string cwd = Cwd();
    EXPECT_EQ(Full("x/y.mdb"), (cwd == "/" ? "" : cwd) + "/x/y.mdb");
    EXPECT_EQ(Full("."), cwd);
    EXPECT_EQ(Full(""), cwd);
    EXPECT_EQ(Full(nullptr), cwd);
}

TEST(FullPath, TooSmallBufferFails)
{
    char buffer[5];
    errno = 0;
    EXPECT_EQ(_fullpath(buffer, "/abcd", sizeof buffer), nullptr);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_EQ(_fullpath(buffer, "/abc", sizeof buffer), buffer);
}

TEST(FullPath, NullBufferIsAllocated)
{
    char *result = _fullpath(nullptr, "/p/q/../r", 0);
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, "/p/r");
    free(result);
}
