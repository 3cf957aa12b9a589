#include "watchtesting.h"

#include "watchtokens.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Case {
    const char *text;
    const char *tree;
};

// Texts and their trees, worked out by hand from the grammar; T and motor are type
// names.
TEST(WatchParser, BuildsTheTreeOfEveryForm)
{
    static const Case cases[] = {
        // postfix forms and the examples
        {"a.b[2]->c", "(260 (297 (46 a b) 2) c)"},
        {"(char **)p", "(295 (296 K:267 (42 - K:42)) p)"},
        {"(unsigned long)x", "(295 K:291 x)"},
        // every binary level, lowest first, and left associativity
        {"a||b&&c|d^e&f==g<h<<i+j*k", "(262 a (261 b (124 c (94 d (38 e (265 f (60 g (259 h (43 i (42 j k))))))))))"},
        {"a*b+c<<d<e==f&g^h|i&&j||k", "(262 (261 (124 (94 (38 (265 (60 (259 (43 (42 a b) c) d) e) f) g) h) i) j) k)"},
        {"a-b-c", "(45 (45 a b) c)"},
        {"a<<b+c", "(259 a (43 b c))"},
        {"a%b/c*d", "(42 (47 (37 a b) c) d)"},
        {"a<b>c<=d>=e", "(264 (263 (62 (60 a b) c) d) e)"},
        {"a==b!=c>>d", "(266 (265 a b) (258 c d))"},
        // the conditional: its last operand is an expr, its middle a logical_or_expr
        {"a?b:c?d:e", "(294 a b (294 c d e))"},
        {"a||b?c+d:e", "(294 (262 a b) (43 c d) e)"},
        // unary operators and casts
        {"(int)a[1]", "(295 K:269 (297 a 1))"},
        {"-(int)x", "(45 - (295 K:269 x))"},
        {"(T)-x", "(295 T:T (45 - x))"},
        {"(T)(x)", "(295 T:T x)"},
        {"* *p", "(42 - (42 - p))"},
        {"&a.b", "(38 - (46 a b))"},
        {"!~+x*-y", "(42 (33 - (126 - (43 - x))) (45 - y))"},
        {"(T ***)p", "(295 (296 T:T (42 - (42 - K:42))) p)"},
        {"(struct s *)p", "(295 (296 (275 s -) K:42) p)"},
        {"(union u)x", "(295 (276 u -) x)"},
        {"(enum e **)x", "(295 (296 (272 e -) (42 - K:42)) x)"},
        {"(unsigned char)(signed char)(unsigned int)(signed int)(signed long)x",
         "(295 K:287 (295 K:288 (295 K:289 (295 K:290 (295 K:292 x)))))"},
        {"(short)(long)(signed)(unsigned)(float)(double)(void *)(bit)(bitword)x",
         "(295 K:273 (295 K:270 (295 K:274 (295 K:277 (295 K:268 (295 K:271 (295 (296 K:278 K:42) (295 K:279 "
         "(295 K:280 x)))))))))"},
        // constants: 32 bits, saturating; "010" is ten, '\n' the backslash
        {"010+0x10+'A'", "(43 (43 10 16) 65)"},
        {"'\\n'", "92"},
        {"0x100000000", "4294967295"},
        {"4294967296", "4294967295"},
        {"0xFFFFFFFFul", "4294967295"},
        {"1.5e3", "F:1500"},
        {".5", "F:0.5"},
        {"1.", "F:1"},
        {"2e-1f", "F:0.20000000000000001"},
        {"010.5", "F:10.5"},
        // the input: the first primary expression is the root; comments between them
        {"a)(b", "a"},
        {"a)//x", "a"},
        {"a)/*c*/(b", "a"},
        {"a$", "a"},
        {"a\t+\nb", "(43 a b)"},
        // type names where no type can stand are identifiers
        {"motor", "motor"},
        {"s.T->motor", "(260 (46 s T) motor)"},
        {"(struct motor *)p", "(295 (296 (275 motor -) K:42) p)"},
        {"(T)", "T"},
        {"(T)[1]", "(297 T 1)"},
        {"(T).x", "(46 T x)"},
        {"(T) + 1", "(295 T:T (43 - 1))"},
        {"(T) == 1 ? T : 0", "(294 (265 T 1) T 0)"},
        {"(T + 1)", "(43 T 1)"},
        {"a * T", "(42 a T)"},
        {"(T)x", "(295 T:T x)"},
        {"(T *)&x", "(295 (296 T:T K:42) (38 - x))"},
    };
    CTestTypeNames types({"T", "motor"});
    CQelWatchParser parser(CAddressValue(), &types);
    for (const Case &c : cases)
        EXPECT_EQ(TreeOf(parser, c.text), c.tree) << c.text;
}

TEST(WatchParser, RefusesWhatTheGrammarDoesNotTake)
{
    static const char *const refused[] = {
        "x = 1", "a, b", "f(x)", "\"s\"", "x /*c*/", "x //c", "(unsigned short)x", "(long int)x",
        "a ? b ? c : d : e", "bit", "(", "", "a)b", "int", "(int)", "a.1", "a->(b)", "a[1", "{a}", "a;", "(T * x)",
        "(struct)x", "(struct 1)x", "x++", "0x", "s.5",
    };
    CTestTypeNames types({"T"});
    CQelWatchParser parser(CAddressValue(), &types);
    for (const char *text : refused) {
        EXPECT_EQ(parser.Parse(text), nullptr) << text;
        EXPECT_NE(parser.GetErrorReport(), "") << text;
        EXPECT_EQ(parser.GetRoot(), nullptr) << text;
    }
}

TEST(WatchParser, WithoutASymbolClientEveryNameIsAnIdentifier)
{
    CQelWatchParser parser(CAddressValue(0x8000, 1, 0), static_cast<CSymbolProcessing *>(nullptr));
    EXPECT_EQ(TreeOf(parser, "T"), "T");
    EXPECT_EQ(TreeOf(parser, "(T)x"), "refused");
    EXPECT_EQ(parser.GetScope().AddressValue, 0x8000u);
}

// The reports, byte for byte: the column counts the added "(", a tab to the next multiple
// of 8, no comment and no skipped character; the caret and the message stand right-
// aligned in fields as wide as the column.
TEST(WatchParser, ReportsTheColumnOfTheFailingToken)
{
    const std::string deep = std::string(1024, '-') + "x";
    static const struct {
        std::string text;
        UINT bufferSize;
        std::string report;
    } cases[] = {
        {"x = 1", 1024, "(x = 1) (4)\n   ^\nparse error\n"},
        {"a\t= 1", 1024, "(a\t= 1) (9)\n        ^\nparse error\n"},
        {"a)/*c*/ =", 1024, "(a)/*c*/ =) (5)\n    ^\nparse error\n"},
        {"(unsigned $short)x", 1024,
         "((unsigned $short)x) (16)\n               ^\n     parse error\n"},
        {"abcdefghij + 12345", 16, "(abcdefghij + 1 (14)\n             ^\n   parse error\n"},
        {deep, 4096,
         "(" + deep + ") (1025)\n" + std::string(1024, ' ') + "^\n" + std::string(1004, ' ') +
             "parser stack overflow\n"},
    };
    for (const auto &c : cases) {
        CQelWatchParser parser(CAddressValue(), static_cast<CSymbolProcessing *>(nullptr), c.bufferSize);
        EXPECT_EQ(parser.Parse(c.text.c_str()), nullptr) << c.text;
        EXPECT_EQ(parser.GetErrorReport(), c.report) << c.text;
        // A parse that follows starts at column 0 and clears the report.
        EXPECT_NE(parser.Parse("a"), nullptr);
        EXPECT_EQ(parser.GetErrorReport(), "");
    }
}

// A text fits when it is at most the buffer size less 3 long; nothing longer is read.
TEST(WatchParser, RefusesATextLongerThanTheBufferAllows)
{
    CQelWatchParser parser(CAddressValue(), static_cast<CSymbolProcessing *>(nullptr), 8);
    EXPECT_EQ(TreeOf(parser, "abcde"), "abcde");
    EXPECT_EQ(TreeOf(parser, "abcdef"), "refused");
    EXPECT_EQ(parser.GetErrorReport(), "(abcdef (1)\n^\nparse error\n");
    EXPECT_EQ(TreeOf(parser, "a+b+c+"), "refused") << "the closing parenthesis does not fit";
    CQelWatchParser none(CAddressValue(), static_cast<CSymbolProcessing *>(nullptr), 0);
    EXPECT_EQ(TreeOf(none, "a"), "refused");
}

// One lookup per name, members and tags included, in the order of the text, none for a
// keyword and none after the token that fails.
TEST(WatchParser, AsksForEveryNameInTextOrderUpToTheFailure)
{
    static const struct {
        const char *text;
        std::vector<std::string> asked;
    } cases[] = {
        {"a.b + c->d[e]", {"a", "b", "c", "d", "e"}},
        {"(struct s *)(int)p", {"s", "p"}},
        {"(T)x", {"T", "x"}},
        {"a + b = c + d", {"a", "b"}},
        {"(x y) z", {"x", "y"}},
    };
    for (const auto &c : cases) {
        CTestTypeNames types({"T"});
        CQelWatchParser parser(CAddressValue(), &types);
        parser.Parse(c.text);
        EXPECT_EQ(types.asked, c.asked) << c.text;
    }
}

// Unary operators and casts nest with parentheses and brackets up to 1,024 levels, the
// added parenthesis included.
TEST(WatchParser, NestsUpTo1024Levels)
{
    CQelWatchParser parser(CAddressValue(), static_cast<CSymbolProcessing *>(nullptr), 8192);
    auto levels = [&](int unary, int brackets, int parentheses, int casts) {
        std::string text;
        for (int i = 0; i < casts; ++i)
            text += "(int)";
        text += std::string(unary, '-');
        for (int i = 0; i < brackets; ++i)
            text += "a[";
        text += std::string(parentheses, '(') + "x" + std::string(parentheses, ')') + std::string(brackets, ']');
        WatchParseNode *root = parser.Parse(text.c_str());
        if (root == nullptr) {
            EXPECT_NE(parser.GetErrorReport().find(" parser stack overflow\n"), std::string::npos);
        }
        return root != nullptr;
    };
    EXPECT_TRUE(levels(1023, 0, 0, 0));
    EXPECT_FALSE(levels(1024, 0, 0, 0));
    EXPECT_TRUE(levels(0, 0, 1023, 0));
    EXPECT_FALSE(levels(0, 0, 1024, 0));
    EXPECT_TRUE(levels(300, 300, 300, 123));
    EXPECT_FALSE(levels(300, 300, 300, 124));
    // Levels that close do not count on.
    EXPECT_TRUE(parser.Parse((std::string(1000, '-') + "x+" + std::string(1000, '-') + "y").c_str()) != nullptr);
}

TEST(WatchParser, WritesTheTraceInMode1Only)
{
    CTestTypeNames types;
    CQelWatchParser parser(CAddressValue(), &types);
    ASSERT_NE(parser.Parse("a", 1), nullptr);
    const std::string &trace = parser.GetTrace();
    for (const char *line :
         {"Starting parse\n", "Reading a token: Next token is 40 ('(')\n", "Shifting token 40 ('(')\n",
          "Reading a token: Next token is 284 (IDENTIFIER)\n", "Reducing via rule 4 (line ",
          "IDENTIFIER  -> primary_expr\n", "Reading a token: Now at end of input.\n",
          "primary_expr input  -> input\n"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\nin\n" << trace;
    ASSERT_NE(parser.Parse("a"), nullptr);
    EXPECT_EQ(parser.GetTrace(), "");
}

// The trace's steps as "s TOKEN" for a shift and "r RULE" for a reduction, in order.
std::vector<std::string> Steps(const std::string &trace)
{
    std::vector<std::string> steps;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        int number = 0;
        if (std::sscanf(line.c_str(), "Shifting token %d", &number) == 1)
            steps.push_back("s " + std::to_string(number));
        else if (std::sscanf(line.c_str(), "Reducing via rule %d", &number) == 1)
            steps.push_back("r " + std::to_string(number));
    }
    return steps;
}

TEST(WatchParser, TheTraceFollowsTheStepsOfTheParse)
{
    CTestTypeNames types;
    CQelWatchParser parser(CAddressValue(), &types);
    // "(-(char)x*2)": each reduction comes after the shifts of its symbols, and every
    // symbol climbs the levels one production at a time.
    ASSERT_NE(parser.Parse("-(char)x*2", 1), nullptr);
    const std::vector<std::string> climb = {"r 28", "r 23", "r 20", "r 18", "r 16", "r 14", "r 12", "r 10"};
    std::vector<std::string> expected = {
        "s 40", "s 45", "r 72",           // '(' '-' -> unary_operator
        "s 40", "s 267", "r 42", "r 40", // '(' T_CHAR -> type_specifier -> type_name
        "s 41", "s 284", "r 4", "r 65", "r 63", "r 38", // ')' x -> ... -> cast_expr
        "r 39", "r 64", "r 38", "r 34",  // the cast, the unary operator, multiplicative_expr
        "s 42", "s 281", "r 5", "r 65", "r 63", "r 38", "r 35", "r 31"}; // '*' 2, additive_expr
    expected.insert(expected.end(), climb.begin(), climb.end());
    expected.insert(expected.end(), {"r 8", "s 41", "r 7", "r 1", "r 3"});
    EXPECT_EQ(Steps(parser.GetTrace()), expected);
    // a?b:c?d:e: the last operand is an expr before each conditional, innermost first.
    ASSERT_NE(parser.Parse("a?b:c?d:e", 1), nullptr);
    const std::vector<std::string> steps = Steps(parser.GetTrace());
    ASSERT_GE(steps.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(steps.end() - 8, steps.end()),
              (std::vector<std::string>{"r 10", "r 8", "r 9", "r 9", "s 41", "r 7", "r 1", "r 3"}));
}

TEST(WatchParser, NamesTokensAsTheTraceDoes)
{
    EXPECT_STREQ(WatchTokenName(0), "$");
    EXPECT_STREQ(WatchTokenName(PTR_OP), "PTR_OP");
    EXPECT_STREQ(WatchTokenName(COMMENT), "COMMENT");
    EXPECT_STREQ(WatchTokenName('&'), "'&'");
    EXPECT_STREQ(WatchTokenName('~'), "'~'");
    EXPECT_STREQ(WatchTokenName('a'), "$undefined.");
}

} // namespace
