// CTime: a point in time, in seconds since 1 January 1970 (UTC), with the framework's
// interface.
//
// As an addition, a CTime also carries the nanoseconds within its second, as the file
// system reports them: a program file rewritten within the same second as its last
// reading must still show a different modification time. The comparisons take the
// nanoseconds into account; GetTime and the calendar parts ignore them.
#pragma once

#include "afxstring.h"
#include "basetypes.h"

#include <compare>
#include <ctime>

class CTime {
public:
    // The current time, to the nanosecond.
    static CTime GetCurrentTime();

    CTime() = default;
    CTime(time_t time, LONG nanoseconds = 0);
    // Local time; `dst` < 0 lets the C library decide whether summer time applies.
    // A date that the calendar has not (such as 31 February) moves on as mktime does.
    CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

    time_t GetTime() const { return m_time; }
    LONG GetNanoseconds() const { return m_nanoseconds; }

    // Local time, as the framework gives them; GetDayOfWeek: 1 is Sunday.
    int GetYear() const { return Local().tm_year + 1900; }
    int GetMonth() const { return Local().tm_mon + 1; }
    int GetDay() const { return Local().tm_mday; }
    int GetHour() const { return Local().tm_hour; }
    int GetMinute() const { return Local().tm_min; }
    int GetSecond() const { return Local().tm_sec; }
    int GetDayOfWeek() const { return Local().tm_wday + 1; }
    struct tm *GetLocalTm(struct tm *result) const;
    struct tm *GetGmtTm(struct tm *result) const;

    // strftime formats in the C locale, of local time (Format) or UTC (FormatGmt).
    CString Format(LPCSTR format) const;
    CString FormatGmt(LPCSTR format) const;

    bool operator==(const CTime &other) const = default;
    auto operator<=>(const CTime &other) const = default;

private:
    struct tm Local() const;

    time_t m_time = 0;
    LONG m_nanoseconds = 0; // 0 to 999999999
};
