#include "atlbase.h"

#include <gtest/gtest.h>

namespace {

class ComBstr : public ::testing::Test {
protected:
    void SetUp() override { before = QelGetComAllocCounts(); }
    void TearDown() override { EXPECT_EQ(QelGetComAllocCounts(), before); }
    QelComAllocCounts before;
};

TEST_F(ComBstr, ConvertsAnsiTextThroughCodePage1252)
{
    CComBSTR text("Gr\xfc\xdf" "e \x80");
    ASSERT_EQ(text.Length(), 7u);
    EXPECT_EQ(text.m_str[2], u'\u00fc');
    EXPECT_EQ(text.m_str[6], u'\u20ac');
}

TEST_F(ComBstr, AppendKeepsEmbeddedZeros)
{
    CComBSTR text(u"ab");
    OLECHAR tail[] = {u'c', 0, u'd'};
    ASSERT_EQ(text.Append(tail, 3), S_OK);
    ASSERT_EQ(text.Length(), 5u);
    EXPECT_EQ(text.m_str[3], 0);
    EXPECT_EQ(text.m_str[4], u'd');
}

TEST_F(ComBstr, AppendOfItselfDoublesTheText)
{
    CComBSTR text(u"xy");
    text.Append(text);
    EXPECT_TRUE(text == CComBSTR(u"xyxy"));
}

TEST_F(ComBstr, CopiesAreIndependent)
{
    CComBSTR a(u"one");
    CComBSTR b = a;
    b.ToUpper();
    EXPECT_TRUE(a == CComBSTR(u"one"));
    EXPECT_TRUE(b == CComBSTR(u"ONE"));
    a = b;
    EXPECT_TRUE(a == b);
    EXPECT_NE(a.m_str, b.m_str);
}

TEST_F(ComBstr, DetachHandsTheStringToTheCaller)
{
    CComBSTR a("abc");
    BSTR raw = a.Detach();
    EXPECT_EQ(a.m_str, nullptr);
    EXPECT_EQ(SysStringLen(raw), 3u);
    SysFreeString(raw);
}

TEST_F(ComBstr, NullAndEmptyAreEqual)
{
    CComBSTR none;
    CComBSTR empty(u"");
    EXPECT_TRUE(none == empty);
    EXPECT_EQ(none.Length(), 0u);
}

} // namespace
