#include "afxoledatetime.h"

#include "afxtmformat.h"

#include <cmath>

namespace {

// The range of dates that OLE Automation defines: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0; // exclusive: the end of 31 December 9999
constexpr double kSecondsPerDay = 86400.0;
// Day 0 of a DATE, 30 December 1899, counted from 1 January 1970.
constexpr long long kDateEpoch = -25569;

// Days from 1 January 1970 on the proleptic Gregorian calendar, and back (the civil-day
// algorithms of Howard Hinnant, valid far beyond the years of a DATE).
long long DaysFromCivil(long long year, int month, int day)
{
    year -= month <= 2;
    long long era = (year >= 0 ? year : year - 399) / 400;
    long long yearOfEra = year - era * 400;
    long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, int &year, int &month, int &day)
{
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long dayOfEra = days - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long shifted = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool InRange(double date)
{
    return std::isfinite(date) && date >= kMinDate && date < kMaxDate;
}

// The DATE of a calendar day and a time of day in seconds (which may carry a fraction).
// Before day 0 the fraction is written away from zero, as OLE encodes it.
DATE MakeDate(int year, int month, int day, double secondsOfDay)
{
    double dayNumber = static_cast<double>(DaysFromCivil(year, month, day) - kDateEpoch);
    double fraction = secondsOfDay / kSecondsPerDay;
    return dayNumber >= 0 ? dayNumber + fraction : dayNumber - fraction;
}

} // namespace

COleDateTime::COleDateTime(DATE dtSrc) : m_dt(dtSrc), m_status(InRange(dtSrc) ? valid : invalid) {}

COleDateTime::COleDateTime(const VARIANT &varSrc) : m_dt(0), m_status(invalid)
{
    if (varSrc.vt == VT_NULL) {
        m_status = null;
    } else if (varSrc.vt == VT_DATE) {
        *this = COleDateTime(varSrc.date);
    } else if (varSrc.vt == (VT_DATE | VT_BYREF) && varSrc.pdate != nullptr) {
        *this = COleDateTime(*varSrc.pdate);
    }
}

COleDateTime::COleDateTime(const CTime &timeSrc) : m_dt(0), m_status(invalid)
{
    struct tm parts = {};
    if (timeSrc.GetLocalTm(&parts) == nullptr)
        return;
    int year = parts.tm_year + 1900;
    if (year < 100 || year > 9999)
        return;
    double seconds = parts.tm_hour * 3600.0 + parts.tm_min * 60.0 + parts.tm_sec + timeSrc.GetNanoseconds() / 1e9;
    m_dt = MakeDate(year, parts.tm_mon + 1, parts.tm_mday, seconds);
    m_status = valid;
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) : m_dt(0), m_status(invalid)
{
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return;
    m_dt = MakeDate(year, month, day, hour * 3600.0 + minute * 60.0 + second);
    m_status = valid;
}

double COleDateTime::Linear() const
{
    if (m_dt >= 0)
        return m_dt;
    double dayNumber = std::trunc(m_dt);
    return dayNumber + (dayNumber - m_dt);
}

bool COleDateTime::Parts(struct tm &parts) const
{
    if (m_status != valid || !InRange(m_dt))
        return false;
    // Rounded to the nearest second first, so that a value a hair below a whole second
    // (as sums of doubles give) shows that second.
    double halfSecond = 0.5 / kSecondsPerDay;
    double rounded = m_dt + (m_dt >= 0 ? halfSecond : -halfSecond);
    double dayNumber = std::trunc(rounded);
    long long seconds = static_cast<long long>(std::fabs(rounded - dayNumber) * kSecondsPerDay);
    if (seconds > 86399)
        seconds = 86399;
    long long days = static_cast<long long>(dayNumber) + kDateEpoch;
    int year, month, day;
    CivilFromDays(days, year, month, day);
    parts = {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = static_cast<int>(seconds / 3600);
    parts.tm_min = static_cast<int>(seconds / 60 % 60);
    parts.tm_sec = static_cast<int>(seconds % 60);
    // 1 January 1970 was a Thursday (4, counting Sunday as 0).
    parts.tm_wday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    parts.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
    parts.tm_isdst = -1;
    return true;
}

int COleDateTime::GetYear() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_year + 1900 : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetMonth() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_mon + 1 : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetDay() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_mday : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetHour() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_hour : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetMinute() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_min : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetSecond() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_sec : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetDayOfWeek() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_wday + 1 : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetDayOfYear() const
{
    struct tm parts;
    return Parts(parts) ? parts.tm_yday + 1 : AFX_OLE_DATETIME_ERROR;
}

CString COleDateTime::Format(LPCSTR format) const
{
    if (m_status == null)
        return CString();
    struct tm parts;
    if (!Parts(parts))
        return CString("Invalid DateTime");
    return AfxFormatTm(parts, format);
}
