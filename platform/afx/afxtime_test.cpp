#include "afxtime.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class CTimeTest : public ::testing::Test {
protected:
    // Local time is UTC here, so the calendar parts are the same on every machine.
    void SetUp() override
    {
        const char *tz = getenv("TZ");
        m_savedTz = tz != nullptr ? tz : "";
        m_hadTz = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            setenv("TZ", m_savedTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::string m_savedTz;
    bool m_hadTz = false;
};

TEST_F(CTimeTest, GivesTheCalendarPartsOfItsLocalTime)
{
    CTime t(2001, 2, 3, 4, 5, 6);
    EXPECT_EQ(t.GetTime(), 981173106);
    EXPECT_EQ(t.GetYear(), 2001);
    EXPECT_EQ(t.GetMonth(), 2);
    EXPECT_EQ(t.GetDay(), 3);
    EXPECT_EQ(t.GetHour(), 4);
    EXPECT_EQ(t.GetMinute(), 5);
    EXPECT_EQ(t.GetSecond(), 6);
    EXPECT_EQ(t.GetDayOfWeek(), 7); // a Saturday
    EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S %a"), "2001-02-03 04:05:06 Sat");
    EXPECT_EQ(t.FormatGmt("%H"), "04");
    EXPECT_TRUE(t.Format("").IsEmpty());
}

TEST_F(CTimeTest, ComparesToTheNanosecond)
{
    CTime a(1000, 5);
    CTime b(1000, 6);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(a != b);
    EXPECT_EQ(a.GetTime(), b.GetTime());
    EXPECT_TRUE(CTime(1000, 5) == a);
    EXPECT_TRUE(CTime(999, 999999999) < a);
    EXPECT_TRUE(CTime(1001) > b);
}

TEST_F(CTimeTest, KeepsNanosecondsWithinTheSecond)
{
    CTime t(10, 1500000000);
    EXPECT_EQ(t.GetTime(), 11);
    EXPECT_EQ(t.GetNanoseconds(), 500000000);
    CTime n(10, -1);
    EXPECT_EQ(n.GetTime(), 9);
    EXPECT_EQ(n.GetNanoseconds(), 999999999);
}

TEST_F(CTimeTest, CurrentTimeMovesOnAndCarriesSubSeconds)
{
    CTime first = CTime::GetCurrentTime();
    CTime second = CTime::GetCurrentTime();
    EXPECT_LE(first, second);
    EXPECT_GT(first.GetYear(), 2000);
    EXPECT_GE(first.GetNanoseconds(), 0);
    EXPECT_LT(first.GetNanoseconds(), 1000000000);
}

} // namespace
