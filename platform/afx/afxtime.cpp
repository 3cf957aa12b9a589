#include "afxtime.h"

#include <clocale>
#include <locale.h>

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

static CString FormatTm(const struct tm &parts, LPCSTR format)
{
    if (format == nullptr || *format == '\0')
        return CString();
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    // A format that gives nothing and one whose text does not fit both make strftime
    // answer 0, so the buffer grows to a bound that no sensible format reaches.
    CString text;
    for (int size = 128; size <= 65536; size *= 4) {
        LPSTR buffer = text.GetBuffer(size);
        size_t length = c != nullptr ? strftime_l(buffer, size, format, &parts, c) : strftime(buffer, size, format, &parts);
        if (length > 0) {
            text.ReleaseBuffer(static_cast<int>(length));
            return text;
        }
    }
    return CString();
}

CString CTime::Format(LPCSTR format) const { return FormatTm(Local(), format); }

CString CTime::FormatGmt(LPCSTR format) const
{
    struct tm parts = {};
    gmtime_r(&m_time, &parts);
    return FormatTm(parts, format);
}
