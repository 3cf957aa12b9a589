#include "tickcount.h"

#include "testing/tickcountoffset.h"

#include <gtest/gtest.h>

TEST(TickCount, SleepLastsAtLeastTheInterval)
{
    DWORD before = GetTickCount();
    Sleep(60);
    // Unsigned subtraction, as callers measure, so a wrap during the test is harmless.
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 60u);
    EXPECT_LT(elapsed, 60000u);
}

TEST(TickCount, ATestOffsetPassesTimeAtOnce)
{
    DWORD before = GetTickCount();
    QelAdvanceTickCount(2000);
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 2000u);
    EXPECT_LT(elapsed, 60000u);
}
