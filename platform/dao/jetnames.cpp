#include "jetnames.h"

namespace qeldao {

namespace {

char FoldChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool HasPrefix(std::string_view name, std::string_view prefix)
{
    return name.size() >= prefix.size() && SameName(name.substr(0, prefix.size()), prefix);
}

} // namespace

std::string FoldName(std::string_view name)
{
    std::string folded(name);
    for (char &c : folded)
        c = FoldChar(c);
    return folded;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    return true;
}

std::string QuoteName(std::string_view name)
{
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string_view StripBrackets(std::string_view name)
{
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        return name.substr(1, name.size() - 2);
    return name;
}

bool IsValidObjectName(std::string_view name)
{
    if (name.empty() || name.size() > 64 || name[0] == ' ')
        return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '.' || c == '!' || c == '`' || c == '[' || c == ']')
            return false;
    }
    return !HasPrefix(name, "MSysDao") && !HasPrefix(name, "sqlite_");
}

bool IsValidFieldName(std::string_view name)
{
    return IsValidObjectName(name) && !SameName(name, "rowid") && !SameName(name, "_rowid_") &&
           !SameName(name, "oid");
}

} // namespace qeldao
