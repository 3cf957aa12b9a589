#include "elfhash.h"

#include <gtest/gtest.h>

namespace {

TEST(ElfHashKey, ShiftsEachByteInByFourBits)
{
    EXPECT_EQ(ElfHashKey(""), 0u);
    EXPECT_EQ(ElfHashKey("a"), 0x61u);
    EXPECT_EQ(ElfHashKey("ab"), 0x672u);
}

TEST(ElfHashKey, FoldsTheTopNibbleOfLongTexts)
{
    EXPECT_EQ(ElfHashKey("abcdefghijklmnop"), 0x0BB9A310u);
}

TEST(ElfHashKey, AddsBytesAbove0x7FAsNegativeNumbers)
{
    // 0xE4 counts as -28: 0 - 28 wraps to 0xFFFFFFE4, whose top nibble is folded.
    EXPECT_EQ(ElfHashKey("\xE4"), 0x0FFFFF14u);
    EXPECT_EQ(ElfHashKey("\xE4" "a"), 0x0FFFF151u);
    EXPECT_EQ(ElfHashKey("M\xFCller"), 0x04D332C2u);
    EXPECT_NE(ElfHashKey("M\xFCller"), ElfHashKey("Muller"));
}

TEST(ElfHashKey, ANullTextHashesAsTheEmptyOne)
{
    EXPECT_EQ(ElfHashKey(NULL), 0u);
}

TEST(ElfHashKey, KeysAFrameworkMapByText)
{
    CMap<CString, CString &, int, int &> registers;
    registers.InitHashTable(17);
    CString psw("PSW"), sp("SP"), other("DPP0");
    registers[psw] = 4;
    registers[sp] = 9;

    int index = 0;
    CString key("PSW");
    EXPECT_EQ(HashKey<CString &>(key), ElfHashKey("PSW"));
    ASSERT_TRUE(registers.Lookup(key, index));
    EXPECT_EQ(index, 4);
    EXPECT_FALSE(registers.Lookup(other, index));
}

} // namespace
