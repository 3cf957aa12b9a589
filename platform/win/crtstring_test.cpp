#include "crtstring.h"

#include <gtest/gtest.h>

TEST(CaseBlindCompare, AsciiLettersCompareBlindToCase)
{
    EXPECT_EQ(_stricmp("Hello", "hELLO"), 0);
    EXPECT_LT(_stricmp("apple", "Banana"), 0);
    EXPECT_GT(_stricmp("b", "A"), 0);
    EXPECT_LT(_stricmp("ab", "abc"), 0);
}

TEST(CaseBlindCompare, LettersAreFoldedToLowerCaseBeforeComparing)
{
    // '_' lies between 'Z' and 'a': folding to lower case puts it before the letters.
    EXPECT_LT(_stricmp("_", "A"), 0);
    EXPECT_LT(_stricmp("_", "a"), 0);
}

TEST(CaseBlindCompare, OnlyAsciiIsFolded)
{
    EXPECT_NE(_stricmp("\xC9", "\xE9"), 0);
    EXPECT_GT(_stricmp("\xE9", "z"), 0) << "bytes compare unsigned";
}

TEST(CaseBlindCompare, LimitedCompareStopsAtTheCount)
{
    EXPECT_EQ(_strnicmp("TrueWord", "trueword and more", 8), 0);
    EXPECT_NE(_strnicmp("TrueWord", "trueword and more", 9), 0);
    EXPECT_EQ(_strnicmp("abc", "ABC", 32), 0);
    EXPECT_EQ(_strnicmp("x", "y", 0), 0);
}
