#include "symbolcodes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(SymbolCodes, ModesAndTypesPrintAsTheirNames)
{
    DWORD value = SYAM_VIRTUAL;
    EXPECT_STREQ(LookupSyamName(&value), "SYAM_VIRTUAL");
    value = SYAM_NOT_VALID;
    EXPECT_STREQ(LookupSyamName(&value), "SYAM_NOT_VALID");
    value = SYAM_REGISTER_BIT;
    EXPECT_STREQ(LookupSyamName(&value), "SYAM_REGISTER_BIT");
    value = TYSE_CODE_THUMB16;
    EXPECT_STREQ(LookupTyseName(&value), "TYSE_CODE_THUMB16");
    value = TYSE_BSS_WITH_GAPS;
    EXPECT_STREQ(LookupTyseName(&value), "TYSE_BSS_WITH_GAPS");
}

TEST(SymbolCodes, AnUnknownValueGivesItsLow16BitsInHex)
{
    DWORD value = 0x12345;
    EXPECT_STREQ(LookupSyamName(&value), "Value(?): 0x00002345");
    value = TYSE_WITH_GAPS + TYSE_CONST;
    LPCSTR text = LookupTyseName(&value);
    EXPECT_STREQ(text, "Value(?): 0x00000002");
    EXPECT_EQ(std::strlen(text) - std::strlen("Value(?): "), 10u);
}

} // namespace
