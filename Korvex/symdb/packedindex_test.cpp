#include "packedindex.h"

#include <gtest/gtest.h>

namespace {

TEST(PackedIndex, ModuleAndNumberShareOneWord)
{
    LONG index = PackTypeIndex(7, 0x123);
    EXPECT_EQ(index, (7 << 18) | 0x123);
    EXPECT_EQ(GetModulOfIndex(index), 7);
    EXPECT_EQ(GetModulOfIndex(PackTypeIndex(0x1FFF, 0x3FFFF)), 0x1FFF);
}

TEST(PackedIndex, PackingCutsEachPartToItsBits)
{
    EXPECT_EQ(PackTypeIndex(0x2001, 0x40001), PackTypeIndex(1, 1));
}

TEST(PackedIndex, WritersRefuseWhatDoesNotFit)
{
    EXPECT_EQ(PackIndexChecked(0x1FFF, 0x3FFFF, FALSE), PackTypeIndex(0x1FFF, 0x3FFFF));
    for (auto [modul, number] : {std::pair<LONG, LONG>{0x2000, 1}, {1, 0x40000}, {1, -2}, {-1, 1}}) {
        try {
            PackIndexChecked(modul, number, FALSE);
            ADD_FAILURE() << modul << " " << number;
        } catch (CQelIndexRangeException *e) {
            EXPECT_EQ(e->m_nErrorCode, 3349u);
            EXPECT_FALSE(e->m_strDescription.IsEmpty());
            EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CQeldbException)));
            e->Delete();
        }
    }
}

TEST(PackedIndex, NoneStaysMinusOneInAnyModule)
{
    // Packed, -1 would be number 0x3FFFF, the first synthetic type of a DWARF module.
    EXPECT_EQ(PackIndexChecked(7, -1, FALSE), -1);
    EXPECT_EQ(PackIndexChecked(7, -1, TRUE), -1);
    EXPECT_EQ(PackIndexChecked(-1, -1, FALSE), -1);
}

TEST(PackedIndex, SharedTypesPackNoModuleSoTheirModuleIsNotChecked)
{
    EXPECT_EQ(PackIndexChecked(0x2000, 5, TRUE), 5);
}

} // namespace
