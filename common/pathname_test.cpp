#include "pathname.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parts {
    const char *server, *drive, *directory, *fileName, *extension;
};

void ExpectParts(const CPathName &path, const Parts &parts, const char *context)
{
    EXPECT_STREQ(path.GetServer(), parts.server) << context;
    EXPECT_STREQ(path.GetDrive(), parts.drive) << context;
    EXPECT_STREQ(path.GetDirectory(), parts.directory) << context;
    EXPECT_STREQ(path.GetFileName(), parts.fileName) << context;
    EXPECT_STREQ(path.GetExtension(), parts.extension) << context;
}

TEST(PathNameTest, SetPathTakesTheTextApart)
{
    struct Case {
        const char *text;
        const char *path;
        Parts parts;
    } cases[] = {
        {"\"C:\\dir\\sub\\name.tar.gz\"", "C:\\dir\\sub\\name.tar.gz", {"", "C:", "\\dir\\sub\\", "name.tar", ".gz"}},
        {"\\\\server\\share\\file.c", nullptr, {"\\\\server", "", "\\share\\", "file", ".c"}},
        {"\\\\server", nullptr, {"\\\\server", "", "", "", ""}},
        {"C:", nullptr, {"", "C:", "", "", ""}},
        {"C:file.c", nullptr, {"", "C:", "", "file", ".c"}},
        {"dir\\", nullptr, {"", "", "dir\\", "", ""}},
        {"\\dir\\.profile", nullptr, {"", "", "\\dir\\", ".profile", ""}}, // a leading dot belongs to the name
        {"\\dir\\.a.b", nullptr, {"", "", "\\dir\\", ".a", ".b"}},
        {"name.", nullptr, {"", "", "", "name", "."}},
        {"a.b\\c", nullptr, {"", "", "a.b\\", "c", ""}},  // dots in the directory do not count
        {"\"quoted", "quoted", {"", "", "", "quoted", ""}},
        // POSIX paths: '/' separates, and there is no server or drive.
        {"/home/user/prog.tar.elf", nullptr, {"", "", "/home/user/", "prog.tar", ".elf"}},
        {"//host/share/x", nullptr, {"", "", "//host/share/", "x", ""}},
        {"/", nullptr, {"", "", "/", "", ""}},
        {"", nullptr, {"", "", "", "", ""}},
    };
    for (const Case &c : cases) {
        CPathName path;
        path.SetPath(c.text);
        EXPECT_STREQ(path.GetPath(), c.path != nullptr ? c.path : c.text) << c.text;
        ExpectParts(path, c.parts, c.text);
    }
}

TEST(PathNameTest, ALongTextIsCutTo260Characters)
{
    CPathName path;
    path.SetPath(std::string(400, 'x').c_str());
    EXPECT_EQ(strlen(path.GetPath()), 260u);
    path.SetExtension("ext");
    EXPECT_EQ(strlen(path.GetPath()), 260u);
    path.SetPath(nullptr);
    EXPECT_STREQ(path.GetPath(), "");
}

// One operation on a path, and the text it gives.
struct Edit {
    const char *before;
    void (*apply)(CPathName &);
    const char *after;
};

TEST(PathNameTest, EachSetterReplacesOnePart)
{
    Edit edits[] = {
        {"C:\\a\\b\\f.c", [](CPathName &p) { p.GoUp(); }, "C:\\a\\f.c"},
        {"C:\\a\\f.c", [](CPathName &p) { p.GoUp(); }, "C:\\f.c"},
        {"C:\\f.c", [](CPathName &p) { p.GoUp(); }, "C:\\f.c"},           // the root stays
        {"a\\f.c", [](CPathName &p) { p.GoUp(); }, "f.c"},                // a relative directory goes
        {"C:\\x\\f.c", [](CPathName &p) { p.SetExtension("txt"); }, "C:\\x\\f.txt"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetExtension(".h"); }, "C:\\x\\f.h"},
        {"C:\\x\\f", [](CPathName &p) { p.SetExtension("c"); }, "C:\\x\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetFileName("g"); }, "C:\\x\\g.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetFileNameAndExtension("g.h"); }, "C:\\x\\g.h"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetDrive("D"); }, "D:\\x\\f.c"},
        {"\\\\srv\\x\\f.c", [](CPathName &p) { p.SetDrive("D"); }, "D:\\x\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetServer("srv"); }, "\\\\srv\\x\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetDirectory("y"); }, "C:\\y\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetDirectory("\\y\\z\\"); }, "C:\\y\\z\\f.c"},
        {"f.c", [](CPathName &p) { p.SetDirectory("y"); }, "\\y\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetDriveAndDirectory("D:\\out"); }, "D:\\out\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.SetDriveAndDirectory("D:\\out\\"); }, "D:\\out\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.AppendDirectory("\\sub"); }, "C:\\x\\sub\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.AppendDirectory("sub\\"); }, "C:\\x\\sub\\f.c"},
        {"C:\\x\\f.c", [](CPathName &p) { p.AppendRelative("\\y\\g.h"); }, "C:\\x\\y\\g.h"},
        {"\\\\srv\\x\\f.c", [](CPathName &p) { p.SetFileName("g"); }, "\\\\srv\\x\\g.c"},
    };
    for (const Edit &e : edits) {
        CPathName path;
        path.SetPath(e.before);
        e.apply(path);
        EXPECT_STREQ(path.GetPath(), e.after) << e.before;
    }
}

TEST(PathNameTest, APosixPathPassesThroughWithSlashes)
{
    Edit edits[] = {
        {"/a/b/f.c", [](CPathName &p) { p.GoUp(); }, "/a/f.c"},
        {"/a/f.c", [](CPathName &p) { p.GoUp(); }, "/f.c"},
        {"/f.c", [](CPathName &p) { p.GoUp(); }, "/f.c"},
        {"/a/b/f.c", [](CPathName &p) { p.SetExtension("o"); }, "/a/b/f.o"},
        {"/a/b/f.c", [](CPathName &p) { p.SetFileName("main"); }, "/a/b/main.c"},
        {"/a/b/f.c", [](CPathName &p) { p.SetDirectory("x/y"); }, "/x/y/f.c"},
        {"/a/b/f.c", [](CPathName &p) { p.AppendDirectory("sub"); }, "/a/b/sub/f.c"},
        {"/a/b/f.c", [](CPathName &p) { p.AppendRelative("../g.h"); }, "/a/b/../g.h"},
        {"/a/b/f.c", [](CPathName &p) { p.SetDriveAndDirectory("/tmp/db"); }, "/tmp/db/f.c"},
        {"f.c", [](CPathName &p) { p.SetDriveAndDirectory("/tmp"); }, "/tmp/f.c"},
        {"f.c", [](CPathName &p) { p.SetDirectory("/var/lib"); }, "/var/lib/f.c"},
    };
    for (const Edit &e : edits) {
        CPathName path;
        path.SetPath(e.before);
        e.apply(path);
        EXPECT_STREQ(path.GetPath(), e.after) << e.before;
    }
}

TEST(PathNameTest, AppendRelativeRefusesAPathTooLong)
{
    CPathName path;
    path.SetPath("C:\\x\\f.c");
    EXPECT_FALSE(path.AppendRelative(std::string(256, 'y').c_str()));
    EXPECT_STREQ(path.GetPath(), "C:\\x\\f.c");
    EXPECT_TRUE(path.AppendRelative(std::string(255, 'y').c_str())); // "C:\\x\\" and 255 make 260
    EXPECT_EQ(strlen(path.GetPath()), 260u);
}

TEST(PathNameTest, DriveAndDirectoryWithOrWithoutTheTrailingSeparator)
{
    struct Case {
        const char *path;
        BOOL without;
        const char *text;
    } cases[] = {
        {"C:\\a\\f.c", FALSE, "C:\\a\\"},
        {"C:\\a\\f.c", TRUE, "C:\\a"},
        {"\\\\srv\\a\\f.c", FALSE, "\\\\srv\\a\\"},
        {"/home/u/f.c", TRUE, "/home/u"},
        {"f.c", FALSE, ""},
    };
    for (const Case &c : cases) {
        CPathName path;
        path.SetPath(c.path);
        char out[64] = "old";
        EXPECT_TRUE(path.GetDriveAndDirectory(out, sizeof out, c.without));
        EXPECT_STREQ(out, c.text) << c.path;
    }
    CPathName path;
    path.SetPath("C:\\abcdef\\f.c");
    char small[5];
    path.GetDriveAndDirectory(small, sizeof small, FALSE);
    EXPECT_STREQ(small, "C:\\a"); // cut to fit, terminated
}

TEST(PathNameTest, ACopyHasPartsOfItsOwn)
{
    CPathName original;
    original.SetPath("C:\\a\\f.c");
    CPathName copy(original);
    original.SetPath("\\\\srv\\b\\g.h");
    EXPECT_STREQ(copy.GetPath(), "C:\\a\\f.c");
    EXPECT_STREQ(copy.GetDirectory(), "\\a\\");
    copy = original;
    EXPECT_STREQ(copy.GetServer(), "\\\\srv");
    original.Clear();
    EXPECT_STREQ(copy.GetFileName(), "g");
    ExpectParts(original, {"", "", "", "", ""}, "cleared");
}

} // namespace
