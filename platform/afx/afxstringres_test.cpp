#include "afxstring.h"

#include "allocstats.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

std::u16string_view View(BSTR b) { return std::u16string_view(b, SysStringLen(b)); }

TEST(CStringSysStringTest, AllocSysStringConvertsCodePage1252)
{
    QelComAllocCounts before = QelGetComAllocCounts();
    CString s("caf\xE9 \x80");
    s += CString("\0z", 2);
    BSTR b = s.AllocSysString();
    EXPECT_EQ(View(b), std::u16string_view(u"caf\u00e9 \u20ac\0z", 8));
    SysFreeString(b);
    BSTR empty = CString().AllocSysString();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
    EXPECT_EQ(QelGetComAllocCounts(), before);
}

TEST(CStringSysStringTest, SetSysStringReplacesAndFreesTheOldString)
{
    QelComAllocCounts before = QelGetComAllocCounts();
    BSTR b = SysAllocString(u"old");
    BSTR returned = CString("new text").SetSysString(&b);
    EXPECT_EQ(returned, b);
    EXPECT_EQ(View(b), u"new text");
    BSTR none = nullptr;
    CString("x").SetSysString(&none);
    EXPECT_EQ(View(none), u"x");
    SysFreeString(b);
    SysFreeString(none);
    EXPECT_EQ(QelGetComAllocCounts(), before);
}

} // namespace
