#include "collation.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names, int (*compare)(LPCSTR, LPCSTR))
{
    std::stable_sort(names.begin(), names.end(),
                     [compare](const std::string &a, const std::string &b) { return compare(a.c_str(), b.c_str()) < 0; });
    return names;
}

} // namespace

TEST(Collation, LettersCompareBlindToCaseFirstThenLowerCaseFirst)
{
    EXPECT_EQ(Sorted({"b", "B", "a"}, lstrcmpA), (std::vector<std::string>{"a", "b", "B"}));
    EXPECT_EQ(Sorted({"B", "A", "b", "a"}, lstrcmpA), (std::vector<std::string>{"a", "A", "b", "B"}));
    EXPECT_LT(lstrcmpA("Apple", "banana"), 0);
    EXPECT_LT(lstrcmpA("abc", "ABD"), 0) << "the letters decide before the case";
}

TEST(Collation, SymbolsBeforeDigitsBeforeLetters)
{
    EXPECT_EQ(Sorted({"a1", "1a", "_a", "A"}, lstrcmpA), (std::vector<std::string>{"_a", "1a", "A", "a1"}));
    EXPECT_LT(lstrcmpA("x_y", "x1"), 0);
    EXPECT_LT(lstrcmpA("x9", "xa"), 0);
}

TEST(Collation, AccentsCountAfterTheLetters)
{
    EXPECT_LT(lstrcmpA("e", "\xE9"), 0);  // e < é
    EXPECT_LT(lstrcmpA("\xE9", "f"), 0);  // é < f
    EXPECT_LT(lstrcmpA("\xE9" "a", "eb"), 0); // the letters decide first
    EXPECT_LT(lstrcmpA("stra\xDF" "e", "strasse1"), 0) << "sharp s sorts as ss";
}

TEST(Collation, HyphenAndApostropheCountLast)
{
    EXPECT_EQ(Sorted({"cop", "co-op", "coop"}, lstrcmpA), (std::vector<std::string>{"coop", "co-op", "cop"}));
    EXPECT_LT(lstrcmpA("its", "it's"), 0);
}

TEST(Collation, OnlyTheSameTextIsEqual)
{
    EXPECT_EQ(lstrcmpA("Name", "Name"), 0);
    EXPECT_NE(lstrcmpA("a\x01", "a"), 0);
    EXPECT_NE(lstrcmpA("a", "A"), 0);
}

TEST(Collation, CaseBlindFormIgnoresOnlyCase)
{
    EXPECT_EQ(lstrcmpiA("QEL", "qel"), 0);
    EXPECT_EQ(lstrcmpiA("\xC9t\xC9", "\xE9t\xE9"), 0); // ÉTÉ = été
    EXPECT_LT(lstrcmpiA("e", "\xC9"), 0);
    EXPECT_LT(lstrcmpiA("a", "B"), 0);
}

TEST(Collation, NullIsTheLowestText)
{
    EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
    EXPECT_LT(lstrcmpA(nullptr, ""), 0);
    EXPECT_GT(lstrcmpiA("a", nullptr), 0);
}
