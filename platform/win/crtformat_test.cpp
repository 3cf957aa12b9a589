#include "crtformat.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

TEST(Vsnprintf, ShortTextIsTerminatedAndCounted)
{
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(_snprintf(buffer, sizeof buffer, "%d-%s", 42, "ab"), 5);
    EXPECT_STREQ(buffer, "42-ab");
}

TEST(Vsnprintf, ExactlyFullBufferIsLeftUnterminated)
{
    char buffer[6];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(_snprintf(buffer, 5, "%s", "abcde"), 5);
    EXPECT_EQ(std::string(buffer, 6), "abcdex");
}

TEST(Vsnprintf, LongerTextFillsTheBufferUnterminatedAndGivesMinusOne)
{
    char buffer[6];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(_snprintf(buffer, 5, "%s", "abcdefgh"), -1);
    EXPECT_EQ(std::string(buffer, 6), "abcdex");
}

TEST(Vsnprintf, CallersTerminateTheLastByteThemselves)
{
    // The system's trace lines: a 512-byte buffer, 511 characters at most.
    char buffer[512];
    std::string longText(600, 'q');
    _snprintf(buffer, sizeof buffer - 1, "%s", longText.c_str());
    buffer[sizeof buffer - 1] = '\0';
    EXPECT_EQ(std::string(buffer), std::string(511, 'q'));
}

TEST(Vsnprintf, ZeroCountWritesNothing)
{
    char buffer[2] = {'x', 'x'};
    EXPECT_EQ(_snprintf(buffer, 0, "%s", "a"), -1);
    EXPECT_EQ(_snprintf(buffer, 0, "%s", ""), 0);
    EXPECT_EQ(buffer[0], 'x');
}

TEST(Wsprintf, FormatsAndCountsWithoutTheTerminator)
{
    char buffer[1024];
    EXPECT_EQ(wsprintfA(buffer, "%u %X %s", 7u, 0xABu, "t"), 6);
    EXPECT_STREQ(buffer, "7 AB t");
}

TEST(Wsprintf, WritesAtMost1024Bytes)
{
    char buffer[1100];
    memset(buffer, 'x', sizeof buffer);
    std::string longText(2000, 'w');
    EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), 1023);
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(buffer[1024], 'x');
}
