#include "filemapping.h"

#include "fileio.h"
#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

class FileMapping : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelmapXXXXXX";
        int descriptor = mkstemp(pattern);
        ASSERT_GE(descriptor, 0);
        close(descriptor);
        path_ = pattern;
    }

    void TearDown() override { unlink(path_.c_str()); }

    HANDLE OpenWith(const std::string &bytes)
    {
        FILE *file = fopen(path_.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
        return CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    std::string path_;
};

TEST_F(FileMapping, AViewHoldsTheWholeFileAndOutlivesBothHandles)
{
    HANDLE file = OpenWith("program bytes");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY | SEC_COMMIT, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const char *view = static_cast<const char *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    CloseHandle(mapping);
    CloseHandle(file);
    EXPECT_EQ(std::string(view, 13), "program bytes");
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileMapping, AFileShortenedAfterMappingIsStillReadSafely)
{
    std::string bytes(100000, 'x');
    HANDLE file = OpenWith(bytes);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const char *view = static_cast<const char *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(truncate(path_.c_str(), 0), 0);
    EXPECT_EQ(view[99999], 'x');
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
}

TEST_F(FileMapping, AViewMappedAfterAnotherWasLetGoHoldsItsOwnFileOnly)
{
    auto map = [this](const std::string &bytes) {
        HANDLE file = OpenWith(bytes);
        HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        const char *view = static_cast<const char *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
        CloseHandle(mapping);
        CloseHandle(file);
        return view;
    };
    const char *first = map(std::string(100000, 'a'));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(UnmapViewOfFile(first));
    // Of about the same size, as a reloaded program is: the memory may be the same, the
    // bytes are the new file's, and nothing of the old one lies past its end.
    const char *second = map(std::string(95000, 'b'));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::string(second, 95000), std::string(95000, 'b'));
    if (second == first) {
        EXPECT_EQ(std::string(second + 95000, 5000), std::string(5000, '\0'));
    }
    const char *third = map(std::string(97000, 'c')); // while the second is still mapped
    ASSERT_NE(third, nullptr);
    EXPECT_NE(third, second);
    EXPECT_EQ(std::string(second, 95000), std::string(95000, 'b'));
    EXPECT_EQ(std::string(third, 97000), std::string(97000, 'c'));
    EXPECT_TRUE(UnmapViewOfFile(second));
    EXPECT_FALSE(UnmapViewOfFile(second));
    EXPECT_TRUE(UnmapViewOfFile(third));
}

TEST_F(FileMapping, AnEmptyFileCannotBeMapped)
{
    HANDLE file = OpenWith("");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
    CloseHandle(file);
}

TEST_F(FileMapping, RequestsBeyondTheFileOrForWritingAreRefused)
{
    HANDLE file = OpenWith("1234");
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 5, nullptr), nullptr);
    EXPECT_EQ(CreateFileMappingA(file, nullptr, 0x04 /* PAGE_READWRITE */, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, "named"), nullptr);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 5), nullptr);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 65536, 0), nullptr);
    EXPECT_EQ(MapViewOfFile(mapping, 0x0002 /* FILE_MAP_WRITE */, 0, 0, 0), nullptr);
    EXPECT_EQ(MapViewOfFile(file, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(mapping);
    CloseHandle(file);
}

} // namespace
