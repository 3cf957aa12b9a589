#include "addressvalue.h"

#include <gtest/gtest.h>

namespace {

TEST(AddressValue, ANewTripleIsAbsoluteAddressZero)
{
    CAddressValue address;
    EXPECT_EQ(address.AddressMode, 1u);
    EXPECT_EQ(address.AddressValue, 0u);
    EXPECT_EQ(address.AddressExtra, 0u);
}

TEST(AddressValue, TheThreeArgumentConstructorTakesTheValueFirst)
{
    CAddressValue address(0x8000, 2, 7);
    EXPECT_EQ(address.AddressMode, 2u);
    EXPECT_EQ(address.AddressValue, 0x8000u);
    EXPECT_EQ(address.AddressExtra, 7u);
}

TEST(AddressValue, TriplesAreEqualOnlyWhenAllThreeWordsAre)
{
    EXPECT_EQ(CAddressValue(5, 1, 0), CAddressValue(5, 1, 0));
    EXPECT_FALSE(CAddressValue(5, 1, 0) == CAddressValue(5, 7, 0));
    EXPECT_FALSE(CAddressValue(5, 1, 0) == CAddressValue(6, 1, 0));
    EXPECT_FALSE(CAddressValue(5, 1, 0) == CAddressValue(5, 1, 1));
}

TEST(AddressValueHash, ShiftsTheModeAndAddsTheValue)
{
    CAddressValue address(0x1234, 1, 0);
    EXPECT_EQ(HashKey<CAddressValue &>(address), 0x1244u);
}

TEST(AddressValueHash, AThirdWordIsShiftedInWhenNotZero)
{
    CAddressValue address(0x1234, 1, 5);
    EXPECT_EQ(HashKey<CAddressValue &>(address), (0x1244u << 4) + 5);
}

TEST(AddressValueHash, HighBitsAreFoldedBackIntoTheLowByte)
{
    // (7 << 4) + 0xF0000010 = 0xF0000080: the top nibble moves into bits 4 to 7.
    CAddressValue address(0xF0000010u, 7, 0);
    EXPECT_EQ(HashKey<CAddressValue &>(address), 0x80u ^ 0xF0u);
}

TEST(AddressValueHash, KeysAFrameworkMapByTriple)
{
    CMap<CAddressValue, CAddressValue &, int, int &> registers;
    registers.InitHashTable(7);
    CAddressValue sfr(0xFF10, 8, 0), esfr(0xFF10, 7, 0), other(0xFF12, 8, 0);
    registers[sfr] = 1;
    registers[esfr] = 2;
    CAddressValue sfrAgain(0xFF10, 8, 0);
    registers[sfrAgain] = 3; // a later entry overwrites

    int index = 0;
    ASSERT_TRUE(registers.Lookup(sfr, index));
    EXPECT_EQ(index, 3);
    ASSERT_TRUE(registers.Lookup(esfr, index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(registers.Lookup(other, index));
    EXPECT_EQ(registers.GetCount(), 2);
}

} // namespace
