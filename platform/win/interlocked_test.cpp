#include "interlocked.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(Interlocked, IncrementAndDecrementReturnTheNewValue)
{
    LONG volatile count = 1;
    EXPECT_EQ(InterlockedIncrement(&count), 2);
    EXPECT_EQ(InterlockedDecrement(&count), 1);
    EXPECT_EQ(InterlockedDecrement(&count), 0);
    EXPECT_EQ(InterlockedDecrement(&count), -1);
}

TEST(Interlocked, ExchangeReturnsTheOldValue)
{
    LONG volatile value = 10;
    EXPECT_EQ(InterlockedExchange(&value, 20), 10);
    EXPECT_EQ(value, 20);
}

TEST(Interlocked, CompareExchangeStoresOnlyOnAMatch)
{
    LONG volatile value = 3;
    EXPECT_EQ(InterlockedCompareExchange(&value, 8, 4), 3);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(InterlockedCompareExchange(&value, 8, 3), 3);
    EXPECT_EQ(value, 8);
}

TEST(Interlocked, ConcurrentIncrementsAreNeverLost)
{
    LONG volatile count = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i)
                InterlockedIncrement(&count);
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(count, 80000);
}
