#include "symbolengineerrortext.h"

#include <gtest/gtest.h>

namespace {

CString TextOf(int code)
{
    return GetSymbolEngineErrorText(&code);
}

TEST(SymbolEngineErrorText, EachStatusOfTheEngineHasItsText)
{
    EXPECT_STREQ(TextOf(0), "Successfull - no error");
    EXPECT_STREQ(TextOf(1), "Symbol engine error");
    EXPECT_STREQ(TextOf(6), "Error: Information not available");
    EXPECT_STREQ(TextOf(7), "Error: Unknown file format");
    EXPECT_STREQ(TextOf(8), "Error: Section overlap");
    EXPECT_STREQ(TextOf(9), "Debug Server error");
    EXPECT_STREQ(TextOf(-1), "Unknown error");
}

TEST(SymbolEngineErrorText, AnyOtherCodeGivesItsLow16BitsInHex)
{
    CString ten = TextOf(10);
    EXPECT_STREQ(ten, "Value(?): 0x0000000a");
    EXPECT_STREQ(TextOf(-2), "Value(?): 0x0000fffe");
    EXPECT_STREQ(TextOf(0x12345), "Value(?): 0x00002345");
    // Each text is the caller's own: a later unknown code leaves an earlier text alone.
    EXPECT_STREQ(ten, "Value(?): 0x0000000a");
}

} // namespace
