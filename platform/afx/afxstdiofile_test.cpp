#include "afxstdiofile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class CStdioFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "qelafx_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = (m_dir + "/watch.wat").c_str();
    }
    void TearDown() override
    {
        std::string command = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    std::string m_dir;
    CString m_path;
};

TEST_F(CStdioFileTest, WritesAndReadsLines)
{
    {
        CStdioFile file(m_path, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite | CFile::typeText);
        file.WriteString(";qelvane - watch file\n");
        file.WriteString("\nlast without end");
    }
    CStdioFile file(m_path, CFile::modeRead);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, ";qelvane - watch file");
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "last without end");
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST_F(CStdioFileTest, ReadsWindowsLineEndsInTextModeAndLongLines)
{
    CString longLine('x', 1000);
    {
        CStdioFile file(m_path, CFile::modeCreate | CFile::modeWrite);
        file.WriteString("a\r\n");
        file.WriteString(longLine + "\r\n");
        file.WriteString("b\r\n");
    }
    CStdioFile file(m_path, CFile::modeRead);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "a");
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, longLine);
    char buffer[8];
    ASSERT_NE(file.ReadString(buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "b\n");
    EXPECT_EQ(file.ReadString(buffer, sizeof buffer), nullptr);

    CStdioFile binary(m_path, CFile::modeRead | CFile::typeBinary);
    ASSERT_TRUE(binary.ReadString(line));
    EXPECT_EQ(line, "a\r");
}

TEST_F(CStdioFileTest, BufferReadsAreCutToTheBuffer)
{
    CStdioFile(m_path, CFile::modeCreate | CFile::modeWrite).WriteString("abcdef\n");
    CStdioFile file(m_path, CFile::modeRead);
    char buffer[4];
    ASSERT_NE(file.ReadString(buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "abc");
    ASSERT_NE(file.ReadString(buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "def");
}

TEST_F(CStdioFileTest, LinesKeepZeroBytesAndTinyBuffersEndTheRead)
{
    {
        CStdioFile out(m_path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        out.Write("a\0b\nc\n", 6);
    }
    CStdioFile file(m_path, CFile::modeRead);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    ASSERT_EQ(line.GetLength(), 3);
    EXPECT_EQ(line[2], 'b');
    char one[1] = {'x'};
    EXPECT_EQ(file.ReadString(one, sizeof one), nullptr);
    EXPECT_EQ(one[0], '\0');
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "c");
    EXPECT_FALSE(file.ReadString(line));
}

TEST_F(CStdioFileTest, KeptFilesAreWrittenAtTheirEnd)
{
    CStdioFile(m_path, CFile::modeCreate | CFile::modeWrite).WriteString("one\n");
    {
        CStdioFile file(m_path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        file.WriteString("two\n");
        EXPECT_EQ(file.GetLength(), 8u);
    }
    CStdioFile file(m_path, CFile::modeRead);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 8u);
    EXPECT_STREQ(buffer, "one\ntwo\n");
    EXPECT_EQ(file.Seek(4, CFile::begin), 4u);
    EXPECT_EQ(file.GetPosition(), 4u);
}

TEST_F(CStdioFileTest, BindsToStandardOutputWithoutClosingIt)
{
    {
        CStdioFile out(stdout);
        out.WriteString("");
        out.Flush();
        EXPECT_EQ(out.m_pStream, stdout);
    }
    EXPECT_NE(fflush(stdout), EOF); // still open
    CStdioFile err(stderr);
    err.Close();
    EXPECT_NE(fputs("", stderr), EOF);
}

TEST_F(CStdioFileTest, OpenFailsWithTheCause)
{
    CStdioFile file;
    CFileException error;
    EXPECT_FALSE(file.Open((m_dir + "/none/x").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
}

} // namespace
