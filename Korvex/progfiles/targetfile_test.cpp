#include "targetfile.h"

#include <debugserver.h>

#include "progfilepaths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using QelHost::CHostDebugServer;
using QelHost::HostDownloadBlock;

// A reader of every file whose first byte is 'Q'.
class CTestFile : public CQelTargetFile {
public:
    explicit CTestFile(DWORD programId = 1, IUnknown *host = nullptr) : CQelTargetFile(programId, host) {}
    int IsFileType(HANDLE file) override
    {
        char first = 0;
        DWORD read = 0;
        return ReadFile(file, &first, 1, &read, nullptr) && read == 1 && first == 'Q' ? 1 : 0;
    }
    using CQelTargetFile::GetView;
    using CQelTargetFile::GetViewSize;
};

// A folder of its own for each test, removed with everything in it.
class TargetFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/qeltargetXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
    }
    void TearDown() override { std::system(("rm -rf '" + m_folder + "'").c_str()); }

    std::string Write(const std::string &name, const std::string &contents)
    {
        std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }
    static std::string Read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_folder;
};

TEST_F(TargetFileTest, OpensAndMapsAFileOfItsFormat)
{
    std::string path = Write("prog.q", "Q-program");
    CTestFile file;
    ASSERT_TRUE(file.Open(path.c_str(), nullptr));
    EXPECT_STREQ(file.GetFilePath(), path.c_str());
    EXPECT_STREQ(file.GetFileName(), "prog.q");
    EXPECT_EQ(file.GetStoredFileSize(), 9u);
    EXPECT_NE(file.GetStoredFileTime()->dwLowDateTime | file.GetStoredFileTime()->dwHighDateTime, 0u);
    ASSERT_EQ(file.GetViewSize(), 9u);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(file.GetView()), 9), "Q-program");
    // The view is of a copy: the tool chain may replace the program meanwhile.
    Write("prog.q", "Q-rebuilt, longer");
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(file.GetView()), 9), "Q-program");
    file.Close();
    EXPECT_EQ(file.GetView(), nullptr);
}

TEST_F(TargetFileTest, AMissingOrForeignFileIsNotOpenedAndTheFailureSaysWhy)
{
    CTestFile file;
    std::string missing = m_folder + "/missing.q";
    EXPECT_FALSE(file.Open(missing.c_str(), nullptr));
    EXPECT_EQ(file.GetFailureStatus(), QEL_LOAD_FILE_ERROR);
    EXPECT_EQ(std::string(file.GetFailureText()),
              "The program file " + missing + " cannot be opened: The system cannot find the file specified.");
    std::string other = Write("other.bin", "ELF");
    EXPECT_FALSE(file.Open(other.c_str(), nullptr));
    EXPECT_EQ(file.GetFailureStatus(), QEL_LOAD_READER_FAILED);
    EXPECT_EQ(std::string(file.GetFailureText()),
              "The program file " + other + " cannot be read: it is not of this reader's format.");
    EXPECT_TRUE(file.GetFilePath().IsEmpty());
    EXPECT_TRUE(file.GetFileName().IsEmpty());
    EXPECT_EQ(file.GetStoredFileSize(), 0u);
    EXPECT_EQ(file.GetView(), nullptr);
    EXPECT_EQ(file.IsFileOfType((m_folder + "/other.bin").c_str()), 0);
    EXPECT_EQ(file.IsFileOfType(Write("good.q", "Q").c_str()), 1);
}

TEST_F(TargetFileTest, ATestsuitProgramIsDumpedBesideItself)
{
    std::string path = Write("TESTSUIT_1.elf", "Q");
    {
        CTestFile file;
        ASSERT_TRUE(file.Open(path.c_str(), nullptr));
        EXPECT_TRUE(file.IsDumping());
        file.DumpPrintf("line %d\n", 1);
        BYTE bytes[17];
        for (int i = 0; i < 17; ++i)
            bytes[i] = static_cast<BYTE>(i);
        file.DumpHex(0x100, bytes, 17);
        file.DumpHex(0x200, bytes, 16);
        file.DumpHex(0x300, bytes, 0);
        // Once flushed, the dump is complete before the reader closes.
        file.FlushDump();
        EXPECT_EQ(Read(m_folder + "/TESTSUIT_1.dmp"),
                  "line 1\n"
                  "    100h: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n"
                  "    110h: 10 \n"
                  "    200h: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n"
                  "\n"
                  "    300h: \n");
    }
    CTestFile plain;
    ASSERT_TRUE(plain.Open(Write("prog.q", "Q").c_str(), nullptr));
    EXPECT_FALSE(plain.IsDumping());
}

TEST_F(TargetFileTest, DumpTargetsAreStderrAFileOrTheProgramsDmp)
{
    std::string path = Write("prog.q", "Q");
    testing::internal::CaptureStderr();
    {
        CTestFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "STDERR"));
        file.DumpPrintf("to %s\n", "stderr");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
    {
        CTestFile file;
        ASSERT_TRUE(file.Open(path.c_str(), path.c_str()));
        file.DumpPrintf("beside\n");
    }
    EXPECT_EQ(Read(m_folder + "/prog.dmp"), "beside\n");
    {
        CTestFile file;
        ASSERT_TRUE(file.Open(path.c_str(), (m_folder + "/named.txt").c_str()));
        // A line longer than the formatting buffer is cut, never written past it.
        std::string longLine(10000, 'x');
        file.DumpPrintf("%s", longLine.c_str());
    }
    EXPECT_EQ(Read(m_folder + "/named.txt"), std::string(8191, 'x'));
    CTestFile file;
    std::string dump = m_folder + "/no/such/folder.dmp";
    EXPECT_FALSE(file.Open(path.c_str(), dump.c_str()));
    EXPECT_EQ(file.GetView(), nullptr) << "a failed open closes what it opened";
    EXPECT_TRUE(file.GetFilePath().IsEmpty());
    EXPECT_EQ(file.GetFailureStatus(), QEL_LOAD_FILE_ERROR);
    EXPECT_EQ(std::string(file.GetFailureText()),
              "The dump file " + dump + " cannot be created: No such file or directory.")
        << "the dump file is named, not the program";
}

TEST_F(TargetFileTest, ADumpThatCannotBeWrittenIsClosedWithTheReason)
{
    CTestFile file;
    ASSERT_TRUE(file.Open(Write("prog.q", "Q").c_str(), "/dev/full"));
    file.DumpPrintf("a line\n");
    EXPECT_TRUE(file.IsDumping()) << "what is written is collected first";
    file.Close();
    EXPECT_EQ(std::string(file.GetDumpError()), "The dump to /dev/full cannot be written: No space left on device.");

    // A dump larger than what is collected at once fails while it is written, and the
    // rest is not formatted any more.
    ASSERT_TRUE(file.Open((m_folder + "/prog.q").c_str(), "/dev/full"));
    EXPECT_TRUE(file.GetDumpError().IsEmpty()) << "each open starts afresh";
    const std::string line(1000, 'x');
    for (int i = 0; i < 100 && file.IsDumping(); ++i)
        file.DumpPrintf("%s\n", line.c_str());
    EXPECT_FALSE(file.IsDumping());
    EXPECT_FALSE(file.GetDumpError().IsEmpty());

    ASSERT_TRUE(file.Open((m_folder + "/prog.q").c_str(), (m_folder + "/good.dmp").c_str()));
    file.DumpPrintf("a line\n");
    file.Close();
    EXPECT_TRUE(file.GetDumpError().IsEmpty());
}

TEST_F(TargetFileTest, WhatWasDumpedBeforeACrashIsInTheDumpsOfEveryThread)
{
    std::string path = Write("prog.q", "Q");
    std::string crashing = m_folder + "/crashing.dmp", other = m_folder + "/other.dmp";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CTestFile file;
        if (!file.Open(path.c_str(), crashing.c_str()))
            _exit(1);
        file.DumpPrintf("dumped by the thread that crashes\n");
        std::promise<void> written;
        std::thread idle([&] {
            CTestFile otherFile;
            if (!otherFile.Open(path.c_str(), other.c_str()))
                _exit(1);
            otherFile.DumpPrintf("dumped by another thread\n");
            written.set_value();
            for (;;)
                pause();
        });
        written.get_future().wait();
        abort();
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << "the crash takes its course: " << status;
    EXPECT_EQ(Read(crashing), "dumped by the thread that crashes\n");
    EXPECT_EQ(Read(other), "dumped by another thread\n");
}

TEST_F(TargetFileTest, ProgressIsThinnedToAboutTwentyMessages)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "QelProgressTestWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "QelProgressTestWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    auto collect = [&]() {
        std::vector<std::pair<WPARAM, LPARAM>> posted;
        MSG message;
        while (PeekMessage(&message, window, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QEL_LOAD_PROGRESS)
                posted.emplace_back(message.wParam, message.lParam);
        }
        return posted;
    };
    CTestFile file;
    file.PostProgressStart(window, 0);
    file.PostProgressStart(window, 1000);
    file.PostProgressTotal(window, 1000);
    for (DWORD position = 0; position <= 1000; ++position)
        file.PostProgressPosition(window, position);
    auto posted = collect();
    ASSERT_GE(posted.size(), 3u);
    EXPECT_EQ(posted[0], std::make_pair(WPARAM(QEL_PROGRESS_START), LPARAM(1000)));
    EXPECT_EQ(posted[1], std::make_pair(WPARAM(QEL_PROGRESS_TOTAL), LPARAM(1000)));
    EXPECT_EQ(posted.size() - 2, 20u);
    EXPECT_EQ(posted.back(), std::make_pair(WPARAM(QEL_PROGRESS_POSITION), LPARAM(1000)));

    file.PostProgressTotal(window, 19);
    for (DWORD position = 0; position <= 19; ++position)
        file.PostProgressPosition(window, position);
    EXPECT_EQ(collect().size(), 1u) << "a total below 20 posts no position";
    DestroyWindow(window);
}

// The download of a host that records what it receives.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CComObject<CHostDebugServer> *server = nullptr;
        ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&server), S_OK);
        m_host = static_cast<IQelHostHolder *>(server);
        m_server = server;
    }
    std::vector<HostDownloadBlock> Blocks() const { return m_server->Downloads()->Blocks(); }

    CComPtr<IUnknown> m_host;
    CHostDebugServer *m_server = nullptr;
};

TEST_F(DownloadTest, AdjacentRangesOfOneKindFormABlockAcrossAnAlignmentGap)
{
    const BYTE a[] = {1, 2, 3}, b[] = {4, 5}, c[] = {6}, d[] = {7, 7};
    CTestFile file(5, m_host);
    CProgramInfo *info = nullptr;
    ASSERT_EQ(CreateProgramInfo(QEL_PROGRAM_ELF, &info), S_OK);
    file.SetProgramInfo(info);
    file.AddDownloadRange(CAddressValue(0x1004, 1, 0), 2, 1, b); // given out of order
    file.AddDownloadRange(CAddressValue(0x1000, 1, 0), 3, 1, a); // ends at 0x1003: one gap byte
    file.AddDownloadRange(CAddressValue(0x1006, 1, 0), 1, 3, c); // another kind
    file.AddDownloadRange(CAddressValue(0x2000, 1, 0), 0, 1, d); // empty: ignored
    file.AddDownloadRange(CAddressValue(0x0, 10, 0x8000), 2, 1, d);
    EXPECT_TRUE(file.DownloadPattern(nullptr, 2));
    std::vector<HostDownloadBlock> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].start, 0x1000u);
    EXPECT_EQ(blocks[0].bytes, (std::vector<BYTE>{1, 2, 3, 0xFF, 4, 5}));
    EXPECT_EQ(blocks[0].kind, 0u) << "ranges of kind 1 go as sink kind 0";
    EXPECT_EQ(blocks[0].programId, 5u);
    EXPECT_EQ(blocks[1].start, 0x1006u);
    EXPECT_EQ(blocks[1].kind, 2u) << "every other kind goes as 2";
    EXPECT_EQ(blocks[2].start, 0x0u) << "the virtual range sorts after the absolute ones";
    auto announcements = m_server->Downloads()->Announcements();
    ASSERT_EQ(announcements.size(), 1u);
    EXPECT_EQ(announcements[0].blockCount, 3u);
    EXPECT_EQ(announcements[0].byteCount, 9u);
    EXPECT_EQ(info->m_nDownloadBlocks, 3u);
    EXPECT_EQ(info->m_nDownloadBytes, 9u);
    info->Release();
    EXPECT_TRUE(file.DownloadPattern(nullptr, 2)) << "the pattern is empty afterwards";
    EXPECT_EQ(Blocks().size(), 3u);
}

TEST_F(DownloadTest, WithAlignment4TheGapIsTheEndModulo4)
{
    const BYTE bytes[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    CTestFile file(1, m_host);
    file.AddDownloadRange(CAddressValue(0x100, 1, 0), 1, 1, bytes);     // ends at 0x101
    file.AddDownloadRange(CAddressValue(0x102, 1, 0), 1, 1, bytes + 1); // 0x103
    file.AddDownloadRange(CAddressValue(0x106, 1, 0), 1, 1, bytes + 2); // after 3 bytes
    file.AddDownloadRange(CAddressValue(0x108, 1, 0), 1, 1, bytes + 3); // end 0x107: 3 would be needed
    EXPECT_TRUE(file.DownloadPattern(nullptr, 4));
    std::vector<HostDownloadBlock> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].bytes, (std::vector<BYTE>{0x11, 0xFF, 0x22, 0xFF, 0xFF, 0xFF, 0x33}));
    EXPECT_EQ(blocks[1].start, 0x108u);
}

TEST_F(DownloadTest, ARefusedBlockEndsTheDownloadWithStatus9)
{
    const BYTE bytes[4] = {};
    m_server->Downloads()->RefuseAfter(1);
    CTestFile file(1, m_host);
    file.AddDownloadRange(CAddressValue(0x0, 1, 0), 4, 1, bytes);
    file.AddDownloadRange(CAddressValue(0x10, 1, 0), 4, 1, bytes);
    file.AddDownloadRange(CAddressValue(0x20, 1, 0), 4, 1, bytes);
    EXPECT_FALSE(file.DownloadPattern(nullptr, 4));
    EXPECT_EQ(file.GetFailureStatus(), QEL_LOAD_CONTENTS_REFUSED);
    EXPECT_NE(std::string(file.GetFailureText()).find("00000010"), std::string::npos) << file.GetFailureText();
    EXPECT_EQ(Blocks().size(), 1u);
    EXPECT_TRUE(file.DownloadPattern(nullptr, 4)) << "the pattern was emptied";
}

TEST_F(DownloadTest, ARangeAtTheTopOfTheAddressSpaceHasNoFollowerAndOnePastItIsRefused)
{
    const BYTE bytes[4] = {1, 2, 3, 4};
    CTestFile file(1, m_host);
    file.AddDownloadRange(CAddressValue(0xFFFFFFFE, 1, 0), 2, 1, bytes);
    file.AddDownloadRange(CAddressValue(0x0, 1, 0), 2, 1, bytes + 2);
    EXPECT_TRUE(file.DownloadPattern(nullptr, 2));
    EXPECT_EQ(Blocks().size(), 2u);

    file.AddDownloadRange(CAddressValue(0x10, 1, 0), 2, 1, bytes);
    file.AddDownloadRange(CAddressValue(0xFFFFFFFE, 1, 0), 4, 1, bytes);
    EXPECT_FALSE(file.DownloadPattern(nullptr, 2));
    EXPECT_EQ(file.GetFailureStatus(), QEL_LOAD_READER_FAILED);
    EXPECT_STREQ(file.GetFailureText(),
                 "The download range of 4 bytes at FFFFFFFEh runs past the end of the 32-bit address space.");
    EXPECT_EQ(Blocks().size(), 2u) << "nothing of that pattern is handed over";
    EXPECT_EQ(m_server->Downloads()->Announcements().size(), 1u);
}

TEST(TargetFileChange, AChangeCountsWhenTheSameSizeAndTimeAreSeenTwice)
{
    char folder[] = "/tmp/qelchangeXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string path = std::string(folder) + "/prog.q";
    std::ofstream(path) << "Q1";
    CTestFile file;
    ASSERT_TRUE(file.Open(path.c_str(), nullptr));
    EXPECT_EQ(file.CheckFileChanged(), 1) << "unchanged";
    std::ofstream(path) << "Q2 rebuilt";
    EXPECT_EQ(file.CheckFileChanged(), 0) << "first seen: it may still be written";
    EXPECT_EQ(file.CheckFileChanged(), 2) << "seen again unchanged: the rebuild is done";
    std::ofstream(path) << "Q3 rebuilt again";
    EXPECT_EQ(file.CheckFileChanged(), 0);
    remove(path.c_str());
    EXPECT_EQ(file.CheckFileChanged(), 1) << "gone";
    rmdir(folder);
    CTestFile closed;
    EXPECT_EQ(closed.CheckFileChanged(), 1);
}

TEST(ProgramFilePaths, ConvertSlashPathKeepsTheDriveFormAndPosixPaths)
{
    EXPECT_STREQ(ConvertSlashPath("//c/work/src"), "c:\\work\\src\\");
    EXPECT_STREQ(ConvertSlashPath("//c/work/a.c"), "c:\\work\\a.c");
    EXPECT_STREQ(ConvertSlashPath("/home/user/fw"), "/home/user/fw/");
    EXPECT_STREQ(ConvertSlashPath("/home/user/fw/"), "/home/user/fw/");
    EXPECT_STREQ(ConvertSlashPath("src/main.c"), "src/main.c");
    EXPECT_STREQ(ConvertSlashPath(nullptr), "");
    EXPECT_STREQ(ExtractFileName("/a/b/prog.elf"), "prog.elf");
    EXPECT_STREQ(ExtractFileName("c:\\a\\prog.elf"), "prog.elf");
    EXPECT_STREQ(ExtractDirectory("/a/b/prog.elf"), "/a/b/");
}

TEST_F(TargetFileTest, SourcePathsResolveAgainstACompilationDirectory)
{
    mkdir((m_folder + "/fw").c_str(), 0700);
    mkdir((m_folder + "/fw/src").c_str(), 0700);
    Write("fw/src/main.c", "int main;");
    std::string program = Write("prog.q", "Q");
    CTestFile file;
    ASSERT_TRUE(file.Open(program.c_str(), nullptr));
    std::string folder = m_folder + "/fw";
    EXPECT_EQ(std::string(file.ResolveSourcePath("src/main.c", folder.c_str())), folder + "/src/main.c");
    EXPECT_EQ(std::string(file.ResolveSourcePath("src\\main.c", folder.c_str())), folder + "/src/main.c");
    // A file that is not there: the name below the directory, or the name as given.
    EXPECT_STREQ(file.ResolveSourcePath((folder + "/gone.c").c_str(), folder.c_str()), "gone.c");
    EXPECT_STREQ(file.ResolveSourcePath("lib/gone.c", folder.c_str()), "lib/gone.c");
    // Without a directory the program file's folder completes the name.
    Write("beside.c", "");
    EXPECT_EQ(std::string(file.ResolveSourcePath("beside.c", nullptr)), m_folder + "/beside.c");
    EXPECT_EQ(std::string(file.CompletePath("x/../y.c", "/base/dir/prog.elf")), "/base/dir/y.c");
    EXPECT_EQ(std::string(file.CompletePath("/abs/y.c", "/base/dir/prog.elf")), "/abs/y.c");
}

TEST_F(TargetFileTest, AProgramBelowAPathOfAnyLengthRecordsItsPathAndFindsItsSources)
{
    // Ten levels of 60 characters: longer than any buffer of 520 bytes.
    std::string folder = m_folder;
    for (int level = 0; level < 10; ++level) {
        folder += "/" + std::string(59, 'a' + level) + ".d";
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    }
    ASSERT_GT(folder.size(), 600u);
    std::string relative = folder.substr(m_folder.size() + 1);
    Write(relative + "/main.c", "int main;");
    std::string program = Write(relative + "/TESTSUIT_2.elf", "Q-program");
    CTestFile file;
    ASSERT_TRUE(file.Open(program.c_str(), nullptr));
    EXPECT_EQ(std::string(file.GetFilePath()), program);
    EXPECT_STREQ(file.GetFileName(), "TESTSUIT_2.elf");
    EXPECT_EQ(file.GetStoredFileSize(), 9u);
    EXPECT_EQ(std::string(file.ResolveSourcePath("main.c", nullptr)), folder + "/main.c");
    EXPECT_EQ(std::string(file.CompletePath("../x.c", nullptr)), folder.substr(0, folder.rfind('/')) + "/x.c");
    file.DumpPrintf("dumped\n");
    file.Close();
    EXPECT_EQ(Read(folder + "/TESTSUIT_2.dmp"), "dumped\n");
}

TEST_F(TargetFileTest, CreateDirectoryPathMakesEveryMissingLevel)
{
    std::string one = m_folder + "/one";
    EXPECT_TRUE(CreateDirectoryPath((one + "/").c_str()));
    struct stat info;
    EXPECT_EQ(stat(one.c_str(), &info), 0);
    std::string deep = m_folder + "/a/b/c";
    EXPECT_TRUE(CreateDirectoryPath((deep + " \\").c_str()));
    EXPECT_EQ(stat(deep.c_str(), &info), 0);
    EXPECT_TRUE(CreateDirectoryPath(deep.c_str())) << "an existing directory";
    EXPECT_FALSE(CreateDirectoryPath(""));
    EXPECT_FALSE(CreateDirectoryPath((Write("file", "") + "/sub").c_str())) << "below a file";
}

TEST_F(TargetFileTest, LoadersMakingSiblingFoldersAtOnceAllSucceed)
{
    // Programs loaded at once into one new database folder each make its missing parents.
    for (int round = 0; round < 20; ++round) {
        std::string parent = m_folder + "/round" + std::to_string(round) + "/shared";
        std::vector<std::future<BOOL>> made;
        for (int i = 0; i < 8; ++i) {
            std::string folder = parent + "/program" + std::to_string(i);
            made.push_back(std::async(std::launch::async, [folder] { return CreateDirectoryPath(folder.c_str()); }));
        }
        for (auto &each : made)
            ASSERT_TRUE(each.get()) << "round " << round;
    }
}

} // namespace
