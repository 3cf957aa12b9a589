#include "section.h"

#include <gtest/gtest.h>
#include <vector>

using namespace SectionList;

namespace {

std::vector<BYTE> Bytes(const CSection &section)
{
    std::vector<BYTE> bytes(section.GetLength());
    DWORD read = 0;
    EXPECT_EQ(section.ReadAt(0, section.GetLength(), bytes.data(), &read), SLR_SUCCESS);
    EXPECT_EQ(read, section.GetLength());
    return bytes;
}

TEST(Section, RefusesEmptyRangesAndRangesPastTheAddressSpace)
{
    CSection section;
    EXPECT_EQ(section.Init(0x1000, 0, TRUE), SLR_BAD_LENGTH);
    EXPECT_EQ(section.Init(0xFFFFFFF0, 0x11, FALSE), SLR_BAD_LENGTH);
    EXPECT_EQ(section.Init(0xFFFFFFF0, 0x10, FALSE), SLR_SUCCESS);
    EXPECT_EQ(section.GetEnd(), 0xFFFFFFFFu);
    EXPECT_EQ(section.Resize(0x10, 0), SLR_BAD_LENGTH);
    EXPECT_EQ(section.GetStart(), 0xFFFFFFF0u);
}

TEST(Section, DescribesARangeWithoutBytesUntilWrittenThenHoldsErasedFlashElsewhere)
{
    CSection section;
    ASSERT_EQ(section.Init(0x100, 8, FALSE), SLR_SUCCESS);
    EXPECT_FALSE(section.HasData());
    BYTE buffer[8];
    EXPECT_EQ(section.ReadAt(0, 8, buffer, nullptr), SLR_NO_DATA);
    EXPECT_EQ(section.DataAt(0, FALSE), nullptr);

    const BYTE two[] = {1, 2};
    DWORD written = 0;
    EXPECT_EQ(section.Write(0x103, 2, two, &written), SLR_SUCCESS);
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(Bytes(section), (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 1, 2, 0xFF, 0xFF, 0xFF}));
}

TEST(Section, WritesAndReadsOnlyWhatLiesInside)
{
    CSection section;
    const BYTE data[] = {10, 11, 12, 13};
    ASSERT_EQ(section.Set(0x2000, 4, data), SLR_SUCCESS);
    DWORD written = 99;
    EXPECT_EQ(section.Write(0x1FFF, 1, data, &written), SLR_NOT_IN_SECTION);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(section.WriteAt(4, 1, data, &written), SLR_OFFSET_BEYOND);
    EXPECT_EQ(section.WriteAt(2, 4, data, &written), SLR_SUCCESS);
    EXPECT_EQ(written, 2u);

    BYTE buffer[4] = {};
    DWORD read = 0;
    EXPECT_EQ(section.ReadAt(1, 10, buffer, &read), SLR_SUCCESS);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(buffer[0], 11);
    EXPECT_EQ(buffer[1], 10);
    EXPECT_EQ(buffer[2], 11);
    EXPECT_EQ(section.ReadAt(4, 1, buffer, &read), SLR_OFFSET_BEYOND);
    ASSERT_NE(section.DataAt(3, FALSE), nullptr);
    EXPECT_EQ(*section.DataAt(3, FALSE), 11);
    EXPECT_EQ(section.DataAt(4, TRUE), nullptr);
}

TEST(Section, ComparesAnAddressWithItsRange)
{
    CSection section;
    ASSERT_EQ(section.Init(0x10, 0x10, FALSE), SLR_SUCCESS);
    EXPECT_EQ(section.Compare(0x0F), -1);
    EXPECT_EQ(section.Compare(0x10), 0);
    EXPECT_EQ(section.Compare(0x1F), 0);
    EXPECT_EQ(section.Compare(0x20), 1);
}

TEST(Section, ResizeKeepsBytesAtTheirAddressesAndFillsNewBytesWithErasedFlash)
{
    CSection section;
    const BYTE data[] = {1, 2, 3, 4};
    ASSERT_EQ(section.Set(0x100, 4, data), SLR_SUCCESS);
    ASSERT_EQ(section.Resize(0xFE, 8), SLR_SUCCESS);
    EXPECT_EQ(section.GetStart(), 0xFEu);
    EXPECT_EQ(Bytes(section), (std::vector<BYTE>{0xFF, 0xFF, 1, 2, 3, 4, 0xFF, 0xFF}));

    ASSERT_EQ(section.Resize(0x101, 2), SLR_SUCCESS);
    EXPECT_EQ(Bytes(section), (std::vector<BYTE>{2, 3}));

    ASSERT_EQ(section.Resize(0x200, 2), SLR_SUCCESS);
    EXPECT_FALSE(section.HasData()) << "nothing of the old range lies in the new one";
}

TEST(Section, InitWithoutAllocationDropsBytesOfTheOldRange)
{
    CSection section;
    const BYTE data[] = {1, 2};
    ASSERT_EQ(section.Set(0x100, 2, data), SLR_SUCCESS);
    ASSERT_EQ(section.Init(0x100, 0x1000, FALSE), SLR_SUCCESS);
    EXPECT_FALSE(section.HasData());
}

} // namespace
