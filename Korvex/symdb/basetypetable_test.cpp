#include "basetypetable.h"

#include <gtest/gtest.h>

namespace {

LONG CodeOf(const char *name, LONG bits)
{
    LONG code = -1;
    return FindBaseTypeCode(name, bits, &code) ? code : -1;
}

TEST(BaseTypeTable, NameAndSizeTogetherGiveTheCode)
{
    EXPECT_EQ(CodeOf("long long int", 32), 5);
    EXPECT_EQ(CodeOf("long long int", 64), 107);
    EXPECT_EQ(CodeOf("int", 16), 9);
    EXPECT_EQ(CodeOf("int", 32), 11);
    EXPECT_EQ(CodeOf("void", 0), 0);
    EXPECT_EQ(CodeOf("_bit", 8), 13);
}

TEST(BaseTypeTable, NamesCompareBlindToCase)
{
    EXPECT_EQ(CodeOf("INT", 16), 9);
    EXPECT_EQ(CodeOf("Unsigned Char", 8), 2);
}

TEST(BaseTypeTable, ASizeTheTableLacksIsNoBaseType)
{
    EXPECT_EQ(CodeOf("int", 8), -1);
    EXPECT_EQ(CodeOf("complex", 64), -1);
    EXPECT_EQ(CodeOf("in", 16), -1);
}

} // namespace
