#include "numberparse.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseNumberTextTest, HexadecimalByPrefixOrSuffixElseDecimalWithBadCharactersAsZero)
{
    struct Case {
        const char *text;
        LONG value;
    } cases[] = {
        {"1Fh", 31},       {"1FH", 31},    {"0x1F", 31},  {"0X1f", 31}, {"31", 31},
        {"12a", 120},      {"", 0},        {"0x", 0},     {"h", 0},     {"-5", 5}, // no sign: '-' counts as 0
        {"FFFFFFFFh", -1}, {"4294967297", 1}, // 32 bits, wrapping
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseNumberText(c.text), c.value) << c.text;
    EXPECT_EQ(ParseNumberText(nullptr), 0);
}

TEST(ParseNumberTest, RadixFromTheTextOrTheCaller)
{
    struct Case {
        const char *text;
        int radix;
        BOOL ok;
        DWORD value;
    } cases[] = {
        {"-10", 0, TRUE, 0xFFFFFFF6u},
        {"+10", 0, TRUE, 10},
        {"101b", 0, TRUE, 5},
        {"101B", 0, TRUE, 5},
        {"1Bh", 0, TRUE, 27},
        {"0x1B", 0, TRUE, 27},
        {"0XfF", 0, TRUE, 255},
        {"-0x10", 0, TRUE, 0xFFFFFFF0u},
        {"255", 0, TRUE, 255},
        {"10", 3, TRUE, 0x10},     // an address field: hexadecimal always
        {"10h", 3, TRUE, 0x10},
        {"0x10", 3, TRUE, 0x10},
        {"1B", 3, TRUE, 0x1B},     // in hexadecimal B is a digit, not the binary mark
        {"101", 1, TRUE, 5},
        {"101b", 1, TRUE, 5},
        {"21", 1, FALSE, 1},       // the 2 is no binary digit; the digits right of it count
        {"99", 2, TRUE, 99},
        {"1A", 2, FALSE, 0},
        {"12G", 0, FALSE, 0},
        {"G12", 0, FALSE, 12},
        {"FFFFFFFFFh", 0, TRUE, 0xFFFFFFFFu}, // 32 bits, wrapping
        {"11", 0x1001, TRUE, 3},   // only the low 12 bits of the radix count
    };
    for (const Case &c : cases) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(ParseNumber(c.text, &value, c.radix), c.ok) << c.text << " radix " << c.radix;
        EXPECT_EQ(value, c.value) << c.text << " radix " << c.radix;
    }
}

TEST(ParseNumberTest, TextsWithoutDigitsFailAndStoreNothing)
{
    for (const char *text : {"", "-", "+", "0x", "h", "b"}) {
        DWORD value = 77;
        EXPECT_FALSE(ParseNumber(text, &value, 0)) << text;
        EXPECT_EQ(value, 77u) << text;
    }
    DWORD value = 77;
    EXPECT_FALSE(ParseNumber(nullptr, &value, 0));
    EXPECT_FALSE(ParseNumber("12", nullptr, 0));
    EXPECT_FALSE(ParseNumber("12", &value, 16)); // a radix code, not a radix
    EXPECT_EQ(value, 77u);
}

TEST(ParseRadixNumberTest, SuffixesSelectTheRadixAndAnInvalidOneFails)
{
    struct Case {
        const char *text;
        int defaultRadix;
        BOOL ok;
        DWORD value;
    } cases[] = {
        {"12", 16, TRUE, 0x12},
        {"12D", 16, TRUE, 12},     // decimal suffix
        {"1AD", 16, TRUE, 0x1AD},  // an A stands before the D: the D is a digit
        {"17O", 16, TRUE, 15},     // octal suffix
        {"17o", 10, TRUE, 15},     // blind to case
        {"99Z", 16, TRUE, 99},
        {"12X", 16, FALSE, 0x12},  // an invalid suffix fails
        {"1FH", 10, TRUE, 0x1F},   // the hexadecimal suffix beats the default
        {"0x1F", 10, TRUE, 0x1F},
        {"  42", 10, TRUE, 42},    // leading white space goes
        {"42 ", 10, FALSE, 42},    // trailing white space is not read
        {"12", 10, TRUE, 12},
        {"A", 16, TRUE, 10},       // one character: the default radix
        {"D", 16, TRUE, 13},       // one character: no suffix rules
        {"017", 0, TRUE, 15},      // other radixes: as strtoul chooses
        {"0x17", 2, TRUE, 0x17},
        {"17", 2, TRUE, 17},
        {"-1", 10, TRUE, 0xFFFFFFFFu},
        {"+7", 10, TRUE, 7},
        {"4294967295", 10, TRUE, 0xFFFFFFFFu},
        {"4294967296", 10, TRUE, 0xFFFFFFFFu}, // beyond 32 bits, as a 32-bit strtoul
        {"", 10, FALSE, 0},
        {"H", 10, FALSE, 0},
        {"OH", 10, FALSE, 0},      // nothing left after the suffixes
        {"- 1", 10, FALSE, 0},
        {"--1", 10, FALSE, 0},
    };
    for (const Case &c : cases) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(ParseRadixNumber(c.text, &value, c.defaultRadix), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
    EXPECT_FALSE(ParseRadixNumber(nullptr, nullptr, 10));
    EXPECT_TRUE(ParseRadixNumber("5", nullptr, 10));
}

TEST(DigitTest, DigitsOfEachRadix)
{
    EXPECT_EQ(DigitValue('7', 10), 7);
    EXPECT_EQ(DigitValue('7', 2), 7);
    EXPECT_EQ(DigitValue('b', 16), 11);
    EXPECT_EQ(DigitValue('B', 10), 0);
    EXPECT_EQ(DigitValue('-', 16), 0);

    struct Case {
        char c;
        int radix;
        BOOL digit;
        DWORD value;
    } cases[] = {
        {'1', 1, TRUE, 1}, {'2', 1, FALSE, 0}, {'9', 2, TRUE, 9}, {'A', 2, FALSE, 0},
        {'f', 3, TRUE, 15}, {'9', 0, TRUE, 9}, {'E', 0, TRUE, 14}, {'G', 3, FALSE, 0},
        {'5', 0x2002, TRUE, 5},
    };
    for (const Case &c : cases) {
        DWORD value = 0;
        EXPECT_EQ(DigitOfRadix(c.c, &value, c.radix), c.digit) << c.c << " radix " << c.radix;
        if (c.digit) {
            EXPECT_EQ(value, c.value) << c.c;
        }
    }
    EXPECT_TRUE(DigitOfRadix('1', nullptr, 1));
}

TEST(TextToDoubleTest, ReadsAsTheCLibraryDoes)
{
    EXPECT_DOUBLE_EQ(TextToDouble("3.25"), 3.25);
    EXPECT_DOUBLE_EQ(TextToDouble(" -1e3x"), -1000.0);
    EXPECT_DOUBLE_EQ(TextToDouble("abc"), 0.0);
    EXPECT_DOUBLE_EQ(TextToDouble(nullptr), 0.0);
}

} // namespace
