#include "afxtime.h"

#include "afxtmformat.h"


CTime CTime::GetCurrentTime()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return CTime(now.tv_sec, static_cast<LONG>(now.tv_nsec));
}

CTime::CTime(time_t time, LONG nanoseconds) : m_time(time), m_nanoseconds(nanoseconds)
{
    // Kept within its second, so that equal instants compare equal.
    if (m_nanoseconds < 0 || m_nanoseconds > 999999999) {
        m_time += m_nanoseconds / 1000000000;
        m_nanoseconds %= 1000000000;
        if (m_nanoseconds < 0) {
            m_nanoseconds += 1000000000;
            --m_time;
        }
    }
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst)
{
    struct tm parts = {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = dst;
    m_time = mktime(&parts);
}

struct tm *CTime::GetLocalTm(struct tm *result) const { return localtime_r(&m_time, result); }

struct tm *CTime::GetGmtTm(struct tm *result) const { return gmtime_r(&m_time, result); }

struct tm CTime::Local() const
{
    struct tm parts = {};
    localtime_r(&m_time, &parts);
    return parts;
}

CString CTime::Format(LPCSTR format) const { return AfxFormatTm(Local(), format); }

CString CTime::FormatGmt(LPCSTR format) const
{
    struct tm parts = {};
    gmtime_r(&m_time, &parts);
    return AfxFormatTm(parts, format);
}
