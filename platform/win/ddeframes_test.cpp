#include "ddeframes.h"

#include <gtest/gtest.h>

using namespace qelwin::dde;

namespace {

std::vector<uint8_t> Framed(std::vector<uint8_t> payload)
{
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8),
                                  static_cast<uint8_t>(payload.size() >> 16), 0};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

FrameReader::Status Read(const std::vector<uint8_t> &bytes, Frame *frame)
{
    FrameReader reader;
    reader.Append(bytes.data(), bytes.size());
    return reader.Next(frame);
}

} // namespace

TEST(DdeFrames, ComeBackAsTheyWereSentEvenInPieces)
{
    Frame connect;
    connect.kind = FrameKind::Connect;
    connect.processId = 4711;
    connect.instance = 3;
    connect.service = "xdebug";
    connect.topic = "XDEBUGTOPIC";
    connect.hasContext = true;
    connect.context.cb = sizeof(CONVCONTEXT);
    connect.context.iCodePage = CP_WINANSI;
    Frame execute;
    execute.kind = FrameKind::Execute;
    execute.transaction = 9;
    execute.data = {'D', 'e', 'b', 'u', 'g', 0};
    std::vector<uint8_t> bytes = EncodeFrame(connect);
    std::vector<uint8_t> second = EncodeFrame(execute);
    bytes.insert(bytes.end(), second.begin(), second.end());

    FrameReader reader;
    Frame frame;
    for (size_t i = 0; i + 1 < bytes.size() - second.size(); ++i) {
        reader.Append(&bytes[i], 1);
        ASSERT_EQ(reader.Next(&frame), FrameReader::Status::NeedMore) << i;
    }
    reader.Append(&bytes[bytes.size() - second.size() - 1], second.size() + 1);
    ASSERT_EQ(reader.Next(&frame), FrameReader::Status::Complete);
    EXPECT_EQ(frame.processId, 4711u);
    EXPECT_EQ(frame.service, "xdebug");
    EXPECT_EQ(frame.topic, "XDEBUGTOPIC");
    EXPECT_TRUE(frame.hasContext);
    EXPECT_EQ(frame.context.iCodePage, CP_WINANSI);
    ASSERT_EQ(reader.Next(&frame), FrameReader::Status::Complete);
    EXPECT_EQ(frame.transaction, 9u);
    EXPECT_EQ(frame.data, execute.data);
    EXPECT_EQ(reader.Next(&frame), FrameReader::Status::NeedMore);
}

TEST(DdeFrames, RefuseEverySizeThatDoesNotFit)
{
    Frame frame;
    // A length beyond the limit is refused before its bytes come.
    EXPECT_EQ(Read({0xFF, 0xFF, 0xFF, 0xFF}, &frame), FrameReader::Status::Malformed);
    // Execute data longer than what is left of the frame.
    EXPECT_EQ(Read(Framed({3, 1, 0, 0, 0, 9, 0, 0, 0, 'a'}), &frame), FrameReader::Status::Malformed);
    // A service name longer than a name may be.
    EXPECT_EQ(Read(Framed({1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0}), &frame), FrameReader::Status::Malformed);
    // Bytes after the last field, an unknown kind, an empty payload, a flag that is no flag.
    EXPECT_EQ(Read(Framed({4, 1, 0, 0, 0, 0, 0x80, 0, 0, 7}), &frame), FrameReader::Status::Malformed);
    EXPECT_EQ(Read(Framed({9}), &frame), FrameReader::Status::Malformed);
    EXPECT_EQ(Read(Framed({}), &frame), FrameReader::Status::Malformed);
    EXPECT_EQ(Read(Framed({2, 2}), &frame), FrameReader::Status::Malformed);
    // Once malformed, the conversation's stream stays so.
    FrameReader reader;
    std::vector<uint8_t> bad = Framed({9});
    std::vector<uint8_t> good = Framed({4, 1, 0, 0, 0, 0, 0x80, 0, 0});
    reader.Append(bad.data(), bad.size());
    reader.Append(good.data(), good.size());
    EXPECT_EQ(reader.Next(&frame), FrameReader::Status::Malformed);
    EXPECT_EQ(reader.Next(&frame), FrameReader::Status::Malformed);
    EXPECT_EQ(Read(good, &frame), FrameReader::Status::Complete);
    EXPECT_EQ(frame.flags, 0x8000u);
}
