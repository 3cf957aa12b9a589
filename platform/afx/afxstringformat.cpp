#include "afxstring.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace {

// printf in the C locale, whatever the process's locale is: the system writes numbers
// into files, registry values and storages, and a decimal comma there would not read
// back. The C locale is set for the calling thread only, and only while formatting.
class CLocaleScope {
public:
    CLocaleScope() : m_previous(Locale() != nullptr ? uselocale(Locale()) : nullptr) {}
    ~CLocaleScope()
    {
        if (m_previous != nullptr)
            uselocale(m_previous);
    }
    CLocaleScope(const CLocaleScope &) = delete;
    CLocaleScope &operator=(const CLocaleScope &) = delete;

private:
    static locale_t Locale()
    {
        static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
        return c;
    }
    locale_t m_previous;
};

} // namespace

void CString::Format(LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

// The text is made in a buffer of its own and only then replaces this string, since the
// arguments may point into this string's buffer.
void CString::FormatV(LPCSTR format, va_list args)
{
    if (format == nullptr) {
        Empty();
        return;
    }
    CLocaleScope cLocale;
    char small[256];
    va_list measure;
    va_copy(measure, args);
    int length = vsnprintf(small, sizeof small, format, measure);
    va_end(measure);
    if (length < 0) {
        Empty();
        return;
    }
    CString result;
    if (static_cast<size_t>(length) < sizeof small) {
        result = CString(small, length);
    } else {
        va_list again;
        va_copy(again, args);
        vsnprintf(result.GetBuffer(length), static_cast<size_t>(length) + 1, format, again);
        va_end(again);
        result.ReleaseBuffer(length);
    }
    *this = static_cast<CString &&>(result);
}
