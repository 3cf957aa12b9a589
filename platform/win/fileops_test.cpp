#include "fileops.h"

#include "filefind.h"
#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelfileopsXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        for (const char *name : {"a.bin", "b.bin", "ro.bin", "w*?.bin"})
            unlink(Path(name).c_str());
        for (const char *name : {"sub/deeper", "sub"})
            rmdir(Path(name).c_str());
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

    std::string Read(const char *name) const
    {
        std::string bytes;
        FILE *file = fopen(Path(name).c_str(), "rb");
        if (file == nullptr)
            return "<none>";
        int c;
        while ((c = fgetc(file)) != EOF)
            bytes += static_cast<char>(c);
        fclose(file);
        return bytes;
    }

    std::string dir_;
};

TEST_F(FileOps, CopyKeepsContentsAndLastWriteTime)
{
    Write("a.bin", std::string(200000, 'q'));
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, Path("a.bin").c_str(), times, 0), 0);
    Write("b.bin", "old");
    ASSERT_TRUE(CopyFileA(Path("a.bin").c_str(), Path("b.bin").c_str(), FALSE));
    EXPECT_EQ(Read("b.bin"), std::string(200000, 'q'));
    struct stat status;
    ASSERT_EQ(stat(Path("b.bin").c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, 1000000000);
}

TEST_F(FileOps, CopyRefusesToReplaceWhenAskedAndNeverEmptiesItsSource)
{
    Write("a.bin", "source");
    Write("b.bin", "target");
    EXPECT_FALSE(CopyFileA(Path("a.bin").c_str(), Path("b.bin").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(Read("b.bin"), "target");
    EXPECT_FALSE(CopyFileA(Path("a.bin").c_str(), Path("a.bin").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Read("a.bin"), "source");
    EXPECT_FALSE(CopyFileA(Path("none").c_str(), Path("b.bin").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileA(dir_.c_str(), Path("b.bin").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileOps, DeleteRemovesFilesOnly)
{
    Write("a.bin", "x");
    EXPECT_TRUE(DeleteFileA(Path("a.bin").c_str()));
    EXPECT_EQ(Read("a.bin"), "<none>");
    EXPECT_FALSE(DeleteFileA(Path("a.bin").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA(dir_.c_str()));
}

TEST_F(FileOps, CreateDirectoryMakesOneLevel)
{
    EXPECT_FALSE(CreateDirectoryA(Path("sub/deeper").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryA(Path("sub/deeper").c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST_F(FileOps, AttributesTellDirectoriesAndReadOnlyFiles)
{
    Write("a.bin", "x");
    Write("ro.bin", "x");
    chmod(Path("ro.bin").c_str(), 0444);
    EXPECT_EQ(GetFileAttributesA(dir_.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA(Path("a.bin").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(Path("ro.bin").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA(Path("none").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA(Path("none/x").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// The load commands tell an unchanged program file by its own last-write time, and names
// may hold the characters that a search takes as wildcards.
TEST_F(FileOps, ExtendedAttributesGiveTheEntrysOwnTimesAndSize)
{
    Write("w*?.bin", "12345");
    Write("a.bin", "x");
    struct timespec times[2] = {{1000000000, 0}, {1500000000, 250}};
    ASSERT_EQ(utimensat(AT_FDCWD, Path("w*?.bin").c_str(), times, 0), 0);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(Path("w*?.bin").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    uint64_t written = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                       data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(written, (1500000000ull + 11644473600ull) * 10000000ull + 2u);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("w*?.bin").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(found.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
    FindClose(search);

    ASSERT_TRUE(GetFileAttributesExA(dir_.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_FALSE(GetFileAttributesExA(Path("w*").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(GetFileAttributesExA(Path("a.bin").c_str(), GetFileExInfoStandard, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
