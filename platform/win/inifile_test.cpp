#include <windows.h>

#include <testing/tempfolder.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

namespace {

class IniFile : public TempFolder {
protected:
    void SetUp() override
    {
        TempFolder::SetUp();
        path_ = PathOf("project.ini");
    }

    void WriteFile(const std::string &bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string ReadFile() const { return Contents(path_); }
    std::string Get(const char *section, const char *key, const char *defaultText = "(default)", DWORD size = 256)
    {
        char buffer[256] = "untouched";
        DWORD length = GetPrivateProfileStringA(section, key, defaultText, buffer, size, path_.c_str());
        EXPECT_EQ(length, strlen(buffer));
        return buffer;
    }

    std::string path_;
};

TEST_F(IniFile, ReadsAFileWrittenByHandAsThePlatformDoes)
{
    WriteFile("; comment = not a key\r\n"
              "outside=before any section\n"
              "[Tools]\n"
              "  Path =  C:\\x32\\x32.exe  \r\n"
              "Quoted=\"  spaced  \"\n"
              "Single='one'\n"
              "Half=\"open\n"
              "Empty=\n"
              "no equals sign here\n"
              "Twice=first\n"
              "TWICE=second\n"
              "[tools]\n"
              "Other=from the second section\n"
              "[Last]\n"
              "End=no line end");
    struct Case {
        const char *section, *key, *expected;
    } cases[] = {
        {"Tools", "Path", "C:\\x32\\x32.exe"},
        {"TOOLS", "path", "C:\\x32\\x32.exe"}, // sections and keys blind to case
        {"Tools", "Quoted", "  spaced  "},     // one pair of quotes dropped, what is inside kept
        {"Tools", "Single", "one"},
        {"Tools", "Half", "\"open"},
        {"Tools", "Empty", ""},
        {"Tools", "twice", "first"},
        {"Tools", "Other", "(default)"}, // only the first of two equal sections is read
        {"Tools", "no equals sign here", "(default)"},
        {"Tools", "; comment", "(default)"},
        {"Last", "End", "no line end"},
        {"Missing", "Path", "(default)"},
        {"Tools", "Missing", "(default)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Get(c.section, c.key), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(Get("Tools", "Missing", nullptr), "");
}

TEST_F(IniFile, CutsTheAnswerToTheBufferAndAlwaysEndsIt)
{
    WriteFile("[S]\nKey=abcdef\n");
    EXPECT_EQ(Get("S", "Key", "", 4), "abc");
    EXPECT_EQ(Get("S", "Key", "", 7), "abcdef");
    EXPECT_EQ(Get("S", "None", "defaults", 4), "def");
    char buffer[4] = "xyz";
    EXPECT_EQ(GetPrivateProfileStringA("S", "Key", "", buffer, 1, path_.c_str()), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(IniFile, AMissingFileReadsAsEmptyAndTheFirstWriteMakesIt)
{
    EXPECT_EQ(Get("S", "Key"), "(default)");
    EXPECT_TRUE(WritePrivateProfileStringA("S", "Key", "value", path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("T", "Other", "2", path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("S", "Second", "3", path_.c_str()));
    EXPECT_EQ(ReadFile(), "[S]\r\nKey=value\r\nSecond=3\r\n[T]\r\nOther=2\r\n");
    // Deleting from a missing file makes none.
    std::filesystem::remove(path_);
    EXPECT_TRUE(WritePrivateProfileStringA("S", nullptr, nullptr, path_.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(IniFile, AWriteChangesItsOwnLineAndKeepsEveryOtherAsItStood)
{
    const std::string head = "; made by hand\n[First]\nA = 1\r\n  ; about B\nB=2\n\n";
    WriteFile(head + "[Second]\nC=3\nodd line\n\n[first]\nB=hidden\n");
    EXPECT_TRUE(WritePrivateProfileStringA("FIRST", "b", "two", path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Second", "D", "4", path_.c_str()));
    EXPECT_EQ(ReadFile(), "; made by hand\n[First]\nA = 1\r\n  ; about B\nb=two\r\n\n"
                          "[Second]\nC=3\nodd line\nD=4\r\n\n[first]\nB=hidden\n");
    EXPECT_EQ(Get("First", "B"), "two");

    EXPECT_TRUE(WritePrivateProfileStringA("First", "A", nullptr, path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Second", nullptr, nullptr, path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("None", "A", nullptr, path_.c_str()));
    EXPECT_EQ(ReadFile(), "; made by hand\n[First]\n  ; about B\nb=two\r\n\n[first]\nB=hidden\n");
    EXPECT_EQ(Get("First", "A"), "(default)");
    EXPECT_EQ(Get("Second", "C"), "(default)");
}

TEST_F(IniFile, RefusesWhatCouldNotBeReadBackAndChangesNothing)
{
    WriteFile("[S]\nKey=old\n");
    struct Case {
        const char *section, *key, *value;
    } cases[] = {
        {"S", "Key", "two\r\nlines"}, {"S", "K=ey", "v"}, {"S", "", "v"},     {"S", "[Key]", "v"},
        {"S", ";Key", "v"},           {"S]", "Key", "v"}, {"S\n", "Key", "v"}, {nullptr, "Key", "v"},
    };
    for (const Case &c : cases) {
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, path_.c_str())) << c.key;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(ReadFile(), "[S]\nKey=old\n");
}

TEST_F(IniFile, AFailedWriteLeavesTheOldFileWhole)
{
    WriteFile("[S]\nKey=old\n");
    // A file-size limit stops the write part way, as a full disk would.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 64;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    BOOL written = WritePrivateProfileStringA("S", "Key", std::string(100, 'n').c_str(), path_.c_str());
    DWORD error = GetLastError();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_NE(error, 0u);
    EXPECT_EQ(ReadFile(), "[S]\nKey=old\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1);
}

TEST_F(IniFile, PythonsConfigParserReadsTheWrittenFileWithTheSameValues)
{
    if (system("python3 -c 'import configparser' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no python3";
    EXPECT_TRUE(WritePrivateProfileStringA("Tool", "Path", "/opt/x32/bin/x32", path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Tool", "Kind", "1", path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Brennet.Setup", "Number", "1Fh", path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Tool", "Kind", "2", path_.c_str()));
    std::string command = "python3 -c \"import configparser,sys; c=configparser.ConfigParser(interpolation=None); "
                          "c.read(sys.argv[1]); print(c['Tool']['path'], c['Tool']['kind'], "
                          "c['Brennet.Setup']['number'])\" " +
                          path_;
    FILE *python = popen(command.c_str(), "r");
    ASSERT_NE(python, nullptr);
    char line[256] = "";
    ASSERT_NE(fgets(line, sizeof line, python), nullptr);
    EXPECT_EQ(pclose(python), 0);
    EXPECT_STREQ(line, "/opt/x32/bin/x32 2 1Fh\n");
}

} // namespace
