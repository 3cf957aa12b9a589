#include "intelhexwriter.h"

#include "intelhexreader.h"
#include "intelhextesting.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

using namespace SectionList;

namespace {

std::string Written(CSectionList &list)
{
    std::ostringstream stream;
    CIntelHexWriter writer;
    EXPECT_EQ(writer.WriteStream(list, stream), SLR_SUCCESS);
    return stream.str();
}

void Add(CSectionList &list, DWORD start, const std::vector<BYTE> &bytes)
{
    ASSERT_EQ(list.AddRange(start, static_cast<DWORD>(bytes.size()), bytes.data(), SLAM_PLAIN), SLR_SUCCESS);
}

TEST(IntelHexWriter, WritesAnEmptyImageAsTheEndRecordAlone)
{
    CSectionList list;
    EXPECT_EQ(Written(list), ":00000001FF\n");
    list.AddRange(0x100, 0x10, nullptr, SLAM_PLAIN);
    EXPECT_EQ(Written(list), ":00000001FF\n") << "a section without bytes is not written";
}

TEST(IntelHexWriter, WritesThirtyTwoBytesARecordAndNoAddressRecordBelowSixtyFourKilobytes)
{
    CSectionList list;
    Add(list, 0x1000, Counting(0x22));
    EXPECT_EQ(Written(list), ":20100000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FE0\n"
                             ":0210200020218D\n"
                             ":00000001FF\n");
}

TEST(IntelHexWriter, BreaksRecordsAtTheSixtyFourKilobytePage)
{
    CSectionList list;
    Add(list, 0xFFF0, Counting(0x20));
    EXPECT_EQ(Written(list), ":10FFF000000102030405060708090A0B0C0D0E0F89\n"
                             ":020000021000EC\n"
                             ":10000000101112131415161718191A1B1C1D1E1F78\n"
                             ":00000001FF\n");
}

TEST(IntelHexWriter, GivesSectionsAboveTheFirstPageTheirSegment)
{
    CSectionList list;
    Add(list, 0x30000, {0xAB});
    EXPECT_EQ(Written(list), ":020000023000CC\n:01000000AB54\n:00000001FF\n");
}

TEST(IntelHexWriter, UsesLinearAddressesFromOneMegabyteAndClearsTheSegmentFirst)
{
    CSectionList list;
    Add(list, 0x10000, {1});
    Add(list, 0x08000000, {2});
    EXPECT_EQ(Written(list), ":020000021000EC\n:0100000001FE\n"
                             ":020000020000FC\n:020000040800F2\n:0100000002FD\n"
                             ":00000001FF\n");
}

TEST(IntelHexWriter, WritesWhatTheReaderReadsBack)
{
    CSectionList list;
    Add(list, 0x0000FFE0, Counting(0x100, 1));
    Add(list, 0x000FFFF0, Counting(0x40, 2));
    Add(list, 0x08000000, Counting(0x400, 3));
    Add(list, 0xFFFFFF00, Counting(0x100, 4));
    list.SetStartAddress(0xFFFFFFFF);
    Image written = ImageOf(list);

    std::istringstream stream(Written(list));
    CSectionList back;
    CIntelHexReader reader;
    EXPECT_EQ(reader.ReadStream(back, stream, TRUE, 1), SLR_SUCCESS);
    EXPECT_EQ(ImageOf(back), written);
}

TEST(IntelHexWriter, ReportsAStreamThatFails)
{
    CSectionList list;
    Add(list, 0, {1});
    std::ostringstream stream;
    stream.setstate(std::ios::badbit);
    CIntelHexWriter writer;
    EXPECT_EQ(writer.WriteStream(list, stream), SLR_WRITE_FAILED);
}

TEST(IntelHexWriter, ReportsAFileThatCannotBeMade)
{
    CSectionList list;
    EXPECT_EQ(list.WriteIntelHexFile("/nonexistent/dir/image.hex"), SLR_CANNOT_WRITE_FILE);
    EXPECT_EQ(list.GetLastResult(), SLR_CANNOT_WRITE_FILE);
}

} // namespace
