#include "texttokens.h"

#include <cstdlib>
#include <cstring>

BOOL IsCharInSet(char c, LPCSTR set)
{
    return c != '\0' && set != nullptr && strchr(set, c) != nullptr;
}

char *GetToken(LPCSTR text, LPCSTR delimiters, int index)
{
    static thread_local char token[255];
    if (text == nullptr || index < 0)
        return nullptr;
    const char *p = text;
    for (int number = 0;; ++number) {
        while (IsCharInSet(*p, delimiters))
            ++p;
        if (*p == '\0')
            return nullptr;
        const char *start = p;
        while (*p != '\0' && !IsCharInSet(*p, delimiters))
            ++p;
        if (number == index) {
            size_t length = static_cast<size_t>(p - start);
            if (length >= sizeof token)
                return nullptr;
            memcpy(token, start, length);
            token[length] = '\0';
            return token;
        }
    }
}

void SplitTextNumber(LPCSTR text, CString &out, LONG *number)
{
    const int maxText = 1023;
    if (text == nullptr)
        text = "";
    const char *comma = strchr(text, ',');
    size_t length = comma != nullptr ? static_cast<size_t>(comma - text) : strlen(text);
    out = CString(text, static_cast<int>(length < maxText ? length : maxText));
    if (number == nullptr)
        return;
    *number = 0;
    if (comma == nullptr)
        return;
    // atol's reading, but a value beyond 32 bits is held at the nearest end instead of
    // being whatever the wider long of Linux would cut it to.
    long long value = strtoll(comma + 1, nullptr, 10);
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    else if (value < -0x80000000LL)
        value = -0x80000000LL;
    *number = static_cast<LONG>(value);
}

CCharSetTokenizer::CCharSetTokenizer(LPCSTR text, LPCSTR delimiters)
    : m_delimiters(delimiters != nullptr ? delimiters : ""), m_position(text != nullptr ? text : "")
{
}

BOOL CCharSetTokenizer::NextToken(char *out, int maxLength, BOOL skipAllDelimiters)
{
    if (out == nullptr || *m_position == '\0')
        return FALSE;
    if (skipAllDelimiters) {
        while (IsDelimiter(*m_position))
            ++m_position;
        if (*m_position == '\0')
            return FALSE;
    } else if (IsDelimiter(*m_position)) {
        ++m_position;
    }
    const char *start = m_position;
    while (*m_position != '\0' && !IsDelimiter(*m_position))
        ++m_position;
    size_t length = static_cast<size_t>(m_position - start);
    size_t limit = maxLength > 0 ? static_cast<size_t>(maxLength) : 0;
    if (length > limit)
        length = limit;
    memcpy(out, start, length);
    out[length] = '\0';
    return TRUE;
}
