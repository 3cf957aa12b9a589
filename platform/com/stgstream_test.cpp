#include "ole2.h"
#include "testing/comobjectbalance.h"
#include "testing/stgtesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

LARGE_INTEGER Offset(LONGLONG value)
{
    LARGE_INTEGER offset;
    offset.QuadPart = value;
    return offset;
}

ULARGE_INTEGER Size(ULONGLONG value)
{
    ULARGE_INTEGER size;
    size.QuadPart = value;
    return size;
}

// The stream tests run on a stream of a storage and on a stream of its own memory, which
// must behave alike.
class StreamKinds : public ComObjectBalance, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        if (GetParam()) {
            root_ = NewMemoryStorage();
            ASSERT_EQ(root_->CreateStream(u"Stream", kStgCreate, 0, 0, &stream_), S_OK);
        } else {
            ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream_), S_OK);
        }
    }
    void TearDown() override
    {
        stream_->Release();
        if (root_)
            root_->Release();
        ComObjectBalance::TearDown();
    }

    std::string ReadAll()
    {
        EXPECT_EQ(stream_->Seek(Offset(0), STREAM_SEEK_SET, nullptr), S_OK);
        std::string bytes(64, '\0');
        ULONG got = 0;
        EXPECT_EQ(stream_->Read(bytes.data(), 64, &got), S_OK);
        bytes.resize(got);
        return bytes;
    }

    IStorage *root_ = nullptr;
    IStream *stream_ = nullptr;
};

TEST_P(StreamKinds, ReadStopsAtTheEndWithoutFailing)
{
    ASSERT_EQ(stream_->Write("abc", 3, nullptr), S_OK);
    ASSERT_EQ(stream_->Seek(Offset(1), STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[8];
    ULONG got = 0;
    EXPECT_EQ(stream_->Read(buffer, sizeof buffer, &got), S_OK);
    EXPECT_EQ(std::string(buffer, got), "bc");
    EXPECT_EQ(stream_->Read(buffer, sizeof buffer, &got), S_OK);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(stream_->Read(nullptr, 1, &got), STG_E_INVALIDPOINTER);
}

TEST_P(StreamKinds, WritingOverTextKeepsItsLongerTail)
{
    ASSERT_EQ(stream_->Write("abcdef", 6, nullptr), S_OK);
    ASSERT_EQ(stream_->Seek(Offset(0), STREAM_SEEK_SET, nullptr), S_OK);
    ULONG written = 0;
    ASSERT_EQ(stream_->Write("xy", 2, &written), S_OK);
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(ReadAll(), "xycdef");
}

TEST_P(StreamKinds, SeekMovesFromEachOrigin)
{
    ASSERT_EQ(stream_->Write("0123456789", 10, nullptr), S_OK);
    ULARGE_INTEGER position;
    EXPECT_EQ(stream_->Seek(Offset(-3), STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 7u);
    EXPECT_EQ(stream_->Seek(Offset(-2), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 5u);
    EXPECT_EQ(stream_->Seek(Offset(2), STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 2u);
    EXPECT_EQ(stream_->Seek(Offset(-3), STREAM_SEEK_CUR, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream_->Seek(Offset(0), 3, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream_->Seek(Offset(0x7FFFFFFFFFFFFFFFLL), STREAM_SEEK_END, &position), STG_E_INVALIDFUNCTION);
    // A refused seek leaves the position where it was.
    EXPECT_EQ(stream_->Seek(Offset(0), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 2u);
}

TEST_P(StreamKinds, WritingPastTheEndFillsTheGapWithZeros)
{
    ASSERT_EQ(stream_->Write("ab", 2, nullptr), S_OK);
    ASSERT_EQ(stream_->Seek(Offset(4), STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(stream_->Write("z", 1, nullptr), S_OK);
    EXPECT_EQ(ReadAll(), std::string("ab\0\0z", 5));
}

TEST_P(StreamKinds, SetSizeCutsAndGrows)
{
    ASSERT_EQ(stream_->Write("abcdef", 6, nullptr), S_OK);
    ASSERT_EQ(stream_->SetSize(Size(2)), S_OK);
    EXPECT_EQ(ReadAll(), "ab");
    ASSERT_EQ(stream_->SetSize(Size(4)), S_OK);
    EXPECT_EQ(ReadAll(), std::string("ab\0\0", 4));
}

TEST_P(StreamKinds, GrowingBeyondTheLimitFailsAndChangesNothing)
{
    ASSERT_EQ(stream_->Write("ab", 2, nullptr), S_OK);
    EXPECT_EQ(stream_->SetSize(Size((ULONGLONG(256) << 20) + 1)), STG_E_MEDIUMFULL);
    ASSERT_EQ(stream_->Seek(Offset(LONGLONG(256) << 20), STREAM_SEEK_SET, nullptr), S_OK);
    ULONG written = 9;
    EXPECT_EQ(stream_->Write("x", 1, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(ReadAll(), "ab");
}

TEST_P(StreamKinds, StatGivesTheSize)
{
    ASSERT_EQ(stream_->Write("abcd", 4, nullptr), S_OK);
    STATSTG stat;
    ASSERT_EQ(stream_->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.type, DWORD(STGTY_STREAM));
    EXPECT_EQ(stat.cbSize.QuadPart, 4u);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(stream_->Stat(nullptr, STATFLAG_NONAME), STG_E_INVALIDPOINTER);
}

TEST_P(StreamKinds, RegionLocksAreNotOffered)
{
    EXPECT_EQ(stream_->LockRegion(Size(0), Size(1), 0), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream_->UnlockRegion(Size(0), Size(1), 0), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream_->Commit(0), S_OK);
    EXPECT_EQ(stream_->Revert(), S_OK);
    IStream *clone = reinterpret_cast<IStream *>(1);
    EXPECT_EQ(stream_->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);
}

TEST_P(StreamKinds, AnswersForItsInterfaces)
{
    ISequentialStream *sequential = nullptr;
    ASSERT_EQ(stream_->QueryInterface(&sequential), S_OK);
    EXPECT_EQ(sequential, static_cast<ISequentialStream *>(stream_));
    sequential->Release();
    IStorage *storage = nullptr;
    EXPECT_EQ(stream_->QueryInterface(&storage), E_NOINTERFACE);
}

INSTANTIATE_TEST_SUITE_P(StorageAndMemory, StreamKinds, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "StorageStream" : "MemoryStream";
                         });

class StorageStream : public ComObjectBalance {};

TEST_F(StorageStream, StatNamesTheElementAndItsMode)
{
    IStorage *root = NewMemoryStorage();
    WriteStream(root, u"Entry", "x");
    IStream *stream = nullptr;
    ASSERT_EQ(root->OpenStream(u"ENTRY", nullptr, kStgOpenRead, 0, &stream), S_OK);
    STATSTG stat;
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"Entry");
    EXPECT_EQ(stat.grfMode, DWORD(kStgOpenRead));
    CoTaskMemFree(stat.pwcsName);
    stream->Release();
    root->Release();
}

TEST_F(StorageStream, AllStreamsOfATreeShareOneLimit)
{
    IStorage *root = NewMemoryStorage();
    IStream *first = nullptr, *second = nullptr;
    ASSERT_EQ(root->CreateStream(u"First", kStgCreate, 0, 0, &first), S_OK);
    ASSERT_EQ(root->CreateStream(u"Second", kStgCreate, 0, 0, &second), S_OK);
    ASSERT_EQ(first->SetSize(Size(ULONGLONG(192) << 20)), S_OK);
    EXPECT_EQ(second->SetSize(Size(ULONGLONG(65) << 20)), STG_E_MEDIUMFULL);
    // Destroying an element gives its bytes back.
    first->Release();
    ASSERT_EQ(root->DestroyElement(u"First"), S_OK);
    EXPECT_EQ(second->SetSize(Size(ULONGLONG(65) << 20)), S_OK);
    second->Release();
    root->Release();
}

} // namespace
