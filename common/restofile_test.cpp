#include "restofile.h"

#include "teststrings.h"

#include "testing/comobjectbalance.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

// The resource's bytes as the module holds them.
std::string Resource(unsigned id, LPCSTR type)
{
    HRSRC resource = FindResourceA(AfxGetResourceHandle(), MAKEINTRESOURCE(id), type);
    if (!resource)
        return "<missing>";
    const void *data = LockResource(LoadResource(AfxGetResourceHandle(), resource));
    return std::string(static_cast<const char *>(data), SizeofResource(AfxGetResourceHandle(), resource));
}

std::string Little(DWORD value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i, value >>= 8)
        bytes += static_cast<char>(value & 0xFF);
    return bytes;
}

// The file header that a bitmap of `size` bytes gets, with its pixel data at `offset`.
std::string BitmapHeader(size_t size, DWORD offset)
{
    return "BM" + Little(static_cast<DWORD>(size + 14)) + Little(0) + Little(offset);
}

std::string ReadStream(IStream *stream)
{
    std::string bytes;
    char buffer[256];
    ULONG count = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &count)) && count > 0)
        bytes.append(buffer, count);
    return bytes;
}

std::string StreamOf(unsigned id, LPCSTR type)
{
    CResToFile resource(MAKEINTRESOURCE(id), type, "");
    IStream *stream = resource.ToStream();
    if (!stream)
        return "<none>";
    std::string bytes = ReadStream(stream);
    stream->Release();
    return bytes;
}

class ResToFile : public ComObjectBalance {};

TEST_F(ResToFile, ABitmapBecomesABitmapFileWithItsPixelOffset)
{
    std::string palette8 = Resource(IDB_TEST_PALETTE8, RT_BITMAP);
    ASSERT_EQ(palette8.size(), 40u + 1024 + 8);
    // 8 bits per pixel, biClrUsed 0: 256 colours of 4 bytes after the 40-byte info header.
    EXPECT_EQ(StreamOf(IDB_TEST_PALETTE8, RT_BITMAP), BitmapHeader(palette8.size(), 14 + 40 + 1024) + palette8);
    std::string trueColour = Resource(IDB_TEST_TRUECOLOUR, RT_BITMAP);
    EXPECT_EQ(StreamOf(IDB_TEST_TRUECOLOUR, RT_BITMAP), BitmapHeader(trueColour.size(), 14 + 40) + trueColour);
    std::string fewColours = Resource(IDB_TEST_FEWCOLOURS, RT_BITMAP);
    EXPECT_EQ(StreamOf(IDB_TEST_FEWCOLOURS, RT_BITMAP), BitmapHeader(fewColours.size(), 14 + 40 + 12) + fewColours);
}

TEST_F(ResToFile, OtherResourcesAreCopiedAsTheyStand)
{
    EXPECT_EQ(StreamOf(IDR_TEST_SCRIPT, "REGISTRY"), "HKCR\n{\n}\n");
}

TEST_F(ResToFile, AMissingOrMalformedResourceGivesNothing)
{
    EXPECT_EQ(StreamOf(IDS_TEST_MISSING, RT_BITMAP), "<none>");
    EXPECT_EQ(StreamOf(IDR_TEST_SCRIPT, RT_BITMAP), "<none>"); // there under another type
    EXPECT_EQ(StreamOf(IDB_TEST_TRUNCATED, RT_BITMAP), "<none>");
    EXPECT_EQ(StreamOf(IDB_TEST_BADCOLOURS, RT_BITMAP), "<none>");
    CResToFile missing(MAKEINTRESOURCE(IDS_TEST_MISSING), RT_BITMAP, "");
    EXPECT_FALSE(missing.Load(FALSE));
    EXPECT_FALSE(missing.Lock());
}

TEST_F(ResToFile, TheStreamStandsAtItsStartAndCanBeReadAgainAfterAReload)
{
    CResToFile resource(MAKEINTRESOURCE(IDR_TEST_SCRIPT), "REGISTRY", "");
    ASSERT_TRUE(resource.Load(FALSE));
    ASSERT_TRUE(resource.Load(TRUE));
    for (int round = 0; round < 2; ++round) {
        IStream *stream = resource.ToStream();
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(ReadStream(stream), "HKCR\n{\n}\n");
        stream->Release();
    }
}

class ResToFileOnDisk : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        char pattern[] = "/tmp/qelrestofileXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        std::filesystem::remove_all(folder_);
        ComObjectBalance::TearDown();
    }

    static std::string Contents(const std::string &path)
    {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::string folder_;
};

TEST_F(ResToFileOnDisk, WritesTheBitmapFileReplacingWhatWasThere)
{
    std::string path = folder_ + "/toolbar.bmp";
    std::ofstream(path) << "an older and much longer file than the bitmap that replaces it";
    CResToFile resource(MAKEINTRESOURCE(IDB_TEST_TRUECOLOUR), RT_BITMAP, path.c_str());
    ASSERT_TRUE(resource.ToFile());
    std::string trueColour = Resource(IDB_TEST_TRUECOLOUR, RT_BITMAP);
    EXPECT_EQ(Contents(path), BitmapHeader(trueColour.size(), 54) + trueColour);
}

TEST_F(ResToFileOnDisk, FailsWithoutAFileOrAResource)
{
    std::string unreachable = folder_ + "/no/such/folder/script.rgs";
    CResToFile script(MAKEINTRESOURCE(IDR_TEST_SCRIPT), "REGISTRY", unreachable.c_str());
    EXPECT_FALSE(script.ToFile());
    std::string path = folder_ + "/missing.bmp";
    CResToFile missing(MAKEINTRESOURCE(IDS_TEST_MISSING), RT_BITMAP, path.c_str());
    EXPECT_FALSE(missing.ToFile());
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
