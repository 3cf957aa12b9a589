#include "datacursor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CDataCursor Over(const std::vector<BYTE> &bytes, bool bigEndian = false)
{
    return CDataCursor(bytes.data(), bytes.size(), bigEndian);
}

TEST(DataCursor, ReadsValuesInTheByteOrderItWasMadeWith)
{
    std::vector<BYTE> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    CDataCursor little = Over(bytes);
    EXPECT_EQ(0x3412u, little.ReadU16());
    EXPECT_EQ(0xBC9A7856u, little.ReadU32());
    CDataCursor big = Over(bytes, true);
    EXPECT_EQ(0x12u, big.ReadU8());
    EXPECT_EQ(0x3456u, big.ReadU16());
    EXPECT_EQ(0x789ABCu, big.ReadUnsigned(2) << 8 | big.ReadU8());
    EXPECT_TRUE(big.AtEnd());
    EXPECT_FALSE(big.HasFailed());
}

TEST(DataCursor, AReadPastTheEndGivesZeroAndMarksTheCursorForGood)
{
    std::vector<BYTE> bytes = {1, 2, 3};
    CDataCursor cursor = Over(bytes);
    EXPECT_EQ(0u, cursor.ReadU32());
    EXPECT_TRUE(cursor.HasFailed());
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(0u, cursor.ReadU8());
    EXPECT_TRUE(cursor.HasFailed());

    CDataCursor sizes = Over(bytes);
    EXPECT_EQ(0u, sizes.ReadUnsigned(3)); // no value is three bytes wide
    EXPECT_TRUE(sizes.HasFailed());
}

TEST(DataCursor, ReadsLeb128AsDwarfDefinesIt)
{
    std::vector<BYTE> bytes = {0x02, 0x7F, 0x80, 0x01, 0xE5, 0x8E, 0x26, 0x7E, 0xC0, 0xBB, 0x78};
    CDataCursor cursor = Over(bytes);
    DWORD counter = 0;
    EXPECT_EQ(2u, cursor.ReadULEB128(&counter));
    EXPECT_EQ(127u, cursor.ReadULEB128(&counter));
    EXPECT_EQ(128u, cursor.ReadULEB128(&counter));
    EXPECT_EQ(624485u, cursor.ReadULEB128(&counter));
    EXPECT_EQ(7u, counter);
    EXPECT_EQ(-2, cursor.ReadSLEB128());
    EXPECT_EQ(-123456, cursor.ReadSLEB128());
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_FALSE(cursor.HasFailed());
}

TEST(DataCursor, Leb128NeverShiftsPastSixtyFourBits)
{
    // Twenty continuation bytes and a last one: the groups beyond bit 63 are dropped.
    std::vector<BYTE> bytes(20, 0xFF);
    bytes.push_back(0x01);
    CDataCursor cursor = Over(bytes);
    EXPECT_EQ(~uint64_t(0), cursor.ReadULEB128());
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_FALSE(cursor.HasFailed());
    CDataCursor negative = Over(bytes);
    EXPECT_EQ(-1, negative.ReadSLEB128());
}

TEST(DataCursor, Leb128CutOffByTheEndFails)
{
    std::vector<BYTE> bytes = {0x80, 0x80};
    CDataCursor cursor = Over(bytes);
    cursor.ReadULEB128();
    EXPECT_TRUE(cursor.HasFailed());
}

TEST(DataCursor, StringsMustEndInsideTheBytes)
{
    std::vector<BYTE> bytes = {'a', 'b', 0, 'c', 'd'};
    CDataCursor cursor = Over(bytes);
    EXPECT_STREQ("ab", cursor.ReadString());
    EXPECT_EQ(3u, cursor.GetOffset());
    EXPECT_STREQ("", cursor.ReadString());
    EXPECT_TRUE(cursor.HasFailed());
}

TEST(DataCursor, BlocksAndSubCursorsStayInsideTheBytes)
{
    std::vector<BYTE> bytes = {1, 2, 3, 4};
    CDataCursor cursor = Over(bytes, true);
    CDataCursor inner = cursor.ReadSubCursor(2);
    EXPECT_EQ(0x0102u, inner.ReadU16());
    EXPECT_EQ(0u, inner.ReadU8());
    EXPECT_TRUE(inner.HasFailed());
    EXPECT_FALSE(cursor.HasFailed());
    EXPECT_EQ(nullptr, cursor.ReadBlock(3));
    EXPECT_TRUE(cursor.HasFailed());

    CDataCursor seek = Over(bytes);
    EXPECT_TRUE(seek.Seek(4));
    EXPECT_FALSE(seek.Seek(5));
    EXPECT_TRUE(seek.HasFailed());
}

} // namespace
