#include "crtformat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int _vsnprintf(char *buffer, size_t count, const char *format, va_list args)
{
    va_list again;
    va_copy(again, args);
    int length = vsnprintf(buffer, count, format, args);
    int result;
    if (length < 0) {
        result = -1;
    } else if (static_cast<size_t>(length) < count) {
        result = length;
    } else if (count == 0) {
        result = length == 0 ? 0 : -1;
    } else {
        // vsnprintf gave the last byte to its terminator; Windows fills the buffer with
        // text, so the text is made once more with room for the terminator and copied.
        char *whole = static_cast<char *>(malloc(count + 1));
        if (whole == nullptr) {
            result = -1;
        } else {
            vsnprintf(whole, count + 1, format, again);
            memcpy(buffer, whole, count);
            free(whole);
            result = static_cast<size_t>(length) == count ? length : -1;
        }
    }
    va_end(again);
    return result;
}

int _snprintf(char *buffer, size_t count, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int result = _vsnprintf(buffer, count, format, args);
    va_end(args);
    return result;
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    const size_t limit = 1024;
    va_list args;
    va_start(args, format);
    int length = vsnprintf(buffer, limit, format, args);
    va_end(args);
    if (length < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(length) < limit ? length : static_cast<int>(limit - 1);
}
