#include "texttokens.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(GetTokenTest, CountsOnlyNonEmptyTokens)
{
    struct Case {
        const char *text;
        const char *delimiters;
        int index;
        const char *token; // null: none
    } cases[] = {
        {"a,,b", ",", 1, "b"},
        {"a,,b", ",", 0, "a"},
        {"a,,b", ",", 2, nullptr},
        {",,a", ",", 0, "a"},
        {"one two\tthree", " \t", 2, "three"},
        {"x;y z", "; ", 1, "y"},
        {"whole", nullptr, 0, "whole"},
        {"", ",", 0, nullptr},
        {",,,", ",", 0, nullptr},
        {"a", ",", -1, nullptr},
    };
    for (const Case &c : cases) {
        const char *token = GetToken(c.text, c.delimiters, c.index);
        if (c.token == nullptr)
            EXPECT_EQ(token, nullptr) << c.text << " #" << c.index;
        else
            EXPECT_STREQ(token, c.token) << c.text << " #" << c.index;
    }
    EXPECT_EQ(GetToken(nullptr, ",", 0), nullptr);
}

TEST(GetTokenTest, ATokenOf255CharactersOrMoreIsRefused)
{
    std::string fits(254, 'x');
    std::string tooLong(255, 'y');
    EXPECT_STREQ(GetToken(("a," + fits).c_str(), ",", 1), fits.c_str());
    EXPECT_EQ(GetToken(("a," + tooLong).c_str(), ",", 1), nullptr);
    // A long token that is not asked for does not matter.
    EXPECT_STREQ(GetToken((tooLong + ",b").c_str(), ",", 1), "b");
}

TEST(GetTokenTest, EachThreadHasItsOwnBuffer)
{
    const char *mine = GetToken("main,thread", ",", 0);
    std::string other;
    std::thread([&] { other = GetToken("worker,thread", ",", 0); }).join();
    EXPECT_STREQ(mine, "main");
    EXPECT_EQ(other, "worker");
}

TEST(IsCharInSetTest, TheTerminatorIsInNoSet)
{
    EXPECT_TRUE(IsCharInSet(',', ";,"));
    EXPECT_FALSE(IsCharInSet('.', ";,"));
    EXPECT_FALSE(IsCharInSet('\0', ";,"));
    EXPECT_FALSE(IsCharInSet(',', nullptr));
}

std::vector<std::string> Tokens(const char *text, const char *delimiters, BOOL skipAll, int maxLength = 31)
{
    CCharSetTokenizer tokenizer(text, delimiters);
    std::vector<std::string> tokens;
    char out[32];
    while (tokenizer.NextToken(out, maxLength, skipAll))
        tokens.push_back(out);
    return tokens;
}

using Strings = std::vector<std::string>;

TEST(CharSetTokenizerTest, SplitsAtOneOrAllDelimiters)
{
    struct Case {
        const char *text;
        BOOL skipAll;
        Strings tokens;
    } cases[] = {
        {"a,,b", FALSE, {"a", "", "b"}},
        {"a,,b", TRUE, {"a", "b"}},
        {"a,", FALSE, {"a", ""}},
        {"a,", TRUE, {"a"}},
        {",a", FALSE, {"a"}},       // one delimiter before the first token is passed over
        {",,a", FALSE, {"", "a"}},
        {"a;b c", TRUE, {"a", "b", "c"}},
        {"", FALSE, {}},
        {",,,", TRUE, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Tokens(c.text, ",; ", c.skipAll), c.tokens) << c.text << " skipAll " << c.skipAll;
}

TEST(CharSetTokenizerTest, ALongTokenIsCutButPassedWhole)
{
    EXPECT_EQ(Tokens("abcdef,gh", ",", FALSE, 3), (Strings{"abc", "gh"}));
    EXPECT_EQ(Tokens("abc", ",", FALSE, 0), (Strings{""}));
    CCharSetTokenizer tokenizer("abc", ",");
    EXPECT_FALSE(tokenizer.NextToken(nullptr, 3, FALSE));
    EXPECT_TRUE(tokenizer.IsDelimiter(','));
    EXPECT_FALSE(tokenizer.IsDelimiter('a'));
    EXPECT_EQ(Tokens(nullptr, nullptr, TRUE), Strings{});
}

TEST(SplitTextNumberTest, TextBeforeTheCommaAndTheNumberAfterIt)
{
    struct Case {
        const char *text;
        const char *out;
        LONG number;
    } cases[] = {
        {"main.c,42", "main.c", 42},
        {"main.c, -7", "main.c", -7},
        {"name", "name", 0},
        {",12", "", 12},
        {"a,b,3", "a", 0},
        {"a,99999999999", "a", 0x7FFFFFFF}, // held to 32 bits
        {"a,-99999999999", "a", -0x7FFFFFFF - 1},
    };
    for (const Case &c : cases) {
        CString out = "old";
        LONG number = 5;
        SplitTextNumber(c.text, out, &number);
        EXPECT_STREQ(out, c.out) << c.text;
        EXPECT_EQ(number, c.number) << c.text;
    }
    CString out;
    SplitTextNumber((std::string(2000, 'z') + ",1").c_str(), out, nullptr);
    EXPECT_EQ(out.GetLength(), 1023);
}

} // namespace
