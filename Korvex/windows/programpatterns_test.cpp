// The list of loaded program files: which load counts as the same file again, and which
// id a new program gets when others stay loaded.
#include "programpatterns.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ProgramPatterns : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelpatternsXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        for (const char *name : {"a.elf", "A.elf", "b.elf", "c.elf", "d.elf", "e.elf"})
            unlink(Path(name).c_str());
        rmdir(dir_.c_str());
    }

    std::string Path(const char *name) const { return dir_ + "/" + name; }

    // A file written with the last-write time `seconds`.
    std::string Write(const char *name, long seconds)
    {
        std::string path = Path(name);
        FILE *file = fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file) {
            fputs(name, file);
            fclose(file);
        }
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }

    std::string dir_;
};

TEST_F(ProgramPatterns, AFileCountsAsLoadedWhileItIsUnchangedAndNamedExactly)
{
    CProgramPatterns patterns;
    std::string a = Write("a.elf", 1000);
    Write("A.elf", 1000);
    patterns.Register(a.c_str(), -3);
    ASSERT_EQ(patterns.Entries().GetSize(), 1);
    EXPECT_EQ(patterns.Entries()[0].programId, 3) << "kept as its absolute value";
    EXPECT_EQ(patterns.Entries()[0].keep, 1);

    EXPECT_EQ(patterns.FindUnchanged(a.c_str()), 0);
    patterns.Register(a.c_str(), 0);
    EXPECT_EQ(patterns.Entries().GetSize(), 1) << "the same file again is the program it was";
    EXPECT_EQ(patterns.FindUnchanged(Path("A.elf").c_str()), -1) << "another file on Linux";

    Write("a.elf", 2000);
    EXPECT_EQ(patterns.FindUnchanged(a.c_str()), -1) << "written since";
    patterns.Register(a.c_str(), 4);
    EXPECT_EQ(patterns.Entries().GetSize(), 2);

    patterns.Register(Path("none.elf").c_str(), 5);
    EXPECT_EQ(patterns.Entries().GetSize(), 2) << "a file that is not there is not recorded";
}

// Loading A, B, C, then D dropping A and B, then E: counting the entries would give E the
// id that C still holds.
TEST_F(ProgramPatterns, ANewProgramTakesTheSmallestIdThatNoKeptProgramHolds)
{
    CProgramPatterns patterns;
    EXPECT_EQ(patterns.FreeId(), 1);
    LONG id = 1;
    for (const char *name : {"a.elf", "b.elf", "c.elf"}) {
        patterns.Register(Write(name, 1000).c_str(), id);
        id = patterns.FreeId();
    }
    EXPECT_EQ(id, 4);
    patterns.Entries().ElementAt(0).keep = 0;
    patterns.Entries().ElementAt(1).keep = 0;
    std::vector<LONG> dropped = patterns.RemoveDropped();
    EXPECT_EQ(dropped, (std::vector<LONG>{1, 2}));
    ASSERT_EQ(patterns.Entries().GetSize(), 1);
    EXPECT_EQ(patterns.Entries()[0].programId, 3);
    EXPECT_EQ(patterns.FreeId(), 1);
    patterns.Register(Write("d.elf", 1000).c_str(), 1);
    EXPECT_EQ(patterns.FreeId(), 2);
}

} // namespace
