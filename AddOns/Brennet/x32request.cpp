#include "x32request.h"

#include <cstring>

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

X32Request X32Request::Parse(const char *text)
{
    X32Request request;
    char letter = 0;
    int state = 0;
    const char *rest = text;
    while (*rest != '\0' && state < 5) {
        const char *end = rest;
        while (*end != '\0' && !IsSeparator(*end))
            ++end;
        CString token(rest, static_cast<int>(end - rest));
        rest = end;
        while (IsSeparator(*rest))
            ++rest;
        if (state == 0) {
            if (token != "XDebug")
                return request;
        } else if (state == 1) {
            if (token.GetLength() != 2 || token[0] != '-')
                return request;
            letter = token[1];
        } else {
            request.arguments[state - 2] = token;
        }
        ++state;
    }
    request.letter = letter;
    return request;
}

CString X32Request::LineText() const
{
    CString text;
    if (!arguments[0].IsEmpty() && !arguments[1].IsEmpty())
        text.Format("%s %s", static_cast<LPCSTR>(BareFileName(arguments[0])), static_cast<LPCSTR>(arguments[1]));
    return text;
}

CString X32Request::BareFileName(const CString &path)
{
    int last = -1;
    for (int i = 0; i < path.GetLength(); ++i) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            last = i;
    }
    return path.Mid(last + 1);
}
