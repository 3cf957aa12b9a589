#include "primesize.h"

#include <gtest/gtest.h>

namespace {

TEST(PrimeSize, GivesTheFirstOddPrimeNotBelowTheRequest)
{
    EXPECT_EQ(GetPrimeAtLeast(0), 3u);
    EXPECT_EQ(GetPrimeAtLeast(2), 3u);
    EXPECT_EQ(GetPrimeAtLeast(3), 3u);
    EXPECT_EQ(GetPrimeAtLeast(4), 5u);
    EXPECT_EQ(GetPrimeAtLeast(9), 11u);
    EXPECT_EQ(GetPrimeAtLeast(131), 131u);
    EXPECT_EQ(GetPrimeAtLeast(132), 137u);
}

TEST(PrimeSize, HugeRequestsNeitherOverflowNorExhaustMemory)
{
    EXPECT_EQ(GetPrimeAtLeast(2147483648u), 2147483659u);
    EXPECT_EQ(GetPrimeAtLeast(4294967291u), 4294967291u);
    EXPECT_EQ(GetPrimeAtLeast(0xFFFFFFFFu), 4294967291u);
}

} // namespace
