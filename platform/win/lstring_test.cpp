#include "lstring.h"

#include <gtest/gtest.h>

TEST(KernelStrings, CopyReturnsTheDestination)
{
    char buffer[8];
    EXPECT_EQ(lstrcpyA(buffer, "abc"), buffer);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(lstrcpyA(nullptr, "abc"), nullptr);
    EXPECT_EQ(lstrcpyA(buffer, nullptr), nullptr);
}

TEST(KernelStrings, BoundedCopyAlwaysTerminates)
{
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(lstrcpynA(buffer, "abcdef", 4), buffer);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_STREQ(lstrcpynA(buffer, "ab", 4), "ab");
    buffer[0] = 'x';
    lstrcpynA(buffer, "abc", 0);
    EXPECT_EQ(buffer[0], 'x');
    lstrcpynA(buffer, "abc", 1);
    EXPECT_EQ(buffer[0], '\0');
}

TEST(KernelStrings, LengthOfNullIsZero)
{
    EXPECT_EQ(lstrlenA("abcd"), 4);
    EXPECT_EQ(lstrlenA(""), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}
