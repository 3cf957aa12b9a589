#include "qelhostscript.h"

#include "hostreports.h"

#include <safearrayvariant.h>
#include <userinput.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace QelHost {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The parts of `word` from `from` on, split at commas outside quotes.
std::vector<std::string> SplitAtCommas(const ScriptWord &word, size_t from)
{
    std::vector<std::string> parts;
    if (from >= word.text.size())
        return parts;
    std::string part;
    for (size_t i = from; i < word.text.size(); ++i) {
        if (word.text[i] == ',' && !word.quoted[i]) {
            parts.push_back(part);
            part.clear();
        } else {
            part += word.text[i];
        }
    }
    parts.push_back(part);
    return parts;
}

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

// A BSTR of the ANSI text; the caller frees it.
BSTR MakeBstr(const std::string &text)
{
    return CString(text.c_str()).AllocSysString();
}

} // namespace

bool IsSkippedLine(const std::string &line)
{
    size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

bool SplitWords(const std::string &line, std::vector<ScriptWord> &words, std::string *error)
{
    words.clear();
    // A text value could not hold it.
    if (line.find('\0') != std::string::npos)
        return Fail(error, "a line holds a NUL character");
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        ScriptWord word;
        bool inQuotes = false;
        for (; i < line.size() && (inQuotes || !IsBlank(line[i])); ++i) {
            char c = line[i];
            if (c == '"') {
                inQuotes = !inQuotes;
                continue;
            }
            if (inQuotes && c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                c = line[++i];
            word.text += c;
            word.quoted.push_back(inQuotes);
        }
        if (inQuotes)
            return Fail(error, "a quote is not closed");
        words.push_back(std::move(word));
    }
    return true;
}

bool ParseScriptNumber(const std::string &text, long long minimum, long long maximum, long long *value)
{
    bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() > 20)
        return false;
    for (char c : digits) {
        bool digit = c >= '0' && c <= '9';
        bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit && !(base == 16 && hex))
            return false;
    }
    errno = 0;
    unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
    if (errno == ERANGE || magnitude > static_cast<unsigned long long>(LLONG_MAX))
        return false;
    long long number = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (number < minimum || number > maximum)
        return false;
    *value = number;
    return true;
}

bool ParseValue(const ScriptWord &word, CComVariant &value, std::string *error)
{
    value.Clear();
    const std::string &text = word.text;
    size_t colon = text.find(':');
    std::string kind = colon == std::string::npos ? text : text.substr(0, colon);
    std::string rest = colon == std::string::npos ? "" : text.substr(colon + 1);
    long long number = 0;
    if (kind == "empty" && colon == std::string::npos)
        return true;
    if (colon == std::string::npos)
        return Fail(error, "no value: " + text);
    if (kind == "u4") {
        if (!ParseScriptNumber(rest, 0, 0xFFFFFFFFLL, &number))
            return Fail(error, "no 32-bit unsigned number: " + rest);
        value.vt = VT_UI4;
        value.ulVal = static_cast<ULONG>(number);
        return true;
    }
    if (kind == "i4") {
        if (!ParseScriptNumber(rest, INT_MIN, INT_MAX, &number))
            return Fail(error, "no 32-bit signed number: " + rest);
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(number);
        return true;
    }
    if (kind == "bool") {
        if (rest == "true")
            number = VARIANT_TRUE;
        else if (rest == "false")
            number = VARIANT_FALSE;
        else if (!ParseScriptNumber(rest, SHRT_MIN, USHRT_MAX, &number))
            return Fail(error, "no boolean: " + rest);
        value.vt = VT_BOOL;
        value.boolVal = static_cast<VARIANT_BOOL>(number);
        return true;
    }
    if (kind == "bstr") {
        BSTR bstr = MakeBstr(rest);
        if (!bstr)
            return Fail(error, "out of memory");
        value.vt = VT_BSTR;
        value.bstrVal = bstr;
        return true;
    }
    if (kind == "bstrs") {
        std::vector<std::string> parts = SplitAtCommas(word, colon + 1);
        CSafeArrayVariant array(VT_BSTR, static_cast<int>(parts.size()));
        if (!parts.empty()) {
            auto *data = array.IsValid() ? static_cast<BSTR *>(array.AccessData()) : nullptr;
            if (!data)
                return Fail(error, "out of memory");
            for (size_t i = 0; i < parts.size(); ++i)
                data[i] = MakeBstr(parts[i]);
            array.UnaccessData();
        } else if (!array.Resize(0)) {
            return Fail(error, "out of memory");
        }
        // The array passes to the value.
        value.vt = VT_ARRAY | VT_BSTR;
        value.parray = array.GetArray();
        array.Forget();
        return true;
    }
    return Fail(error, "no value: " + text);
}

std::string QuoteText(const std::string &text, bool commaSplits)
{
    bool plain = !text.empty() && text.find_first_of(commaSplits ? " \t\"\\," : " \t\"\\") == std::string::npos;
    if (plain)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FormatValue(const VARIANT &value)
{
    char buffer[32];
    switch (value.vt) {
    case VT_EMPTY:
        return "empty";
    case VT_UI4:
        std::snprintf(buffer, sizeof buffer, "u4:%u", static_cast<unsigned>(value.ulVal));
        return buffer;
    case VT_I4:
        std::snprintf(buffer, sizeof buffer, "i4:%d", static_cast<int>(value.lVal));
        return buffer;
    case VT_BOOL:
        if (value.boolVal == VARIANT_TRUE)
            return "bool:true";
        if (value.boolVal == VARIANT_FALSE)
            return "bool:false";
        std::snprintf(buffer, sizeof buffer, "bool:%d", static_cast<int>(value.boolVal));
        return buffer;
    case VT_BSTR:
        return "bstr:" + QuoteText(AnsiText(value.bstrVal), false);
    case VT_UNKNOWN:
        return value.punkVal ? "unknown" : "unknown:null";
    case VT_ARRAY | VT_BSTR: {
        std::string text = "bstrs:";
        SAFEARRAY *array = value.parray;
        LONG lower = 0, upper = -1;
        BSTR *data = nullptr;
        if (!array || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
            FAILED(SafeArrayGetUBound(array, 1, &upper)) ||
            (upper >= lower && FAILED(SafeArrayAccessData(array, reinterpret_cast<void **>(&data)))))
            return text;
        for (LONG i = 0; data && i <= upper - lower; ++i)
            text += (i > 0 ? "," : "") + QuoteText(AnsiText(data[i]), true);
        if (data)
            SafeArrayUnaccessData(array);
        return text;
    }
    default:
        std::snprintf(buffer, sizeof buffer, "vt:0x%04X", static_cast<unsigned>(value.vt));
        return buffer;
    }
}

std::vector<std::string> SplitItemPath(const std::string &path)
{
    std::vector<std::string> texts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' && i + 1 < path.size() && (path[i + 1] == '>' || path[i + 1] == '\\'))
            texts.back() += path[++i];
        else if (path[i] == '>')
            texts.emplace_back();
        else
            texts.back() += path[i];
    }
    return texts;
}

bool ParseKeyName(const std::string &text, int *key, UINT *modifiers, std::string *error)
{
    std::string name = text;
    *key = 0;
    *modifiers = 0;
    for (size_t plus; (plus = name.rfind('+')) != std::string::npos && plus > 0; name.erase(plus)) {
        std::string modifier = name.substr(plus + 1);
        if (modifier == "shift")
            *modifiers |= MK_SHIFT;
        else if (modifier == "ctrl")
            *modifiers |= MK_CONTROL;
        else {
            if (error != nullptr)
                *error = "a key takes +shift and +ctrl only";
            return false;
        }
    }
    *key = QelKeyFromName(name.c_str());
    if (*key == 0 && error != nullptr)
        *error = "no key " + name;
    return *key != 0;
}

} // namespace QelHost
