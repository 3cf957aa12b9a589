#include "fileio.h"

#include "filefind.h"

#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileIo : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelfileioXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        for (const char *name : {"data.bin", "new.bin", "gone.bin", "fifo"})
            unlink(Path(name).c_str());
        rmdir(dir_.c_str());
    }

    std::string Path(const char *name) const { return dir_ + "/" + name; }

    void Write(const char *name, const std::string &bytes)
    {
        FILE *file = fopen(Path(name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }

    bool Exists(const char *name) const
    {
        struct stat status;
        return stat(Path(name).c_str(), &status) == 0;
    }

    std::string dir_;
};

TEST_F(FileIo, ReadsAnExistingFileInPiecesUpToItsEnd)
{
    Write("data.bin", "0123456789");
    HANDLE file = CreateFileA(Path("data.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 6u);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    // At the end a read succeeds with nothing, as on Windows.
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file, &high), 10u);
    EXPECT_EQ(high, 0u);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FileIo, MissingFilesAndFoldersAreToldApart)
{
    SetLastError(0);
    EXPECT_EQ(CreateFileA(Path("none.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CreateFileA(Path("none/x.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    Write("data.bin", "x");
    EXPECT_EQ(CreateFileA(Path("data.bin/x").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileIo, DirectoriesAndPipesAreRefusedWithoutWaiting)
{
    EXPECT_EQ(CreateFileA(dir_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(CreateFileA(Path("fifo").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileIo, DispositionsMakeOrRefuseFilesAsOnWindows)
{
    std::string path = Path("new.bin");
    HANDLE made = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    Write("data.bin", "abc");
    HANDLE emptied = CreateFileA(Path("data.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 0, nullptr);
    ASSERT_NE(emptied, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(emptied, nullptr), 0u);
    CloseHandle(emptied);
    EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, 9, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateFileA(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FileIo, DeleteOnCloseLeavesNoFileBehindWhileTheHandleStillReads)
{
    Write("gone.bin", "kept while open");
    HANDLE file = CreateFileA(Path("gone.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Exists("gone.bin"));
    char buffer[32];
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "kept while open");
    CloseHandle(file);
}

TEST_F(FileIo, HandlesThatAreNoReadableFileAreRefused)
{
    char buffer[4];
    DWORD read = 5;
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 4, &read, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(GetFileSize(nullptr, nullptr), INVALID_FILE_SIZE);
    HANDLE writeOnly = CreateFileA(Path("new.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(writeOnly, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadFile(writeOnly, buffer, 4, &read, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(writeOnly);
}

} // namespace

TEST_F(FileIo, SetFilePointerMovesTheNextReadAndRefusesToSeekBeforeTheStart)
{
    Write("data.bin", "0123456789");
    HANDLE file = CreateFileA(Path("data.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[4] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    ASSERT_TRUE(ReadFile(file, buffer, 2, &read, nullptr));
    EXPECT_EQ(std::string(buffer, 2), "01");
    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_CURRENT), 5u);
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_END), 8u);
    ASSERT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "89");
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(file, 4, &high, FILE_BEGIN), 4u);
    EXPECT_EQ(high, 0);

    SetLastError(0);
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
}
