#include "intelhexreader.h"

#include "intelhextesting.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace SectionList;

namespace {

struct ReadResult {
    DWORD result;
    DWORD lines;
};

ReadResult Read(CSectionList &list, const std::string &text, BOOL fillData = TRUE)
{
    std::istringstream stream(text);
    CIntelHexReader reader;
    DWORD result = reader.ReadStream(list, stream, fillData, 1);
    return {result, reader.GetLineCount()};
}

// A record of `type` at `address` with `data`, its checksum computed.
std::string Record(BYTE type, WORD address, const std::vector<BYTE> &data)
{
    char text[16];
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::string line = ":";
    snprintf(text, sizeof text, "%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
    line += text;
    for (BYTE b : data) {
        snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum += b;
    }
    snprintf(text, sizeof text, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

const char kEnd[] = ":00000001FF\n";

TEST(IntelHexReader, JoinsRecordsWithoutAGapIntoOneSection)
{
    CSectionList list;
    std::string text = Record(0, 0x100, Counting(16)) + Record(0, 0x110, Counting(16, 16)) +
                       Record(0, 0x200, {0xAA}) + kEnd;
    EXPECT_EQ(Read(list, text).result, SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x100, Counting(32)}, {0x200, {0xAA}}}));
    EXPECT_EQ(list.GetStartAddress(), 0x100u) << "without a start record, the first section";
}

TEST(IntelHexReader, TakesDataRecordsLongerThanSixteenBytes)
{
    CSectionList list;
    std::string text = Record(0, 0x0000, Counting(32)) + Record(0, 0x0020, Counting(255, 32)) + kEnd;
    EXPECT_EQ(Read(list, text).result, SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0, Counting(287)}}));
}

TEST(IntelHexReader, PlacesRecordsByExtendedSegmentAndLinearAddresses)
{
    CSectionList list;
    std::string text = Record(2, 0, {0x12, 0x34}) + Record(0, 0x0010, {1, 2}) + // 0x12340 + 0x10
                       Record(4, 0, {0x08, 0x00}) + Record(0, 0xFFFE, {3, 4}) +  // 0x0800FFFE
                       Record(4, 0, {0x08, 0x01}) + Record(0, 0x0000, {5, 6}) + kEnd;
    EXPECT_EQ(Read(list, text).result, SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x12350, {1, 2}}, {0x0800FFFE, {3, 4, 5, 6}}}))
        << "records on both sides of a 64 KB page break join";
}

TEST(IntelHexReader, EachPassStartsWithoutABase)
{
    // The layout pass ends with the base of the last address record; the data pass must
    // not put the first records, which precede every address record, there.
    CSectionList list;
    std::string text = Record(0, 0x0000, {1, 2}) + Record(4, 0, {0x00, 0x01}) + Record(0, 0x0000, {3, 4}) + kEnd;
    EXPECT_EQ(Read(list, text).result, SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0, {1, 2}}, {0x10000, {3, 4}}}));
}

TEST(IntelHexReader, KeepsTheWholeStartAddress)
{
    CSectionList linear;
    EXPECT_EQ(Read(linear, Record(0, 0, {1}) + Record(5, 0, {0x08, 0x00, 0x01, 0x23}) + kEnd).result, SLR_SUCCESS);
    EXPECT_EQ(linear.GetStartAddress(), 0x08000123u);

    CSectionList segment;
    EXPECT_EQ(Read(segment, Record(0, 0, {1}) + Record(3, 0, {0x12, 0x34, 0x00, 0x05}) + kEnd).result, SLR_SUCCESS);
    EXPECT_EQ(segment.GetStartAddress(), 0x12345u) << "CS * 16 + IP";
}

TEST(IntelHexReader, LaysOutWithoutBytesWhenTheyAreNotAsked)
{
    CSectionList list;
    EXPECT_EQ(Read(list, Record(0, 0x40, Counting(8)) + kEnd, FALSE).result, SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x40, {}}}));
}

TEST(IntelHexReader, SkipsLinesThatAreNoRecordsAndEmptyRecords)
{
    CSectionList list;
    std::string text = "; a comment\n\n" + Record(0, 0x10, {}) + Record(4, 0, {}) + Record(0, 0x20, {7}) +
                       "\r\n" + kEnd + "trailing text\n";
    EXPECT_EQ(Read(list, text).result, SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x20, {7}}}));
}

TEST(IntelHexReader, ToleratesCarriageReturnsAndTrailingCharacters)
{
    CSectionList list;
    std::string record = Record(0, 0x10, {7, 8});
    record.insert(record.size() - 1, "\r");
    std::string tooLong = Record(0, 0x12, {9});
    tooLong.insert(tooLong.size() - 1, std::string(1000, ' '));
    EXPECT_EQ(Read(list, record + tooLong + kEnd).result, SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x10, {7, 8, 9}}}));
}

TEST(IntelHexReader, ReportsAWrongChecksumWithItsLine)
{
    CSectionList list;
    std::string bad = Record(0, 0x20, {1, 2, 3});
    bad[bad.size() - 2] ^= 1;
    ReadResult read = Read(list, Record(0, 0x10, {1}) + "; note\n" + bad + kEnd);
    EXPECT_EQ(read.result, SLR_BAD_CHECKSUM);
    EXPECT_EQ(read.lines, 3u);
    EXPECT_EQ(ImageOf(list), (Image{{0x10, {}}})) << "what was laid out before stays";
}

TEST(IntelHexReader, ReportsMalformedRecordsAsFormatErrors)
{
    for (const std::string &line : {std::string(":0000001\n"),          // short of its header
                                    std::string(":0400000001020304\n"),  // no checksum
                                    std::string(":04000000010203F2\n"),  // a byte short
                                    std::string(":0100000G01FE\n"),       // not a hex digit
                                    Record(4, 0, {0xFF}),                 // a base of one byte
                                    Record(5, 0, {0x12, 0x34})}) {        // a start of two bytes
        CSectionList list;
        EXPECT_EQ(Read(list, line + kEnd).result, SLR_RECORD_TOO_SHORT) << line;
    }
}

TEST(IntelHexReader, ReportsUnknownRecordTypes)
{
    CSectionList list;
    EXPECT_EQ(Read(list, Record(6, 0, {1}) + kEnd).result, SLR_UNKNOWN_RECORD);
}

TEST(IntelHexReader, ReportsAMissingEndRecord)
{
    CSectionList list;
    EXPECT_EQ(Read(list, Record(0, 0x10, {1})).result, SLR_NO_END_RECORD);
    CSectionList empty;
    EXPECT_EQ(Read(empty, "").result, SLR_NO_END_RECORD);
}

TEST(IntelHexReader, RefusesRecordsThatOverlapEarlierOnes)
{
    CSectionList list;
    EXPECT_EQ(Read(list, Record(0, 0x10, Counting(16)) + Record(0, 0x08, Counting(16)) + kEnd).result, SLR_OVERLAP);
}

TEST(IntelHexReader, RefusesRecordsPastTheAddressSpace)
{
    CSectionList list;
    EXPECT_EQ(Read(list, Record(4, 0, {0xFF, 0xFF}) + Record(0, 0xFFFF, {1, 2}) + kEnd).result, SLR_BAD_LENGTH);
}

TEST(IntelHexReader, AnswersAFailedStreamAtOnce)
{
    CSectionList list;
    std::istringstream stream(kEnd);
    stream.setstate(std::ios::failbit);
    CIntelHexReader reader;
    EXPECT_EQ(reader.ReadStream(list, stream, TRUE, 1), SLR_STREAM_FAILED);
}

class IntelHexFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelhexXXXXXX";
        int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = pattern;
    }
    void TearDown() override { remove(path_.c_str()); }
    void Write(const std::string &text)
    {
        std::ofstream(path_, std::ios::binary) << text;
    }
    std::string path_;
};

TEST_F(IntelHexFile, IsReadByNameWithBothPasses)
{
    Write(Record(4, 0, {0, 2}) + Record(0, 0x10, {1, 2}) + Record(5, 0, {0, 2, 0, 0x10}) + kEnd);
    CSectionList list;
    EXPECT_EQ(list.ReadIntelHexFile(path_.c_str(), TRUE, 1), SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x20010, {1, 2}}}));
    EXPECT_EQ(list.GetStartAddress(), 0x20010u);
    EXPECT_EQ(list.GetLineCount(), 4u);
}

TEST_F(IntelHexFile, KeepsTheResultAndTheLineOfAFaultInTheList)
{
    Write(Record(0, 0x10, {1}) + Record(0, 0x11, {2}) + ":00000001FE\n");
    CSectionList list;
    EXPECT_EQ(list.ReadIntelHexFile(path_.c_str(), TRUE, 1), SLR_BAD_CHECKSUM);
    EXPECT_EQ(list.GetLastResult(), SLR_BAD_CHECKSUM);
    EXPECT_EQ(list.GetLineCount(), 3u);
}

TEST(IntelHexReaderFile, AnswersAMissingFile)
{
    CSectionList list;
    EXPECT_EQ(list.ReadIntelHexFile("/nonexistent/program.hex", TRUE, 1), SLR_CANNOT_READ_FILE);
    EXPECT_EQ(list.ReadIntelHexFile(nullptr, TRUE, 1), SLR_CANNOT_READ_FILE);
}

} // namespace
