// COleDateTime: a date and time as OLE Automation keeps it, with a status.
//
// The value is a DATE: days since 30 December 1899 (midnight), the fraction being the
// time of day. Before that day the number is negative and the fraction still counts
// forward from midnight ("-1.25" is 29 December 1899, 06:00), as OLE defines it. Dates run
// from 1 January 100 to 31 December 9999 on the Gregorian calendar; outside that, or when
// made from something that is no date, the status is invalid.
//
// Made from a CTime, the value is the local time of that instant, as the framework makes
// it, and keeps the CTime's nanoseconds in its fraction (to the microsecond or so that a
// double resolves), so two file times within one second still give different values.
// The calendar parts and Format round to the nearest second, as the framework does.
#pragma once

#include "afxstring.h"
#include "afxtime.h"
#include "basetypes.h"

#include <ole2.h>

class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() : m_dt(0), m_status(valid) {}
    COleDateTime(DATE dtSrc);
    // VT_DATE (also by reference) gives its value and VT_NULL the null status; any other
    // type is invalid, since no other type is converted to a date in this layer.
    COleDateTime(const VARIANT &varSrc);
    COleDateTime(const CTime &timeSrc);
    // Invalid when a part is out of its range (such as 31 February or hour 24).
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // The parts of a valid value; -1 (AFX_OLE_DATETIME_ERROR) for any other.
    // GetDayOfWeek: 1 is Sunday; GetDayOfYear: 1 is 1 January.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;
    int GetDayOfYear() const;

    // strftime formats in the C locale; empty for a null value, "Invalid DateTime" for an
    // invalid one.
    CString Format(LPCSTR format) const;

    operator DATE() const { return m_dt; }

    // Equal: the same status and the same value. The order is that of time (so it reads
    // negative values as OLE defines them); only two valid values are ordered, and every
    // ordering comparison with another value is false.
    bool operator==(const COleDateTime &other) const { return m_status == other.m_status && m_dt == other.m_dt; }
    bool operator!=(const COleDateTime &other) const { return !(*this == other); }
    bool operator<(const COleDateTime &other) const { return Ordered(other) && Linear() < other.Linear(); }
    bool operator>(const COleDateTime &other) const { return Ordered(other) && Linear() > other.Linear(); }
    bool operator<=(const COleDateTime &other) const { return Ordered(other) && Linear() <= other.Linear(); }
    bool operator>=(const COleDateTime &other) const { return Ordered(other) && Linear() >= other.Linear(); }

    DATE m_dt;
    DateTimeStatus m_status;

private:
    bool Ordered(const COleDateTime &other) const { return m_status == valid && other.m_status == valid; }
    // Days since 30 December 1899 counted straight through, also before it.
    double Linear() const;
    bool Parts(struct tm &parts) const;
};

#define AFX_OLE_DATETIME_ERROR (-1)
