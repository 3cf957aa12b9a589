#include "sectionlist.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace SectionList;

namespace {

typedef std::pair<DWORD, DWORD> Range; // start, length

std::vector<Range> Ranges(CSectionList &list)
{
    std::vector<Range> ranges;
    for (CSection *s = list.First(); s != nullptr; s = list.Next())
        ranges.emplace_back(s->GetStart(), s->GetLength());
    return ranges;
}

std::vector<BYTE> Bytes(CSection *section)
{
    std::vector<BYTE> bytes(section->GetLength());
    EXPECT_EQ(section->ReadAt(0, section->GetLength(), bytes.data(), nullptr), SLR_SUCCESS);
    return bytes;
}

TEST(SectionListAddRange, JoinsAdjacentRangesAndStartsANewSectionAfterAGap)
{
    CSectionList list;
    EXPECT_EQ(list.AddRange(0x100, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(list.AddRange(0x110, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(list.AddRange(0x121, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(list.AddRange(0xF0, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(Ranges(list), (std::vector<Range>{{0xF0, 0x30}, {0x121, 0x10}}));
}

TEST(SectionListAddRange, ARangeThatFillsAGapJoinsBothNeighbours)
{
    CSectionList list;
    const BYTE low[] = {1, 2}, middle[] = {3, 4}, high[] = {5, 6};
    list.AddRange(0x10, 2, low, SLAM_JOIN_ADJACENT);
    list.AddRange(0x14, 2, high, SLAM_JOIN_ADJACENT);
    EXPECT_EQ(list.AddRange(0x12, 2, middle, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    ASSERT_EQ(Ranges(list), (std::vector<Range>{{0x10, 6}}));
    EXPECT_EQ(Bytes(list.First()), (std::vector<BYTE>{1, 2, 3, 4, 5, 6}));
}

TEST(SectionListAddRange, PlainModeNeverJoins)
{
    CSectionList list;
    list.AddRange(0x100, 0x10, nullptr, SLAM_PLAIN);
    list.AddRange(0x110, 0x10, nullptr, SLAM_PLAIN);
    EXPECT_EQ(Ranges(list), (std::vector<Range>{{0x100, 0x10}, {0x110, 0x10}}));
}

TEST(SectionListAddRange, RefusesEveryOverlapWithoutChangingTheList)
{
    for (int mode : {SLAM_PLAIN, SLAM_JOIN_ADJACENT}) {
        CSectionList list;
        list.AddRange(0x100, 0x10, nullptr, mode);
        list.AddRange(0x200, 0x10, nullptr, mode);
        const std::vector<Range> before = Ranges(list);
        EXPECT_EQ(list.AddRange(0x10F, 2, nullptr, mode), SLR_OVERLAP) << "the end of a section";
        EXPECT_EQ(list.AddRange(0xF0, 0x11, nullptr, mode), SLR_OVERLAP) << "the start of a section";
        EXPECT_EQ(list.AddRange(0x104, 2, nullptr, mode), SLR_OVERLAP) << "inside a section";
        EXPECT_EQ(list.AddRange(0xF0, 0x40, nullptr, mode), SLR_OVERLAP) << "covering a section";
        EXPECT_EQ(list.AddRange(0x80, 0x400, nullptr, mode), SLR_OVERLAP) << "covering both";
        EXPECT_EQ(list.GetLastResult(), SLR_OVERLAP);
        EXPECT_EQ(Ranges(list), before);
    }
}

TEST(SectionListAddRange, MergesEveryOverlappedSectionInJoinOverlappingMode)
{
    CSectionList list;
    const BYTE a[] = {1, 1}, b[] = {2, 2}, c[] = {9, 9, 9};
    list.AddRange(0x10, 2, a, SLAM_JOIN_OVERLAPPING);
    list.AddRange(0x18, 2, b, SLAM_JOIN_OVERLAPPING);
    list.AddRange(0x40, 2, nullptr, SLAM_JOIN_OVERLAPPING);
    EXPECT_EQ(list.AddRange(0x0E, 0x10, nullptr, SLAM_JOIN_OVERLAPPING), SLR_SUCCESS);
    ASSERT_EQ(Ranges(list), (std::vector<Range>{{0x0E, 0x10}, {0x40, 2}}));
    std::vector<BYTE> expected(0x10, 0xFF);
    expected[2] = expected[3] = 1;
    expected[10] = expected[11] = 2;
    EXPECT_EQ(Bytes(list.First()), expected);

    EXPECT_EQ(list.AddRange(0x1D, 3, c, SLAM_JOIN_OVERLAPPING), SLR_SUCCESS) << "new bytes win";
    ASSERT_EQ(Ranges(list), (std::vector<Range>{{0x0E, 0x12}, {0x40, 2}}));
    EXPECT_EQ(Bytes(list.First())[0x1D - 0x0E], 9);
    EXPECT_EQ(list.Current(), list.First()) << "the cursor stands on the section that took the range";
}

TEST(SectionListAddRange, NoSectionGrowsBeyondTheMaximumLength)
{
    CSectionList list;
    const DWORD max = list.GetMaxSectionLength();
    EXPECT_EQ(max, 0x100000u);
    EXPECT_EQ(list.AddRange(0, max + 1, nullptr, SLAM_JOIN_ADJACENT), SLR_BAD_LENGTH);
    EXPECT_EQ(list.AddRange(0, max - 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(list.AddRange(max - 0x10, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(list.AddRange(max + 0x10, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(list.AddRange(max, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS)
        << "too long for the section before, so it joins the one after";
    EXPECT_EQ(Ranges(list), (std::vector<Range>{{0, max}, {max, 0x20}}));
    EXPECT_EQ(list.AddRange(0x300000, 0x10, nullptr, SLAM_JOIN_OVERLAPPING), SLR_SUCCESS);
    EXPECT_EQ(list.AddRange(0x10, 0x300000, nullptr, SLAM_JOIN_OVERLAPPING), SLR_BAD_LENGTH);
    EXPECT_EQ(list.GetCount(), 3);
}

TEST(SectionListAddRange, RefusesEmptyRangesAndRangesPastTheAddressSpace)
{
    CSectionList list;
    EXPECT_EQ(list.AddRange(0x10, 0, nullptr, SLAM_JOIN_ADJACENT), SLR_BAD_LENGTH);
    EXPECT_EQ(list.AddRange(0xFFFFFFF0, 0x20, nullptr, SLAM_JOIN_ADJACENT), SLR_BAD_LENGTH);
    EXPECT_EQ(list.AddRange(0xFFFFFFF0, 0x10, nullptr, SLAM_JOIN_ADJACENT), SLR_SUCCESS);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(SectionListWrite, GoesOnIntoTheNextSectionOnlyWithoutAGap)
{
    CSectionList list;
    list.AddRange(0x10, 4, nullptr, SLAM_PLAIN);
    list.AddRange(0x14, 4, nullptr, SLAM_PLAIN);
    list.AddRange(0x20, 4, nullptr, SLAM_PLAIN);
    const BYTE data[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    DWORD written = 0;
    EXPECT_EQ(list.Write(0x12, 10, data, &written), SLR_SUCCESS);
    EXPECT_EQ(written, 6u) << "the gap before 0x20 ends the write";
    CSection *first = list.First();
    EXPECT_EQ(Bytes(first), (std::vector<BYTE>{0xFF, 0xFF, 1, 2}));
    EXPECT_EQ(Bytes(list.Next()), (std::vector<BYTE>{3, 4, 5, 6}));
    EXPECT_FALSE(list.Next()->HasData());
    EXPECT_EQ(list.Write(0x18, 1, data, &written), SLR_NOT_IN_SECTION);
    EXPECT_EQ(list.Write(0x08, 1, data, &written), SLR_NOT_IN_SECTION);
}

TEST(SectionListIteration, WalksBothWaysAndCanSkipUnflaggedSections)
{
    CSectionList list;
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Current(), nullptr);
    for (DWORD start : {0x300u, 0x100u, 0x200u})
        list.AddRange(start, 0x10, nullptr, SLAM_PLAIN);
    list.First()->SetFlag(1);
    list.Next();
    list.Next()->SetFlag(1);

    EXPECT_EQ(list.First(TRUE)->GetStart(), 0x100u);
    EXPECT_EQ(list.Next(TRUE)->GetStart(), 0x300u);
    EXPECT_EQ(list.Next(TRUE), nullptr);
    EXPECT_EQ(list.Next(), nullptr);

    list.First();
    list.Next();
    list.Next();
    EXPECT_EQ(list.Previous()->GetStart(), 0x200u);
    EXPECT_EQ(list.Previous()->GetStart(), 0x100u);
    EXPECT_EQ(list.Previous(), nullptr);
}

TEST(SectionListStartAddress, IsTheGivenOneElseTheFirstSection)
{
    CSectionList list;
    list.SetStartAddress(0x500);
    EXPECT_EQ(list.GetStartAddress(), 0xFFFFFFFFu) << "an empty image has no start";
    list.AddRange(0x300, 0x10, nullptr, SLAM_PLAIN);
    list.AddRange(0x200, 0x10, nullptr, SLAM_PLAIN);
    EXPECT_EQ(list.GetStartAddress(), 0x500u);
    list.SetStartAddress(0xFFFFFFFF);
    EXPECT_EQ(list.GetStartAddress(), 0x200u);
}

} // namespace
