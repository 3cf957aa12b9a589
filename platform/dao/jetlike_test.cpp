#include "jetlike.h"

#include <gtest/gtest.h>

using qeldao::JetPattern;

namespace {

bool Like(const char *text, const char *pattern)
{
    return JetPattern(pattern).Matches(text);
}

TEST(JetLike, StarMatchesAnyRunOfCharacters)
{
    EXPECT_TRUE(Like("main", "*"));
    EXPECT_TRUE(Like("", "*"));
    EXPECT_TRUE(Like("init_timer", "init*"));
    EXPECT_TRUE(Like("init_timer", "*timer"));
    EXPECT_TRUE(Like("init_timer", "*t_t*"));
    EXPECT_FALSE(Like("init_timer", "*clock*"));
    EXPECT_TRUE(Like("aXbXc", "a*b*c"));
    EXPECT_FALSE(Like("aXbXd", "a*b*c"));
}

TEST(JetLike, UnderscoreAndPercentStandForThemselves)
{
    EXPECT_TRUE(Like("a_b", "a_b"));
    EXPECT_FALSE(Like("axb", "a_b"));
    EXPECT_FALSE(Like("aXYb", "a%b"));
    EXPECT_TRUE(Like("a%b", "a%b"));
}

TEST(JetLike, QuestionMarkAndHashTakeOneCharacter)
{
    EXPECT_TRUE(Like("r1", "r?"));
    EXPECT_FALSE(Like("r", "r?"));
    EXPECT_FALSE(Like("r12", "r?"));
    EXPECT_TRUE(Like("r7", "r#"));
    EXPECT_FALSE(Like("rx", "r#"));
}

TEST(JetLike, ListsRangesAndNegatedLists)
{
    EXPECT_TRUE(Like("b", "[abc]"));
    EXPECT_FALSE(Like("d", "[abc]"));
    EXPECT_TRUE(Like("q", "[a-z]"));
    EXPECT_FALSE(Like("5", "[a-z]"));
    EXPECT_TRUE(Like("5", "[!a-z]"));
    EXPECT_FALSE(Like("q", "[!a-z]"));
    EXPECT_TRUE(Like("-", "[a-]"));
    EXPECT_TRUE(Like("*", "[*]"));
    EXPECT_FALSE(Like("x", "[*]"));
    EXPECT_TRUE(Like("x?", "x[?]"));
}

TEST(JetLike, LettersMatchBlindToAsciiCaseOnly)
{
    EXPECT_TRUE(Like("MAIN", "main"));
    EXPECT_TRUE(Like("Main", "m[A-C]in"));
    EXPECT_TRUE(Like("mBin", "m[a-c]in"));
    // 0xE2 is the encoded 'a' of the NameString columns; it must not match 'A' or 'a',
    // nor its Latin-1 capital 0xC2.
    EXPECT_FALSE(Like("\xE2", "a"));
    EXPECT_FALSE(Like("\xE2", "A"));
    EXPECT_FALSE(Like("\xE2", "\xC2"));
    EXPECT_TRUE(Like("\xE2x", "\xE2*"));
}

TEST(JetLike, BracketsWithoutTheirEndStandForThemselves)
{
    EXPECT_TRUE(Like("a[b", "a[b"));
    EXPECT_FALSE(Like("ab", "a[b"));
    EXPECT_TRUE(Like("ab", "a[]b"));
}

TEST(JetLike, ManyStarsDoNotTakeLong)
{
    std::string text(20000, 'a');
    EXPECT_FALSE(Like(text.c_str(), "*a*a*a*a*a*a*a*a*a*a*b"));
}

} // namespace
