#include "afxfile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "qelafx_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::string command = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    CString Path(const char *name) const { return CString((m_dir + "/" + name).c_str()); }
    std::string m_dir;
};

TEST_F(CFileTest, WritesReadsSeeksAndSizes)
{
    CString path = Path("data.bin");
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        file.Write("hello world", 11);
        EXPECT_EQ(file.GetPosition(), 11u);
        EXPECT_EQ(file.GetLength(), 11u);
        file.Close();
    }
    CFile file;
    CFileException error;
    ASSERT_TRUE(file.Open(path, CFile::modeReadWrite | CFile::shareDenyNone, &error));
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 5), 5u);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(file.Seek(-5, CFile::end), 6u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 5u); // short only at the end
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    file.SeekToBegin();
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.SeekToEnd(), 11u);
    file.SetLength(4);
    EXPECT_EQ(file.GetLength(), 4u);
    file.Flush();
    EXPECT_EQ(file.GetFilePath(), path);
    EXPECT_EQ(file.GetFileName(), "data.bin");
}

TEST_F(CFileTest, CreateTruncatesUnlessToldNotTo)
{
    CString path = Path("keep.txt");
    CFile(path, CFile::modeCreate | CFile::modeWrite).Write("abc", 3);
    {
        CFile kept(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeRead);
        EXPECT_EQ(kept.GetLength(), 3u);
    }
    CFile emptied(path, CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(emptied.GetLength(), 0u);
}

TEST_F(CFileTest, OpenReportsTheCauseAndTheConstructorThrowsIt)
{
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(Path("missing"), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ENOENT);
    EXPECT_EQ(error.m_strFileName, Path("missing"));
    EXPECT_FALSE(file.Open(Path("missing/below"), CFile::modeCreate | CFile::modeWrite));
    try {
        CFile thrown(Path("missing"), CFile::modeRead);
        ADD_FAILURE() << "no exception";
    } catch (CFileException *e) {
        EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
        e->Delete();
    }
}

TEST_F(CFileTest, RenamesAndRemovesFilesOrThrows)
{
    CString a = Path("a"), b = Path("b");
    CFile(a, CFile::modeCreate | CFile::modeWrite).Close();
    CFile::Rename(a, b);
    CFileStatus status;
    EXPECT_FALSE(CFile::GetStatus(a, status));
    EXPECT_TRUE(CFile::GetStatus(b, status));
    CFile::Remove(b);
    EXPECT_FALSE(CFile::GetStatus(b, status));
    try {
        CFile::Remove(b);
        ADD_FAILURE() << "no exception";
    } catch (CFileException *e) {
        EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
        EXPECT_EQ(e->m_strFileName, b);
        e->Delete();
    }
}

TEST_F(CFileTest, StatusGivesSizeAttributesAndTheFullPath)
{
    CString path = Path("s.dat");
    CFile(path, CFile::modeCreate | CFile::modeWrite).Write("12345", 5);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_EQ(status.m_size, 5u);
    EXPECT_EQ(status.m_attribute, CFile::normal);
    EXPECT_STREQ(status.m_szFullName, path);
    EXPECT_GT(status.m_mtime.GetYear(), 2000);
    EXPECT_GT(status.m_ctime.GetTime(), 0);

    // A relative name gives the absolute path, normalised.
    char *cwd = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(m_dir.c_str()), 0);
    CFileStatus relative;
    bool found = CFile::GetStatus("./x/../s.dat", relative) != FALSE;
    ASSERT_EQ(chdir(cwd), 0);
    free(cwd);
    // "x" does not exist, so the name is not a path to the file.
    EXPECT_FALSE(found);
    ASSERT_EQ(mkdir((m_dir + "/x").c_str(), 0755), 0);
    ASSERT_EQ(chdir(m_dir.c_str()), 0);
    found = CFile::GetStatus("./x/../s.dat", relative) != FALSE;
    EXPECT_EQ(chdir("/"), 0);
    ASSERT_TRUE(found);
    EXPECT_STREQ(relative.m_szFullName, path);

    ASSERT_TRUE(CFile::GetStatus(CString(m_dir.c_str()), status));
    EXPECT_EQ(status.m_attribute & CFile::directory, CFile::directory);
    chmod(path, 0444);
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_EQ(status.m_attribute & CFile::readOnly, CFile::readOnly);
}

TEST_F(CFileTest, StatusTakesPathsLongerThanWindowsAllowed)
{
    std::string deep = m_dir;
    for (int level = 0; level < 6; ++level) {
        deep += "/" + std::string(60, static_cast<char>('a' + level));
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    CString path = (deep + "/s.dat").c_str();
    CFile file(path, CFile::modeCreate | CFile::modeWrite);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_STREQ(status.m_szFullName, path);
    ASSERT_TRUE(file.GetStatus(status));
    EXPECT_STREQ(status.m_szFullName, path);
}

TEST_F(CFileTest, ModificationTimesOfTwoWritesWithinASecondDiffer)
{
    CString path = Path("program.elf");
    CFile(path, CFile::modeCreate | CFile::modeWrite).Write("one", 3);
    CFileStatus first;
    ASSERT_TRUE(CFile::GetStatus(path, first));
    CFileStatus second = first;
    // Rewrites until the file system shows a new time; a coarse clock may need a few.
    for (int i = 0; i < 1000 && second.m_mtime == first.m_mtime; ++i) {
        usleep(1000);
        CFile(path, CFile::modeCreate | CFile::modeWrite).Write("two", 3);
        ASSERT_TRUE(CFile::GetStatus(path, second));
    }
    EXPECT_TRUE(first.m_mtime < second.m_mtime);
    EXPECT_LE(second.m_mtime.GetTime() - first.m_mtime.GetTime(), 1);
}

TEST_F(CFileTest, MemberStatusDescribesTheOpenFile)
{
    CString path = Path("open.dat");
    CFile file(path, CFile::modeCreate | CFile::modeReadWrite);
    file.Write("xy", 2);
    CFileStatus status;
    ASSERT_TRUE(file.GetStatus(status));
    EXPECT_EQ(status.m_size, 2u);
    EXPECT_STREQ(status.m_szFullName, path);
    file.Abort();
    EXPECT_FALSE(file.GetStatus(status));
    file.Abort(); // twice is harmless
}

} // namespace
