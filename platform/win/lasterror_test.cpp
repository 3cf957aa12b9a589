#include "lasterror.h"

#include <gtest/gtest.h>
#include <thread>

TEST(LastError, KeepsTheCodeThatWasSet)
{
    SetLastError(1234);
    EXPECT_EQ(GetLastError(), 1234u);
    SetLastError(0);
    EXPECT_EQ(GetLastError(), 0u);
}

TEST(LastError, IsKeptPerThread)
{
    SetLastError(5);
    DWORD seenByOther = 99;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(7);
    });
    other.join();
    EXPECT_EQ(seenByOther, 0u);
    EXPECT_EQ(GetLastError(), 5u);
}
