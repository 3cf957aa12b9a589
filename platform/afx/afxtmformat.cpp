#include "afxtmformat.h"

#include <clocale>
#include <locale.h>

CString AfxFormatTm(const struct tm &parts, LPCSTR format)
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
