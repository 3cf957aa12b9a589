#include "qelhostrequestline.h"

namespace QelHost {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The quoted text that starts at line[*pos], which is '"'; *pos ends behind it.
bool ReadQuoted(const std::string &line, size_t *pos, RequestToken &token, std::string *reason)
{
    token.text.clear();
    token.quoted = true;
    for (size_t i = *pos + 1; i < line.size(); ++i) {
        if (line[i] == '"') {
            *pos = i + 1;
            if (*pos < line.size() && !IsBlank(line[*pos])) {
                *reason = "a quoted text runs into the next argument";
                return false;
            }
            return true;
        }
        if (line[i] == '\\') {
            if (i + 1 == line.size() || (line[i + 1] != '"' && line[i + 1] != '\\')) {
                *reason = "a backslash in a quoted text escapes neither \" nor \\";
                return false;
            }
            ++i;
        }
        token.text += line[i];
    }
    *reason = "a quoted text is not closed";
    return false;
}

} // namespace

bool SplitRequestLine(const std::string &line, std::vector<RequestToken> &tokens, std::string *reason)
{
    tokens.clear();
    if (line.find('\0') != std::string::npos) {
        *reason = "the line holds a NUL byte";
        return false;
    }
    size_t pos = 0;
    while (true) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos == line.size())
            return true;
        RequestToken token;
        if (line[pos] == '"') {
            if (!ReadQuoted(line, &pos, token, reason))
                return false;
        } else {
            const size_t start = pos;
            while (pos < line.size() && !IsBlank(line[pos]))
                ++pos;
            token.text = line.substr(start, pos - start);
        }
        tokens.push_back(std::move(token));
    }
}

bool CommandLineToken(const std::string &argument, RequestToken &token, std::string *reason)
{
    if (argument.empty() || argument[0] != '"') {
        token.text = argument;
        token.quoted = false;
        return true;
    }
    size_t pos = 0;
    if (!ReadQuoted(argument, &pos, token, reason))
        return false;
    if (pos != argument.size()) {
        *reason = "an argument holds more than one quoted text";
        return false;
    }
    return true;
}

bool ParseRequestNumber(const std::string &text, DWORD *value)
{
    size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        pos = 1;
    DWORD radix = 10;
    if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0) {
        radix = 16;
        pos += 2;
    } else if (text.compare(pos, 1, "0") == 0 && pos + 1 < text.size()) {
        radix = 8;
        pos += 1;
    }
    if (pos == text.size())
        return false;
    // Unsigned arithmetic wraps, so the digits add up modulo 2^32 however many there are.
    DWORD number = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        DWORD digit = radix;
        if (c >= '0' && c <= '9')
            digit = static_cast<DWORD>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<DWORD>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<DWORD>(c - 'A' + 10);
        if (digit >= radix)
            return false;
        number = number * radix + digit;
    }
    *value = negative ? 0u - number : number;
    return true;
}

} // namespace QelHost
