#include "watchnormalize.h"

namespace {

// Tabs to blanks, runs of blanks outside strings to one. A double quote opens or closes
// a string unless a backslash escapes it; two backslashes escape each other.
CString Squeeze(const CString &text)
{
    CString squeezed;
    bool inString = false, escaped = false, blank = false;
    for (int i = 0; i < text.GetLength(); ++i) {
        char c = text[i] == '\t' ? ' ' : text[i];
        if (c == ' ' && blank && !inString)
            continue;
        blank = c == ' ';
        if (c == '"' && !escaped)
            inString = !inString;
        escaped = c == '\\' && !escaped;
        squeezed += c;
    }
    return squeezed;
}

// The index of the parenthesis that closes the one at `open`, -1 when none does.
int MatchingParenthesis(const CString &text, int open)
{
    int depth = 0;
    for (int i = open; i < text.GetLength(); ++i) {
        if (text[i] == '(')
            ++depth;
        else if (text[i] == ')' && --depth == 0)
            return i;
    }
    return -1;
}

// An fconvert call that makes up the whole of `inner`, rewritten; `inner` stays as it is
// when it is none.
bool RewriteConvert(CString &inner)
{
    static const char kName[] = "fconvert(\"";
    if (inner.Left(static_cast<int>(sizeof kName) - 1) != kName)
        return false;
    const int argument = static_cast<int>(sizeof kName) - 1;
    const int quote = inner.Find('"', argument);
    if (quote < 0 || quote + 1 >= inner.GetLength() || inner[quote + 1] != ',')
        return false;
    const int close = MatchingParenthesis(inner, argument - 2);
    if (close != inner.GetLength() - 1)
        return false;
    const CString first = inner.Mid(argument, quote - argument);
    const CString second = inner.Mid(quote + 2, close - quote - 2);
    const int comma = first.Find(',');
    CString rewritten;
    if (comma > 0 && comma + 1 < first.GetLength())
        rewritten.Format("(%s)*%s-%s", static_cast<LPCSTR>(second), static_cast<LPCSTR>(first.Left(comma)),
                         static_cast<LPCSTR>(first.Mid(comma + 1)));
    else
        rewritten.Format("(%s)*%s", static_cast<LPCSTR>(second), static_cast<LPCSTR>(first));
    inner = rewritten;
    return true;
}

} // namespace

CString NormalizeWatchExpression(CString &expression, CString &format, int mode)
{
    format.Empty();
    expression = Squeeze(expression);
    const int length = expression.GetLength();
    if (length < 4 || expression[0] != '?' || expression[1] != '(' || expression[length - 1] != ')')
        return CString();

    CString inner;
    if (expression[2] == '"') {
        const int quote = expression.Find('"', 3);
        if (quote < 0)
            return CString();
        const CString name = expression.Mid(3, quote - 3);
        if (quote + 1 >= length - 1 || expression[quote + 1] != ',' || name.GetLength() < 3)
            return CString();
        format = name;
        inner = expression.Mid(quote + 2, length - 1 - (quote + 2));
    } else {
        inner = expression.Mid(2, length - 3);
    }
    inner.TrimLeft(' ');
    inner.TrimRight(' ');

    if (mode == 1 && !inner.IsEmpty() && RewriteConvert(inner)) {
        if (format.IsEmpty())
            expression.Format("?(%s)", static_cast<LPCSTR>(inner));
        else
            expression.Format("?(\"%s\",%s)", static_cast<LPCSTR>(format), static_cast<LPCSTR>(inner));
    }
    return inner;
}
