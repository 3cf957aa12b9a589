// The umbrella header alone gives a caller the framework and the platform beneath it.
#include "afx.h"

#include <gtest/gtest.h>

namespace {

TEST(AfxHeaderTest, GivesTheFrameworkWithWindowsAndOle)
{
    CStringArray names;
    names.Add(CString(u"wide"));
    CMap<int, int, CString, LPCSTR> map;
    map.SetAt(1, names[0]);
    CString value;
    EXPECT_TRUE(map.Lookup(1, value));
    EXPECT_EQ(value, "wide");
    EXPECT_EQ(S_OK, 0);
    EXPECT_EQ(sizeof(OLECHAR), 2u);
}

} // namespace
