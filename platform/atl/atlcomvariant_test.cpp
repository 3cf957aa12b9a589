#include "atlbase.h"

#include <gtest/gtest.h>

namespace {

class ComVariant : public ::testing::Test {
protected:
    void SetUp() override { before = QelGetComAllocCounts(); }
    void TearDown() override { EXPECT_EQ(QelGetComAllocCounts(), before); }
    QelComAllocCounts before;
};

TEST_F(ComVariant, TakesTheTypeOfItsValue)
{
    EXPECT_EQ(CComVariant(7).vt, VT_I4);
    EXPECT_EQ(CComVariant(7u).vt, VT_UI4);
    EXPECT_EQ(CComVariant(true).boolVal, VARIANT_TRUE);
    EXPECT_EQ(CComVariant(2.5).vt, VT_R8);
    CComVariant text("abc");
    ASSERT_EQ(text.vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(text.bstrVal), 3u);
}

TEST_F(ComVariant, CopyIsDeep)
{
    CComVariant a(u"text");
    CComVariant b = a;
    EXPECT_NE(a.bstrVal, b.bstrVal);
    EXPECT_TRUE(a == b);
}

TEST_F(ComVariant, AssignmentFreesThePreviousValue)
{
    CComVariant a("first");
    a = 5;
    EXPECT_EQ(a.vt, VT_I4);
    a = CComVariant("second");
    EXPECT_EQ(a.vt, VT_BSTR);
}

TEST_F(ComVariant, DetachMovesTheValueOut)
{
    CComVariant a("moved");
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(a.Detach(&out), S_OK);
    EXPECT_EQ(a.vt, VT_EMPTY);
    EXPECT_EQ(out.vt, VT_BSTR);
    VariantClear(&out);
}

TEST_F(ComVariant, ChangeTypeConvertsInPlace)
{
    CComVariant a(42);
    ASSERT_EQ(a.ChangeType(VT_BSTR), S_OK);
    EXPECT_TRUE(a == CComVariant(u"42"));
}

TEST_F(ComVariant, TextsWithEmbeddedZerosCompareWhole)
{
    CComVariant a, b;
    a.vt = b.vt = VT_BSTR;
    OLECHAR one[] = {u'a', 0, u'b'};
    OLECHAR two[] = {u'a', 0, u'c'};
    a.bstrVal = SysAllocStringLen(one, 3);
    b.bstrVal = SysAllocStringLen(two, 3);
    EXPECT_FALSE(a == b);
}

} // namespace
