#include "watchtextforms.h"

#include <cctype>
#include <string>

namespace {

bool IsNameCharacter(char c)
{
    return c == '_' || std::isalnum(static_cast<unsigned char>(c)) != 0;
}

size_t SkipBlanks(const std::string &text, size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    return at;
}

// The name that starts at `at` (after blanks), its end in *end; empty when none starts there.
std::string NameAt(const std::string &text, size_t at, size_t *end)
{
    at = SkipBlanks(text, at);
    size_t stop = at;
    if (stop < text.size() && std::isdigit(static_cast<unsigned char>(text[stop])) == 0)
        while (stop < text.size() && IsNameCharacter(text[stop]))
            ++stop;
    *end = stop;
    return text.substr(at, stop - at);
}

} // namespace

BOOL IsScopedSymbolText(CString &text)
{
    const std::string whole(static_cast<LPCSTR>(text));
    size_t at = 0;
    const std::string name = NameAt(whole, 0, &at);
    if (name.empty())
        return FALSE;
    at = SkipBlanks(whole, at);
    if (at < whole.size() && whole[at] == '(') {
        size_t close = whole.find(')', at + 1);
        if (close != std::string::npos) {
            size_t scopeEnd = 0;
            std::string scope = NameAt(whole, at + 1, &scopeEnd);
            return !scope.empty() && scope == "global" && SkipBlanks(whole, scopeEnd) == close;
        }
        return FALSE;
    }
    if (at < whole.size() && whole[at] == '[')
        return TRUE;
    if (at < whole.size() && whole[at] == '#' && SkipBlanks(whole, at + 1) == whole.size()) {
        text = (name + " (global)").c_str();
        return TRUE;
    }
    return FALSE;
}

BOOL IsStoredSymbolText(const CString &text)
{
    const std::string whole(static_cast<LPCSTR>(text));
    size_t end = 0;
    const std::string name = NameAt(whole, 0, &end);
    // The name begins the text, and one blank stands between it and the scope.
    if (name.empty() || whole.compare(0, name.size(), name) != 0)
        return FALSE;
    return end + 1 < whole.size() && whole[end] == ' ' && whole[end + 1] != ' ';
}
