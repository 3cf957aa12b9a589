#include "ole2.h"
#include "testing/comobjectbalance.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class MemoryStream : public ComObjectBalance {};

TEST_F(MemoryStream, HoldsWhatIsWrittenUntilReleased)
{
    IStream *stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(stream->Write("BM", 2, nullptr), S_OK);
    ASSERT_EQ(stream->Write("pixels", 6, nullptr), S_OK);
    LARGE_INTEGER start;
    start.QuadPart = 0;
    ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[16];
    ULONG got = 0;
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &got), S_OK);
    EXPECT_EQ(std::string(buffer, got), "BMpixels");
    EXPECT_EQ(stream->Release(), 0u);
}

TEST_F(MemoryStream, TakesNoHandleSinceThereIsNoGlobalMemory)
{
    IStream *stream = reinterpret_cast<IStream *>(1);
    int block = 0;
    EXPECT_EQ(CreateStreamOnHGlobal(&block, TRUE, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, nullptr), E_INVALIDARG);
}

TEST_F(MemoryStream, FreesItsMemoryAlsoWhenNotAskedTo)
{
    IStream *stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, FALSE, &stream), S_OK);
    ASSERT_EQ(stream->Write("x", 1, nullptr), S_OK);
    stream->Release(); // the fixture sees the object gone
}

} // namespace
