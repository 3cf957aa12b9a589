#include "qelhostwatchtext.h"

#include <watchnormalize.h>
#include <watchparser.h>

#include <cctype>

namespace {

bool IsNameCharacter(char c)
{
    return c == '_' || std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// A name (not beginning with a digit) at `at`, blanks before it skipped; its end, or
// std::string::npos when none stands there.
size_t ReadName(const std::string &text, size_t at, std::string *name)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    size_t end = at;
    while (end < text.size() && IsNameCharacter(text[end]))
        ++end;
    if (end == at || std::isdigit(static_cast<unsigned char>(text[at])) != 0)
        return std::string::npos;
    *name = text.substr(at, end - at);
    return end;
}

size_t SkipBlanks(const std::string &text, size_t at)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    return at;
}

// The three forms of a scoped symbol, tried in order: a name with its scope in
// parentheses (only "global" counts, and no other form is tried once both parts were
// read), a name followed by '[', and a name followed by the word "#" (written as
// "NAME (global)").
bool ScopedSymbol(const std::string &text, std::string *entry)
{
    std::string name;
    size_t end = ReadName(text, 0, &name);
    if (end == std::string::npos)
        return false;
    size_t next = SkipBlanks(text, end);
    if (next < text.size() && text[next] == '(') {
        size_t close = text.find(')', next + 1);
        if (close != std::string::npos && close > next + 1) {
            if (text.substr(next + 1, close - next - 1) != "global")
                return false;
            *entry = text;
            return true;
        }
    }
    if (next < text.size() && text[next] == '[') {
        *entry = text;
        return true;
    }
    if (next < text.size() && text[next] == '#' && SkipBlanks(text, next + 1) == text.size()) {
        *entry = name + " (global)";
        return true;
    }
    return false;
}

} // namespace

WatchEntryText CheckWatchText(const std::string &typed, CSymbolProcessing *client)
{
    WatchEntryText result;
    size_t first = typed.find_first_not_of(" \t");
    if (first == std::string::npos)
        return result;
    std::string text = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    if (ScopedSymbol(text, &result.text)) {
        result.accepted = true;
        return result;
    }
    CString expression(text.c_str()), format;
    CString inner = NormalizeWatchExpression(expression, format, 1);
    const bool expressionForm = !inner.IsEmpty();
    std::string parsed = expressionForm ? static_cast<LPCSTR>(inner) : static_cast<LPCSTR>(expression);
    CQelWatchParser parser(CAddressValue(), client, CQelWatchParser::kDefaultBufferSize);
    WatchParseNode *root = parser.Parse(parsed.c_str());
    if (root == nullptr)
        return result;
    result.accepted = true;
    if (expressionForm) {
        result.expression = true;
        result.text = static_cast<LPCSTR>(expression);
    } else if (root->kind == kWatchIdentifier) {
        result.text = parsed + " *";
    } else {
        result.expression = true;
        result.text = "?(" + parsed + ")";
    }
    return result;
}
