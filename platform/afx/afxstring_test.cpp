#include "afxstring.h"

#include "afxexcept.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

namespace {

TEST(CStringTest, ConstructsFromTextCountsCharactersAndWideText)
{
    EXPECT_STREQ(CString("abc"), "abc");
    EXPECT_TRUE(CString(static_cast<LPCSTR>(nullptr)).IsEmpty());
    EXPECT_EQ(CString("abcdef", 3), "abc");
    EXPECT_EQ(CString('x', 4), "xxxx");
    EXPECT_TRUE(CString('x', 0).IsEmpty());
    // UTF-16 arrives as code page 1252: U+00E9 is one byte, U+20AC (euro) is 0x80.
    CString wide(u"caf\u00e9 \u20ac");
    EXPECT_EQ(wide.GetLength(), 6);
    EXPECT_EQ(static_cast<unsigned char>(wide[3]), 0xE9);
    EXPECT_EQ(static_cast<unsigned char>(wide[5]), 0x80);
}

TEST(CStringTest, KeepsZeroBytesInsideItsLength)
{
    CString s("a\0b", 3);
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s[2], 'b');
    CString copy = s;
    EXPECT_EQ(copy.GetLength(), 3);
    EXPECT_EQ(copy.Find('b'), 2);
}

TEST(CStringTest, AssignsAndConcatenates)
{
    CString s;
    s = "ab";
    s += 'c';
    s += CString("de");
    s += "f";
    EXPECT_EQ(s, "abcdef");
    EXPECT_EQ(CString("x") + "y" + 'z', "xyz");
    EXPECT_EQ("1" + CString("2"), "12");
    EXPECT_EQ('0' + CString("1"), "01");
    s = 'q';
    EXPECT_EQ(s, "q");
    s = u"w";
    EXPECT_EQ(s, "w");
    s = static_cast<LPCSTR>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, AssignsAndAppendsFromItsOwnBuffer)
{
    CString s("abcdef");
    s = static_cast<LPCSTR>(s) + 2;
    EXPECT_EQ(s, "cdef");
    CString t("xy");
    for (int i = 0; i < 10; ++i)
        t += static_cast<LPCSTR>(t);
    EXPECT_EQ(t.GetLength(), 2 << 10);
    EXPECT_EQ(t.Right(3), "yxy");
}

TEST(CStringTest, ComparesBytewiseBlindToCaseAndWithOperators)
{
    CString b("b");
    EXPECT_LT(CString("a").Compare("b"), 0);
    EXPECT_EQ(b.Compare("b"), 0);
    EXPECT_LT(CString("B").Compare("a"), 0);
    EXPECT_EQ(CString("ABC").CompareNoCase("abc"), 0);
    EXPECT_LT(CString("a_").CompareNoCase("aB"), 0); // folded to lower case: _ before b
    EXPECT_EQ(CString("x").Collate("x"), 0);
    EXPECT_TRUE(b == "b" && "b" == b && b == CString("b"));
    EXPECT_TRUE(b != "c" && "c" != b);
    EXPECT_TRUE(CString("a") < b && "a" < b && CString("a") < "b");
    EXPECT_TRUE(b > "a" && b >= "b" && b <= "b" && "c" > b);
}

TEST(CStringTest, ExtractsPartsClampedToTheText)
{
    CString s("hello world");
    EXPECT_EQ(s.Mid(6), "world");
    EXPECT_EQ(s.Mid(6, 3), "wor");
    EXPECT_EQ(s.Mid(6, 100), "world");
    EXPECT_EQ(s.Mid(-3, 2), "he");
    EXPECT_TRUE(s.Mid(50).IsEmpty());
    EXPECT_EQ(s.Left(5), "hello");
    EXPECT_EQ(s.Left(50), s);
    EXPECT_TRUE(s.Left(-1).IsEmpty());
    EXPECT_EQ(s.Right(5), "world");
    EXPECT_EQ(s.Right(50), s);
    EXPECT_EQ(s.SpanIncluding("ehl"), "hell");
    EXPECT_EQ(s.SpanExcluding(" "), "hello");
}

TEST(CStringTest, ChangesCaseOfAsciiLettersOnlyAndReverses)
{
    CString s("aZ\xE9!");
    s.MakeUpper();
    EXPECT_EQ(s, "AZ\xE9!");
    s.MakeLower();
    EXPECT_EQ(s, "az\xE9!");
    s.MakeReverse();
    EXPECT_EQ(s, "!\xE9za");
}

TEST(CStringTest, ReplacesRemovesInsertsAndDeletes)
{
    CString s("a.b.c");
    EXPECT_EQ(s.Replace('.', '/'), 2);
    EXPECT_EQ(s, "a/b/c");
    EXPECT_EQ(s.Replace("/", "::"), 2);
    EXPECT_EQ(s, "a::b::c");
    EXPECT_EQ(s.Replace("", "x"), 0);
    EXPECT_EQ(s.Replace("::", nullptr), 2);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Remove('b'), 1);
    EXPECT_EQ(s, "ac");
    EXPECT_EQ(s.Insert(1, 'b'), 3);
    EXPECT_EQ(s.Insert(99, "de"), 5);
    EXPECT_EQ(s.Insert(-4, "<"), 6);
    EXPECT_EQ(s, "<abcde");
    EXPECT_EQ(s.Delete(0), 5);
    EXPECT_EQ(s.Delete(3, 99), 3);
    EXPECT_EQ(s.Delete(10, 1), 3);
    EXPECT_EQ(s, "abc");
}

TEST(CStringTest, TrimsWhiteSpaceACharacterOrASet)
{
    CString s(" \t\r\nabc \n");
    s.TrimLeft();
    s.TrimRight();
    EXPECT_EQ(s, "abc");
    s = "xxaxx";
    s.TrimLeft('x');
    EXPECT_EQ(s, "axx");
    s.TrimRight('x');
    EXPECT_EQ(s, "a");
    s = "-+a+-";
    s.TrimLeft("+-");
    s.TrimRight("+-");
    EXPECT_EQ(s, "a");
    s = "\xA0" "a"; // no white space outside ASCII
    s.TrimLeft();
    EXPECT_EQ(s.GetLength(), 2);
}

TEST(CStringTest, FindsCharactersAndTexts)
{
    CString s("abcabc");
    EXPECT_EQ(s.Find('b'), 1);
    EXPECT_EQ(s.Find('b', 2), 4);
    EXPECT_EQ(s.Find('b', 5), -1);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.Find("ca"), 2);
    EXPECT_EQ(s.Find("bc", 2), 4);
    EXPECT_EQ(s.Find("bc", 7), -1);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(s.ReverseFind('a'), 3);
    EXPECT_EQ(s.ReverseFind('z'), -1);
    EXPECT_EQ(s.FindOneOf("xc"), 2);
    EXPECT_EQ(s.FindOneOf("xy"), -1);
}

TEST(CStringTest, FormatsThirtyTwoBitValuesAsWindowsDid)
{
    CString s;
    LONG negative = -5;
    DWORD word = 0xDEADBEEF;
    s.Format("%d|%u|%X|%08x|%s|%c", negative, word, word, 0x1234u, "t", 'c');
    EXPECT_EQ(s, "-5|3735928559|DEADBEEF|00001234|t|c");
    s.Format("0x%lX.%lu", static_cast<unsigned long>(0x10), static_cast<unsigned long>(3));
    EXPECT_EQ(s, "0x10.3");
}

TEST(CStringTest, FormatsLongTextsAndItsOwnText)
{
    CString s('a', 1000);
    s.Format("[%s]", static_cast<LPCSTR>(s));
    EXPECT_EQ(s.GetLength(), 1002);
    EXPECT_EQ(s.Left(2), "[a");
    EXPECT_EQ(s.Right(2), "a]");
}

TEST(CStringTest, FormatsNumbersInTheCLocale)
{
    const char *previous = setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous != nullptr ? previous : "C";
    bool haveComma = setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    CString s;
    s.Format("%.2f", 1.5);
    EXPECT_EQ(s, "1.50");
    setlocale(LC_NUMERIC, saved.c_str());
    if (!haveComma)
        GTEST_LOG_(INFO) << "no German locale installed; checked the C locale only";
}

TEST(CStringTest, GetBufferAndReleaseBufferSetTheLength)
{
    CString s("abc");
    LPSTR buffer = s.GetBuffer(10);
    EXPECT_STREQ(buffer, "abc");
    strcpy(buffer, "0123456789");
    EXPECT_EQ(s.GetLength(), 3); // until released
    s.ReleaseBuffer();
    EXPECT_EQ(s, "0123456789");
    buffer = s.GetBuffer(0);
    buffer[4] = '\0';
    s.ReleaseBuffer();
    EXPECT_EQ(s, "0123");
    s.GetBuffer(20);
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, "01");
    buffer = s.GetBufferSetLength(5);
    memcpy(buffer, "vwxyz", 5);
    EXPECT_EQ(s, "vwxyz");
    s.FreeExtra();
    EXPECT_EQ(s, "vwxyz");
}

TEST(CStringTest, ReleaseBufferNeverReachesBeyondTheBuffer)
{
    CString s;
    LPSTR buffer = s.GetBuffer(4);
    memset(buffer, 'x', 5); // four characters and the terminator, no zero among them
    s.ReleaseBuffer();
    EXPECT_EQ(s, "xxxx");
    s.GetBuffer(4);
    s.ReleaseBuffer(1000);
    EXPECT_EQ(s.GetLength(), 4);
}

TEST(CStringTest, EmptyStringHandsOutAWritableBuffer)
{
    CString s;
    LPSTR buffer = s.GetBuffer(0);
    ASSERT_NE(buffer, nullptr);
    buffer[0] = '\0';
    s.ReleaseBuffer();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_NE(s.LockBuffer(), nullptr);
    s.UnlockBuffer();
}

TEST(CStringTest, CopiesAreIndependent)
{
    CString a("one");
    CString b = a;
    b.SetAt(0, 'O');
    EXPECT_EQ(a, "one");
    EXPECT_EQ(b, "One");
    CString c = std::move(b);
    EXPECT_EQ(c, "One");
    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a, "");
}

TEST(CStringDeathTest, StopsOnAnIndexOutsideTheText)
{
    CString s("ab");
    EXPECT_DEATH(s.GetAt(2), "index");
    EXPECT_DEATH(s.SetAt(-1, 'x'), "index");
}

} // namespace
