#include "sourcepaths.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const char kFilter[] = "Source Files (*.c;*.cpp;*.h;*.a66;*.asm%s)|*.c;*.cpp;*.h;*.a66;*.asm%s|All Files (*.*)|*.*||";

class SourcePaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelsourcesXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "src" / "sub");
        std::ofstream(root_ / "src" / "main.c") << "int main(void) { return 0; }\n";
        std::ofstream(root_ / "src" / "sub" / "util.c") << "\n";
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Root() const { return root_.string(); }
    std::string Resolved(const std::string &name, const std::string &base) const
    {
        return static_cast<LPCSTR>(ResolveSourcePath(name.c_str(), base.c_str()));
    }

    fs::path root_;
};

TEST_F(SourcePaths, ANameIsResolvedAgainstTheBasesDirectoryUnlessItHasOneOfItsOwn)
{
    const std::string main = Root() + "/src/main.c";
    const std::string base = static_cast<LPCSTR>(SourceRootBase(Root().c_str()));
    EXPECT_EQ(base, Root() + "/c.c");
    EXPECT_EQ(SourceRootBase((Root() + "/").c_str()), CString((Root() + "/c.c").c_str())) << "no second separator";

    struct Case {
        std::string name, base, expected;
    } cases[] = {
        {"src/main.c", base, main},                          // relative, POSIX
        {"src\\main.c", base, main},                         // relative, Windows' separators
        {"./src/sub/../main.c", base, main},                 // normalised
        {"main.c", Root() + "/src/any.elf", main},           // beside the program
        {"sub/util.c", Root() + "/src/", Root() + "/src/sub/util.c"},
        {main, "/elsewhere/c.c", main},                      // its own directory
        {"/src/main.c", base, "/src/main.c"},                // rooted: the base is not used
        {"\\src\\main.c", base, "\\src\\main.c"},
        {"src/missing.c", base, "src/missing.c"},            // not there: the name as it was
        {"src/", base, "src/"},                              // no file part
        {"src/sub", base, "src/sub"},                        // a directory is no source
        {"src/main.c", "", "src/main.c"},                    // no place to look
        {"src/main.c", "relative/c.c", "src/main.c"},
        {"c:\\src\\main.c", base, "c:\\src\\main.c"},        // Windows' form keeps its rules
        {"src\\main.c", "c:\\work\\c.c", "src\\main.c"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Resolved(c.name, c.base), c.expected) << c.name << " against " << c.base;

    EXPECT_EQ(SourceRootBase("c:\\work"), CString("c:\\work\\c.c"));
    EXPECT_EQ(SourceRootBase("\\\\server\\src"), CString("\\\\server\\src\\c.c"));
    EXPECT_EQ(SourceRootBase(""), CString("c.c"));

    // No buffer limits a path.
    std::string deep = Root();
    for (int level = 0; level < 4; ++level)
        deep += "/" + std::string(200, 'd');
    fs::create_directories(deep);
    std::ofstream(deep + "/long.c") << "\n";
    EXPECT_EQ(Resolved("long.c", deep + "/c.c"), deep + "/long.c");
}

TEST_F(SourcePaths, TheFilterGainsTheNamesExtensionOnlyWhenItHasNoneLikeIt)
{
    auto filter = [](const char *name) { return std::string(static_cast<LPCSTR>(SourceFileFilter(kFilter, name))); };
    const std::string plain = "Source Files (*.c;*.cpp;*.h;*.a66;*.asm)|*.c;*.cpp;*.h;*.a66;*.asm|All Files (*.*)|*.*||";
    EXPECT_EQ(filter("main.c"), plain);
    EXPECT_EQ(filter("SRC\\MAIN.H"), plain) << "lower case";
    EXPECT_EQ(filter("main"), plain);
    EXPECT_EQ(filter("dir.d/main"), plain) << "a point of the directory is no extension";
    EXPECT_EQ(filter("main."), plain);
    EXPECT_EQ(filter("start.ABS"), "Source Files (*.c;*.cpp;*.h;*.a66;*.asm;*.abs)|*.c;*.cpp;*.h;*.a66;*.asm;*.abs|"
                                   "All Files (*.*)|*.*||");
    EXPECT_EQ(filter("x.cp"), "Source Files (*.c;*.cpp;*.h;*.a66;*.asm;*.cp)|*.c;*.cpp;*.h;*.a66;*.asm;*.cp|"
                              "All Files (*.*)|*.*||");
    for (const char *breaking : {"a.c|x", "a.c;x", "a.%s%n"})
        EXPECT_EQ(filter(breaking), plain) << breaking;
}

TEST_F(SourcePaths, AFileFoundIsKnownWithoutTheDiskUntilTheCacheIsCleared)
{
    const std::string main = Root() + "/src/main.c";
    CKnownSourceFiles known;
    EXPECT_FALSE(known.Exists("src/main.c")) << "relative to no directory";
    EXPECT_FALSE(known.Exists(""));
    ASSERT_TRUE(known.Exists(main.c_str()));
    fs::remove(main);
    EXPECT_TRUE(known.Exists(main.c_str()));
    EXPECT_FALSE(known.Exists((Root() + "/src//main.c").c_str())) << "only the very path is known";
    known.Remember("src/main.c", main.c_str());
    CString where;
    ASSERT_TRUE(known.Lookup("src/main.c", where));
    EXPECT_EQ(std::string(static_cast<LPCSTR>(where)), main);
    EXPECT_FALSE(known.Lookup("SRC/MAIN.C", where));
    known.Clear();
    EXPECT_FALSE(known.Exists(main.c_str()));
    EXPECT_FALSE(known.Lookup("src/main.c", where));
    EXPECT_EQ(known.Count(), 0u);
}

} // namespace
