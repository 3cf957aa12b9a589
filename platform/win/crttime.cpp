#include "crttime.h"

#include <ctime>

static char *FormatNow(char *buffer, const char *format)
{
    time_t now = time(nullptr);
    tm local;
    if (localtime_r(&now, &local) == nullptr || strftime(buffer, 9, format, &local) != 8)
        buffer[0] = '\0';
    return buffer;
}

char *_strdate(char *buffer)
{
    return FormatNow(buffer, "%m/%d/%y");
}

char *_strtime(char *buffer)
{
    return FormatNow(buffer, "%H:%M:%S");
}
