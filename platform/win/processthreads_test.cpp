#include "processthreads.h"

#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

TEST(ProcessThreads, ThreadIdsAreNonZeroStableAndDistinct)
{
    DWORD mine = GetCurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, mine);
}

TEST(ProcessThreads, ProcessIdIsTheSystemOne)
{
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}
