#include "textconv.h"

#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string Widen(const std::string &text)
{
    std::u16string wide(text.size(), u'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                static_cast<int>(wide.size()));
    EXPECT_EQ(n, static_cast<int>(text.size()));
    return wide;
}

} // namespace

TEST(TextConversion, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    all += '\0'; // the zero byte too, inside an explicit length
    std::u16string wide = Widen(all);
    std::string back(all.size(), 'x');
    BOOL usedDefault = TRUE;
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), back.data(),
                                static_cast<int>(back.size()), nullptr, &usedDefault);
    EXPECT_EQ(n, 256);
    EXPECT_EQ(back, all);
    EXPECT_FALSE(usedDefault);
}

TEST(TextConversion, HighControlBytesFollowCodePage1252)
{
    // Windows' published table for 0x80-0x9F; the unassigned five keep their own number.
    const char16_t expected[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    for (int b = 0x80; b <= 0x9F; ++b) {
        std::u16string wide = Widen(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(wide[0], expected[b - 0x80]) << "byte " << std::hex << b;
    }
    EXPECT_EQ(Widen("\xA0\xE9\xFF"), u"\u00A0\u00E9\u00FF");
}

TEST(TextConversion, CodePagesOfTheSystemAllMeanAnsi)
{
    WCHAR out[2];
    for (UINT cp : {CP_ACP, CP_OEMCP, CP_THREAD_ACP}) {
        ASSERT_EQ(MultiByteToWideChar(cp, 0, "\x80", 1, out, 2), 1);
        EXPECT_EQ(out[0], 0x20AC);
    }
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(65001, 0, "a", 1, out, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(TextConversion, MinusOneLengthCountsTheTerminator)
{
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", -1, nullptr, 0), 4);
    WCHAR wide[4] = {1, 1, 1, 1};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", -1, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide), u"abc");
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    char narrow[4] = {1, 1, 1, 1};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, narrow, 4, nullptr, nullptr), 4);
    EXPECT_STREQ(narrow, "abc");
}

TEST(TextConversion, ExplicitLengthWritesNoTerminator)
{
    WCHAR wide[4] = {9, 9, 9, 9};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, 4), 3);
    EXPECT_EQ(wide[3], 9);
    char narrow[4] = {9, 9, 9, 9};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", 3, narrow, 4, nullptr, nullptr), 3);
    EXPECT_EQ(narrow[3], 9);
}

TEST(TextConversion, ShortBufferFailsWithInsufficientBuffer)
{
    WCHAR wide[3];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char narrow[3];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(TextConversion, BadArgumentsFailWithInvalidParameter)
{
    WCHAR wide[4];
    char narrow[4];
    auto expectInvalid = [](int result) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        SetLastError(0);
    };
    expectInvalid(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 4));
    expectInvalid(MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 4));
    expectInvalid(MultiByteToWideChar(CP_ACP, 0, "a", -2, wide, 4));
    expectInvalid(MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4));
    expectInvalid(WideCharToMultiByte(CP_ACP, 0, nullptr, -1, narrow, 4, nullptr, nullptr));
    expectInvalid(WideCharToMultiByte(CP_ACP, 0, u"a", 0, narrow, 4, nullptr, nullptr));
    expectInvalid(WideCharToMultiByte(CP_ACP, 0, u"a", 1, narrow, -1, nullptr, nullptr));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0x8000, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(TextConversion, UnmappableCharactersBecomeTheDefaultChar)
{
    char narrow[8] = {};
    BOOL usedDefault = FALSE;
    // U+0100 has no 1252 byte; U+0080 is a C1 control that 1252 gives to the euro sign.
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u0100\u0080\u20AC", -1, narrow, 8, nullptr, &usedDefault), 5);
    EXPECT_STREQ(narrow, "a??\x80");
    EXPECT_TRUE(usedDefault);

    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u0100b", -1, narrow, 8, "#", &usedDefault), 3);
    EXPECT_STREQ(narrow, "#b");

    usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u0100", -1, nullptr, 0, nullptr, &usedDefault), 2);
    EXPECT_TRUE(usedDefault) << "a size query reports the substitution too";
}

TEST(TextConversion, SurrogatePairIsOneCharacter)
{
    char narrow[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"x\U0001F600y", -1, narrow, 8, nullptr, nullptr), 4);
    EXPECT_STREQ(narrow, "x?y");
    const char16_t lone[] = {0xD800, u'z', 0};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, lone, -1, narrow, 8, nullptr, nullptr), 3);
    EXPECT_STREQ(narrow, "?z");
}
