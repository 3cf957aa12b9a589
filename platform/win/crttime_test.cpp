#include "crttime.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string LocalDate()
{
    time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    char text[40];
    snprintf(text, sizeof text, "%02d/%02d/%02d", local.tm_mon + 1, local.tm_mday, local.tm_year % 100);
    return text;
}

} // namespace

TEST(CrtTime, DateIsMonthDayYearOfTheLocalDate)
{
    std::string before = LocalDate();
    char text[9];
    ASSERT_EQ(_strdate(text), text);
    if (LocalDate() != before)
        GTEST_SKIP() << "midnight passed during the test";
    EXPECT_EQ(std::string(text), before);
}

TEST(CrtTime, TimeIsHoursMinutesSecondsOn24HourClock)
{
    char text[9];
    ASSERT_EQ(_strtime(text), text);
    ASSERT_EQ(strlen(text), 8u);
    EXPECT_EQ(text[2], ':');
    EXPECT_EQ(text[5], ':');
    int h = atoi(text), m = atoi(text + 3), s = atoi(text + 6);
    EXPECT_TRUE(h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 61) << text;
}
