#include "dumpnames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

size_t Rows(const QEL_VALUE_NAME *table)
{
    size_t rows = 0;
    while (table[rows].name != nullptr)
        ++rows;
    return rows;
}

TEST(DumpNames, KnownValuesGetTheirNames)
{
    EXPECT_EQ(CString("STT_THUMB_FUNC"), ValueName(g_elfSymbolTypeNames, 13));
    EXPECT_EQ(CString("EM_ARM"), ValueName(g_elfMachineNames, 40));
    EXPECT_EQ(CString("EM_TRICORE"), ValueName(g_elfMachineNames, 44));
    EXPECT_EQ(CString("SHF_WRITE_ALLOC_EXECINSTR"), ValueName(g_elfSectionFlagNames, 7));
    EXPECT_EQ(CString("PF_X_R"), ValueName(g_elfSegmentFlagNames, 5));
    EXPECT_EQ(CString("SHN_COMMON"), ValueName(g_elfSpecialSectionNames, 0xFFF2));
    EXPECT_EQ(CString("TAG_padding"), ValueName(g_dwarfTagNames, 0));
    EXPECT_EQ(CString("TAG_global_subroutine"), ValueName(g_dwarfTagNames, 6));
    EXPECT_EQ(CString("DW_TAG_volatile_type"), ValueName(g_dwarfTagNames, 0x35));
    EXPECT_EQ(CString("FORM_REF"), ValueName(g_dwarfFormNames, 2));
    EXPECT_EQ(CString("DW_AT_call_line"), ValueName(g_dwarfAttributeNames, 0x59));
    EXPECT_EQ(CString("DW_OP_breg31"), ValueName(g_dwarfOperationNames, 0x8F));
    EXPECT_EQ(CString("DW_OP_user_defined"), ValueName(g_dwarfOperationNames, 0xFF));
    EXPECT_EQ(CString("DW_ORD_undefined"), ValueName(g_dwarfOrderingNames, 0xFFFFFFFF));
    EXPECT_EQ(CString("declared as inline and inlined"), ValueName(g_dwarfInlineNames, 3));
    EXPECT_EQ(CString("AT_name"), ValueName(g_dwarf1AttributeNames, 0x0038));
    EXPECT_EQ(CString("AT_producer"), ValueName(g_dwarf1AttributeNames, 0x0258));
    EXPECT_EQ(CString("FT_real128"), ValueName(g_dwarf1FundamentalTypeNames, 0xA310));
    EXPECT_EQ(CString("FMT_ET"), ValueName(g_dwarf1SubscriptFormatNames, 8));
    EXPECT_EQ(CString("CONST"), ValueName(g_memoryKindNames, 3));
}

TEST(DumpNames, AnUnknownValueShowsItsLowSixteenBitsAndEachTextIsTheCallersOwn)
{
    CString five = ValueName(g_elfSymbolTypeNames, 5);
    CString wide = ValueName(g_elfSegmentTypeNames, 0x70000001);
    EXPECT_EQ(CString("Value(?): 0x00000005"), five);
    EXPECT_EQ(20, five.GetLength()); // "0x" and eight digits behind "Value(?): "
    EXPECT_EQ(CString("Value(?): 0x00000001"), wide);
    // The first text is not overwritten by the second unknown lookup.
    EXPECT_EQ(CString("Value(?): 0x00000005"), five);
}

TEST(DumpNames, TablesHoldTheFamiliesRowsOnceEach)
{
    struct Family {
        const QEL_VALUE_NAME *table;
        size_t rows;
    };
    const Family families[] = {
        {g_elfTypeNames, 5},        {g_elfMachineNames, 10},     {g_elfVersionNames, 2},
        {g_elfClassNames, 3},       {g_elfDataNames, 3},         {g_elfSpecialSectionNames, 3},
        {g_elfSectionTypeNames, 12}, {g_elfSectionFlagNames, 8}, {g_elfSegmentTypeNames, 7},
        {g_elfSegmentFlagNames, 8}, {g_elfSymbolBindingNames, 3}, {g_elfSymbolTypeNames, 7},
        {g_dwarf1OperationNames, 8}, {g_dwarf1ModifierNames, 5}, {g_dwarf1SubscriptFormatNames, 9},
        {g_dwarfTagNames, 52},      {g_dwarfChildrenNames, 2},   {g_dwarfAttributeNames, 72},
        {g_dwarfFormNames, 23},     {g_dwarfLanguageNames, 12},  {g_dwarfInlineNames, 4},
        {g_dwarfEncodingNames, 11}, {g_dwarfVisibilityNames, 3}, {g_dwarfIdentifierCaseNames, 4},
        {g_dwarfCallingConventionNames, 5}, {g_dwarfAccessibilityNames, 3}, {g_dwarfVirtualityNames, 3},
        {g_dwarfOrderingNames, 3},  {g_dwarfOperationNames, 151}, {g_memoryKindNames, 4},
    };
    for (const Family &family : families) {
        EXPECT_EQ(family.rows, Rows(family.table)) << family.table[0].name;
        std::set<DWORD> values;
        std::set<std::string> names;
        for (size_t i = 0; i < Rows(family.table); ++i) {
            EXPECT_TRUE(values.insert(family.table[i].value).second) << family.table[i].name;
            EXPECT_TRUE(names.insert(family.table[i].name).second) << family.table[i].name;
        }
    }
    // The DWARF 1.1 attribute codes carry a form from 1 to 8 (0 only for AT_invalid).
    for (size_t i = 1; i < Rows(g_dwarf1AttributeNames); ++i) {
        DWORD form = g_dwarf1AttributeNames[i].value & 0xF;
        EXPECT_TRUE(form >= 1 && form <= 8) << g_dwarf1AttributeNames[i].name;
    }
}

} // namespace
