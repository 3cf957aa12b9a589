#include "locationdescriptor.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexDigit(char c, DWORD &digit)
{
    if (c >= '0' && c <= '9')
        digit = static_cast<DWORD>(c - '0');
    else if (c >= 'a' && c <= 'f')
        digit = static_cast<DWORD>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
        digit = static_cast<DWORD>(c - 'A' + 10);
    else
        return false;
    return true;
}

// Reads a descriptor the way its scanf patterns read it: a literal character matches only
// itself, a blank matches any white space (also none), a span takes one or more
// characters of a set, and numbers skip white space first. Unlike those patterns it never
// writes beyond a part's limit: a span longer than its limit does not match, and a number
// beyond 32 bits does not either.
class CDescriptorScanner {
public:
    explicit CDescriptorScanner(LPCSTR text) : m_p(text) {}

    bool Literal(char c)
    {
        if (*m_p != c)
            return false;
        ++m_p;
        return true;
    }

    void Blanks()
    {
        while (IsCSpace(*m_p))
            ++m_p;
    }

    // A run of characters outside `set` (with `inSet`: inside it), as %[^...] and %[...]
    // read one; `out` may be NULL for a part that is dropped.
    bool Span(LPCSTR set, bool inSet, int limit, CString *out)
    {
        const char *start = m_p;
        const char *p = m_p;
        while (*p != 0 && (std::strchr(set, *p) != nullptr) == inSet)
            ++p;
        long long length = p - start;
        if (length == 0 || length > limit)
            return false;
        if (out != nullptr)
            *out = CString(start, static_cast<int>(length));
        m_p = p;
        return true;
    }

    bool Decimal(int &value)
    {
        Blanks();
        const char *p = m_p;
        bool negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        if (*p < '0' || *p > '9')
            return false;
        long long magnitude = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            magnitude = magnitude * 10 + (*p - '0');
            if (magnitude > 0x80000000LL)
                return false;
        }
        if (!negative && magnitude > 0x7FFFFFFFLL)
            return false;
        value = static_cast<int>(negative ? -magnitude : magnitude);
        m_p = p;
        return true;
    }

    bool Hex(DWORD &value)
    {
        Blanks();
        const char *p = m_p;
        DWORD digit = 0, result = 0;
        if (!IsHexDigit(*p, digit))
            return false;
        for (; IsHexDigit(*p, digit); ++p) {
            if (result > 0x0FFFFFFFu)
                return false;
            result = (result << 4) | digit;
        }
        value = result;
        m_p = p;
        return true;
    }

private:
    const char *m_p;
};

struct Parts {
    CString first, second, text;
    int number = 0, occurrence = 0, distance = 0;
    int offset = -1;
};

int AsInt(DWORD value)
{
    return static_cast<int>(value);
}

// "0x%X" at the start of `text`.
bool ScanHexAddress(LPCSTR text, DWORD &value)
{
    CDescriptorScanner scan(text);
    return scan.Literal('0') && scan.Literal('x') && scan.Hex(value);
}

// "'%[^ ] {%[^}]} .%d%[+'];%[^;];%d;%d;%[^;];": the number of parts read.
int ScanSourcePosition(LPCSTR descriptor, Parts &parts, CString &offsetText)
{
    CDescriptorScanner scan(descriptor);
    if (!scan.Literal('\'') || !scan.Span(" ", false, kDescriptorFunctionLimit, &parts.first))
        return 0;
    scan.Blanks();
    if (!scan.Literal('{') || !scan.Span("}", false, kDescriptorFileLimit, &parts.second))
        return 1;
    if (!scan.Literal('}'))
        return 2;
    scan.Blanks();
    if (!scan.Literal('.') || !scan.Decimal(parts.number))
        return 2;
    if (!scan.Span("+'", true, kDescriptorMarkerLimit, nullptr))
        return 3;
    if (!scan.Literal(';') || !scan.Span(";", false, kDescriptorModulesLimit, &parts.text))
        return 4;
    if (!scan.Literal(';') || !scan.Decimal(parts.occurrence))
        return 5;
    if (!scan.Literal(';') || !scan.Decimal(parts.distance))
        return 6;
    if (!scan.Literal(';') || !scan.Span(";", false, kDescriptorOffsetLimit, &offsetText))
        return 7;
    return 8;
}

bool ParseSourcePosition(LPCSTR descriptor, Parts &parts)
{
    CString offsetText;
    int read = ScanSourcePosition(descriptor, parts, offsetText);
    if (read < 7)
        return false;
    DWORD offset = 0;
    if (read == 8 && ScanHexAddress(offsetText, offset))
        parts.offset = AsInt(offset);
    return true;
}

bool ParseAddress(LPCSTR descriptor, Parts &parts)
{
    DWORD address = 0;
    if (!ScanHexAddress(descriptor, address))
        return false;
    parts.number = AsInt(address);
    return true;
}

// "'%[^'+]+0x%X';%[^;];", else "'%[^']';%[^;];".
bool ParseLabel(LPCSTR descriptor, Parts &parts)
{
    parts.offset = 0;
    CDescriptorScanner withOffset(descriptor);
    DWORD offset = 0;
    if (withOffset.Literal('\'') && withOffset.Span("'+", false, kDescriptorSymbolLimit, &parts.first) &&
        withOffset.Literal('+') && withOffset.Literal('0') && withOffset.Literal('x') && withOffset.Hex(offset) &&
        withOffset.Literal('\'') && withOffset.Literal(';') &&
        withOffset.Span(";", false, kDescriptorLabelModuleLimit, &parts.text)) {
        parts.offset = AsInt(offset);
        return true;
    }
    parts.first.Empty();
    parts.text.Empty();
    CDescriptorScanner plain(descriptor);
    return plain.Literal('\'') && plain.Span("'", false, kDescriptorSymbolLimit, &parts.first) &&
           plain.Literal('\'') && plain.Literal(';') &&
           plain.Span(";", false, kDescriptorLabelModuleLimit, &parts.text);
}

// "%[^ ]%[ .\t]%d": the name alone is enough; the separators are dropped.
bool ParseFileLine(LPCSTR descriptor, Parts &parts)
{
    parts.offset = 0;
    CDescriptorScanner scan(descriptor);
    if (!scan.Span(" ", false, kDescriptorNameLimit, &parts.second))
        return false;
    if (scan.Span(" .\t", true, INT32_MAX, nullptr))
        scan.Decimal(parts.number);
    return true;
}

} // namespace

BOOL ParseLocationDescriptor(LPCSTR descriptor, CString &first, CString &second, int &number, CString &text,
                             int &occurrence, int &distance, int &offset)
{
    Parts parts;
    bool parsed = false;
    if (descriptor != nullptr && descriptor[0] != 0 && descriptor[1] != 0) {
        if (std::strchr(descriptor, '{') != nullptr)
            parsed = ParseSourcePosition(descriptor, parts);
        else if (descriptor[0] == '0')
            parsed = ParseAddress(descriptor, parts);
        else if (descriptor[0] == '\'')
            parsed = ParseLabel(descriptor, parts);
        else
            parsed = ParseFileLine(descriptor, parts);
    }
    if (!parsed) {
        int tried = parts.offset;
        parts = Parts();
        parts.offset = tried;
    }
    first = parts.first;
    second = parts.second;
    text = parts.text;
    number = parts.number;
    occurrence = parts.occurrence;
    distance = parts.distance;
    offset = parts.offset;
    return parsed ? TRUE : FALSE;
}
