#include "afxoledatetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// The zone is one hour east of UTC, given as a POSIX rule so that no zone database is
// needed: conversions from CTime must give local time, not UTC.
class COleDateTimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *tz = getenv("TZ");
        m_hadTz = tz != nullptr;
        m_savedTz = m_hadTz ? tz : "";
        setenv("TZ", "QET-1", 1);
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

TEST_F(COleDateTimeTest, EncodesDatesAsOleAutomationDoes)
{
    EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).m_dt, 0.0);
    EXPECT_EQ(COleDateTime(1900, 1, 1, 0, 0, 0).m_dt, 2.0);
    EXPECT_EQ(COleDateTime(2000, 1, 1, 12, 0, 0).m_dt, 36526.5);
    // Before day 0 the time of day still counts forward from midnight.
    EXPECT_EQ(COleDateTime(1899, 12, 29, 6, 0, 0).m_dt, -1.25);
    EXPECT_EQ(COleDateTime(100, 1, 1, 0, 0, 0).m_dt, -657434.0);
    EXPECT_EQ(COleDateTime(9999, 12, 31, 0, 0, 0).m_dt, 2958465.0);
}

TEST_F(COleDateTimeTest, GivesTheCalendarPartsBackAndFormats)
{
    COleDateTime date(2000, 12, 31, 23, 59, 58);
    ASSERT_EQ(date.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(date.GetYear(), 2000);
    EXPECT_EQ(date.GetMonth(), 12);
    EXPECT_EQ(date.GetDay(), 31);
    EXPECT_EQ(date.GetHour(), 23);
    EXPECT_EQ(date.GetMinute(), 59);
    EXPECT_EQ(date.GetSecond(), 58);
    EXPECT_EQ(date.GetDayOfWeek(), 1); // a Sunday
    EXPECT_EQ(date.GetDayOfYear(), 366);
    EXPECT_EQ(date.Format("%Y-%m-%d %H:%M:%S %a"), "2000-12-31 23:59:58 Sun");

    COleDateTime early(-1.75); // 29 December 1899, 18:00
    EXPECT_EQ(early.GetDay(), 29);
    EXPECT_EQ(early.GetHour(), 18);
    EXPECT_EQ(early.GetDayOfWeek(), 6); // a Friday
}

TEST_F(COleDateTimeTest, PartsRoundToTheNearestSecond)
{
    COleDateTime date(COleDateTime(2010, 6, 1, 8, 30, 0).m_dt + 0.7 / 86400.0);
    EXPECT_EQ(date.GetSecond(), 1);
    COleDateTime below(COleDateTime(2010, 6, 1, 8, 30, 0).m_dt - 1e-9);
    EXPECT_EQ(below.GetMinute(), 30);
    EXPECT_EQ(below.GetSecond(), 0);
}

TEST_F(COleDateTimeTest, RejectsWhatIsNoDate)
{
    EXPECT_EQ(COleDateTime(2023, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(2024, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::valid);
    EXPECT_EQ(COleDateTime(2024, 1, 1, 24, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(99, 12, 31, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(10000, 1, 1, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(1e9).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(std::nan("")).GetStatus(), COleDateTime::invalid);

    COleDateTime bad(1e9);
    EXPECT_EQ(bad.GetYear(), AFX_OLE_DATETIME_ERROR);
    EXPECT_EQ(bad.Format("%Y"), "Invalid DateTime");
}

TEST_F(COleDateTimeTest, TakesDatesFromVariants)
{
    VARIANT v = {};
    v.vt = VT_DATE;
    v.date = 36526.5;
    EXPECT_EQ(COleDateTime(v), COleDateTime(2000, 1, 1, 12, 0, 0));

    DATE referenced = 2.0;
    v.vt = VT_DATE | VT_BYREF;
    v.pdate = &referenced;
    EXPECT_EQ(COleDateTime(v).m_dt, 2.0);

    v.vt = VT_NULL;
    COleDateTime nothing(v);
    EXPECT_EQ(nothing.GetStatus(), COleDateTime::null);
    EXPECT_TRUE(nothing.Format("%Y").IsEmpty());

    v.vt = VT_I4;
    v.lVal = 5;
    EXPECT_EQ(COleDateTime(v).GetStatus(), COleDateTime::invalid);
}

TEST_F(COleDateTimeTest, FromCTimeGivesLocalTimeAndKeepsTheSubSecond)
{
    COleDateTime epoch{CTime(0)};
    EXPECT_EQ(epoch.GetYear(), 1970);
    EXPECT_EQ(epoch.GetHour(), 1); // one hour east of UTC
    EXPECT_DOUBLE_EQ(epoch.m_dt, 25569.0 + 1.0 / 24.0);

    // A file rewritten within the same second must still show another time.
    CTime read(1700000000, 250000000);
    CTime rewritten(1700000000, 251000000);
    COleDateTime before{read}, after{rewritten};
    EXPECT_NE(before, after);
    EXPECT_TRUE(before < after);
    EXPECT_EQ(before, COleDateTime(read)); // the same instant always gives the same value
    EXPECT_EQ(before.GetSecond(), after.GetSecond());
}

TEST_F(COleDateTimeTest, OrdersByTimeAlsoBeforeDayZero)
{
    // As doubles -1.75 < -1.25, but 18:00 comes after 06:00 of the same day.
    COleDateTime morning(-1.25), evening(-1.75), nextDay(-0.25);
    EXPECT_TRUE(morning < evening);
    EXPECT_TRUE(evening < nextDay);
    EXPECT_TRUE(evening >= morning);
    EXPECT_FALSE(morning > evening);

    COleDateTime invalid(1e9);
    EXPECT_FALSE(invalid < morning);
    EXPECT_FALSE(invalid <= morning);
    EXPECT_FALSE(invalid >= morning);
    EXPECT_EQ(static_cast<DATE>(morning), -1.25);
}

} // namespace
