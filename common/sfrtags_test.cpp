#include "sfrtags.h"

#include <gtest/gtest.h>

namespace {

_SpecialFunctionRegisterTag MakeRegister()
{
    _SpecialFunctionRegisterTag sfr;
    sfr.Name = "PSW";
    sfr.Type = 0x100;
    CAddressValue sfrSpace(0xFF10, 8, 0), absolute(0xFF10, 1, 0);
    sfr.Addresses.Add(sfrSpace);
    sfr.Addresses.Add(absolute);
    sfr.Description = "Processor Status Word";
    sfr.ResetValue = "0x0000";
    sfr.Manual = "3.2";
    sfr.Page = 4;
    sfr.Width = 16;
    sfr.NamedBitMask = 0xF0FF;
    sfr.ReadOnlyMask = 0x0001;
    sfr.HWModBitMask = 0x001F;
    sfr.SFRBlockIndex = 2;

    SpecialFunctionRegisterFieldTag ilvl;
    ilvl.Name = "ILVL";
    ilvl.Description = "Interrupt level";
    ilvl.Offset = 12;
    ilvl.Width = 4;
    SpecialFunctionRegisterFieldValueTag low, high;
    low.Name = "low";
    low.Value = 0;
    high.Name = "high";
    high.Value = 15;
    ilvl.Values.Add(low);
    ilvl.Values.Add(high);
    sfr.Fields.Add(ilvl);
    return sfr;
}

TEST(SfrRecords, ANewRegisterHasNoAddressesFieldsOrTexts)
{
    CArray<_SpecialFunctionRegisterTag, _SpecialFunctionRegisterTag &> table;
    table.SetSize(1);
    const _SpecialFunctionRegisterTag &sfr = table[0];
    EXPECT_TRUE(sfr.Name.IsEmpty());
    EXPECT_EQ(sfr.Addresses.GetSize(), 0);
    EXPECT_EQ(sfr.Fields.GetSize(), 0);
    EXPECT_TRUE(sfr.Description.IsEmpty());
    EXPECT_EQ(sfr.Width, 0u);
    EXPECT_EQ(sfr.SFRBlockIndex, 0u);
}

TEST(SfrRecords, AssignmentCopiesAllTwelveFieldsAndTheArraysDeeply)
{
    _SpecialFunctionRegisterTag source = MakeRegister();
    _SpecialFunctionRegisterTag copy;
    copy = source;

    // Changing the source afterwards must not reach the copy.
    source.Addresses[0].AddressValue = 0;
    source.Fields[0].Name = "X";
    source.Fields[0].Values[1].Value = 1;

    EXPECT_EQ(copy.Name, "PSW");
    EXPECT_EQ(copy.Type, 0x100u);
    ASSERT_EQ(copy.Addresses.GetSize(), 2);
    EXPECT_EQ(copy.Addresses[0], CAddressValue(0xFF10, 8, 0));
    EXPECT_EQ(copy.Addresses[1], CAddressValue(0xFF10, 1, 0));
    EXPECT_EQ(copy.Description, "Processor Status Word");
    EXPECT_EQ(copy.ResetValue, "0x0000");
    EXPECT_EQ(copy.Manual, "3.2");
    EXPECT_EQ(copy.Page, 4u);
    EXPECT_EQ(copy.Width, 16u);
    EXPECT_EQ(copy.NamedBitMask, 0xF0FFu);
    EXPECT_EQ(copy.ReadOnlyMask, 0x0001u);
    EXPECT_EQ(copy.HWModBitMask, 0x001Fu);
    EXPECT_EQ(copy.SFRBlockIndex, 2u);
    ASSERT_EQ(copy.Fields.GetSize(), 1);
    EXPECT_EQ(copy.Fields[0].Name, "ILVL");
    EXPECT_EQ(copy.Fields[0].Description, "Interrupt level");
    EXPECT_EQ(copy.Fields[0].Offset, 12u);
    EXPECT_EQ(copy.Fields[0].Width, 4u);
    ASSERT_EQ(copy.Fields[0].Values.GetSize(), 2);
    EXPECT_EQ(copy.Fields[0].Values[0].Name, "low");
    EXPECT_EQ(copy.Fields[0].Values[1].Name, "high");
    EXPECT_EQ(copy.Fields[0].Values[1].Value, 15u);
}

TEST(SfrRecords, AssigningARegisterToItselfKeepsIt)
{
    _SpecialFunctionRegisterTag sfr = MakeRegister();
    _SpecialFunctionRegisterTag &same = sfr;
    sfr = same;
    EXPECT_EQ(sfr.Addresses.GetSize(), 2);
    ASSERT_EQ(sfr.Fields.GetSize(), 1);
    EXPECT_EQ(sfr.Fields[0].Values.GetSize(), 2);
}

TEST(SfrRecords, ATableOfRegistersGrowsWithoutLosingItsEntries)
{
    CArray<_SpecialFunctionRegisterTag, _SpecialFunctionRegisterTag &> table;
    _SpecialFunctionRegisterTag sfr = MakeRegister();
    for (int i = 0; i < 40; ++i) {
        sfr.Page = static_cast<DWORD>(i);
        table.Add(sfr);
    }
    ASSERT_EQ(table.GetSize(), 40);
    EXPECT_EQ(table[39].Page, 39u);
    EXPECT_EQ(table[0].Fields[0].Values[1].Name, "high");
    EXPECT_EQ(table[20].Addresses[1], CAddressValue(0xFF10, 1, 0));
}

TEST(SfrRecords, BlocksKeepNameDescriptionAndIndex)
{
    _SpecialFunctionRegisterBlockTag block;
    block.Name = "CPU";
    block.Description = "Core registers";
    block.SFRBlockIndex = 1;
    _SpecialFunctionRegisterBlockTag copy = block;
    EXPECT_EQ(copy.Name, "CPU");
    EXPECT_EQ(copy.Description, "Core registers");
    EXPECT_EQ(copy.SFRBlockIndex, 1u);
    EXPECT_EQ(copy.Extra, 0u);
}

} // namespace
