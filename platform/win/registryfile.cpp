#include "registryfile.h"

#include "registry.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace qelwin {

namespace {

constexpr std::string_view kHeader = "QELREGISTRY 1";

struct RootName {
    std::string_view name;
    std::shared_ptr<RegistryKey> RegistryRoots::*root;
};
constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", &RegistryRoots::classesRoot},
    {"HKEY_CURRENT_USER", &RegistryRoots::currentUser},
    {"HKEY_LOCAL_MACHINE", &RegistryRoots::localMachine},
};

// ---- writing ----

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendEscaped(std::string *out, std::string_view text)
{
    for (char ch : text) {
        auto c = static_cast<BYTE>(ch);
        if (c >= 0x20 && c <= 0x7E && c != '%' && c != '"') {
            out->push_back(ch);
        } else {
            char escape[4];
            snprintf(escape, sizeof escape, "%%%02X", c);
            out->append(escape);
        }
    }
}

void AppendHexBytes(std::string *out, const std::vector<BYTE> &data)
{
    for (BYTE b : data) {
        out->push_back(kHexDigits[b >> 4]);
        out->push_back(kHexDigits[b & 0xF]);
    }
}

bool IsPlainText(const std::vector<BYTE> &data)
{
    if (data.empty() || data.back() != 0)
        return false;
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0)
            return false;
    }
    return true;
}

void AppendValue(std::string *out, const RegistryValue &value)
{
    if (value.name.empty()) {
        out->push_back('@');
    } else {
        out->push_back('"');
        AppendEscaped(out, value.name);
        out->push_back('"');
    }
    out->push_back('=');
    if (value.type == REG_SZ && IsPlainText(value.data)) {
        out->append("sz:\"");
        AppendEscaped(out, std::string_view(reinterpret_cast<const char *>(value.data.data()), value.data.size() - 1));
        out->push_back('"');
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (DWORD(value.data[3]) << 24);
        char text[16];
        snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
        out->append(text);
    } else if (value.type == REG_BINARY) {
        out->append("hex:");
        AppendHexBytes(out, value.data);
    } else {
        char text[24];
        snprintf(text, sizeof text, "hex(%x):", static_cast<unsigned>(value.type));
        out->append(text);
        AppendHexBytes(out, value.data);
    }
    out->push_back('\n');
}

// ---- reading ----

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The text of escaped bytes (AppendEscaped's form), or nothing when a byte may not
// stand there, an escape is broken or the text is longer than `maxLength`.
std::optional<std::string> Unescape(std::string_view escaped, size_t maxLength)
{
    std::string text;
    for (size_t i = 0; i < escaped.size(); ++i) {
        auto c = static_cast<BYTE>(escaped[i]);
        if (c < 0x20 || c == 0x7F || c == '"')
            return std::nullopt;
        if (c == '%') {
            int high = i + 2 < escaped.size() ? HexValue(escaped[i + 1]) : -1;
            int low = i + 2 < escaped.size() ? HexValue(escaped[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            c = static_cast<BYTE>(high << 4 | low);
            i += 2;
        }
        if (text.size() == maxLength)
            return std::nullopt;
        text.push_back(static_cast<char>(c));
    }
    return text;
}

bool HasNoZero(const std::string &text)
{
    return text.find('\0') == std::string::npos;
}

// A checked reader over one line: every read says whether it succeeded and never looks
// past the end.
class LineCursor {
public:
    explicit LineCursor(std::string_view line) : rest_(line) {}

    bool AtEnd() const { return rest_.empty(); }

    bool Take(std::string_view expected)
    {
        if (rest_.substr(0, expected.size()) != expected)
            return false;
        rest_.remove_prefix(expected.size());
        return true;
    }

    // The escaped text up to the closing quote (which is taken too); an escaped text
    // holds no quote of its own.
    std::optional<std::string> QuotedText(size_t maxLength)
    {
        size_t end = rest_.find('"');
        if (end == std::string_view::npos)
            return std::nullopt;
        std::optional<std::string> text = Unescape(rest_.substr(0, end), maxLength);
        rest_.remove_prefix(end + 1);
        return text;
    }

    // Hexadecimal digits in pairs up to the end of the line.
    std::optional<std::vector<BYTE>> HexBytesToEnd()
    {
        if (rest_.size() % 2 != 0 || rest_.size() / 2 > kMaxValueSize)
            return std::nullopt;
        std::vector<BYTE> bytes;
        bytes.reserve(rest_.size() / 2);
        for (size_t i = 0; i < rest_.size(); i += 2) {
            int high = HexValue(rest_[i]);
            int low = HexValue(rest_[i + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.push_back(static_cast<BYTE>(high << 4 | low));
        }
        rest_ = {};
        return bytes;
    }

    // One to eight hexadecimal digits (exactly `digits` when that is not 0), up to
    // `stop` (which is taken) or, when `stop` is 0, up to the end of the line.
    std::optional<DWORD> HexNumber(char stop, size_t digits = 0)
    {
        DWORD number = 0;
        size_t count = 0;
        while (!rest_.empty() && !(stop != 0 && rest_.front() == stop)) {
            int digit = HexValue(rest_.front());
            if (digit < 0 || count == 8)
                return std::nullopt;
            number = number << 4 | static_cast<DWORD>(digit);
            ++count;
            rest_.remove_prefix(1);
        }
        if (count == 0 || (digits != 0 && count != digits))
            return std::nullopt;
        if (stop != 0 && !Take(std::string_view(&stop, 1)))
            return std::nullopt;
        return number;
    }

private:
    std::string_view rest_;
};

// The key of a "[path]" line, made where it is missing; null when the line is not one.
// The whole path is read before any key is made, so a broken line makes nothing.
std::shared_ptr<RegistryKey> ReadKeyLine(std::string_view line, const RegistryRoots &roots)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return nullptr;
    std::string_view path = line.substr(1, line.size() - 2);
    std::vector<std::string> names;
    while (true) {
        size_t end = path.find('\\');
        std::optional<std::string> name = Unescape(path.substr(0, end), kMaxKeyNameLength);
        if (!name || name->empty() || !HasNoZero(*name) || name->find('\\') != std::string::npos)
            return nullptr;
        if (names.size() > kMaxKeyDepth)
            return nullptr;
        names.push_back(std::move(*name));
        if (end == std::string_view::npos)
            break;
        path.remove_prefix(end + 1);
    }
    std::shared_ptr<RegistryKey> key;
    std::string rootName = FoldRegistryName(names.front());
    for (const RootName &root : kRootNames) {
        if (rootName == root.name)
            key = roots.*(root.root);
    }
    for (size_t i = 1; key && i < names.size(); ++i) {
        bool created = false;
        key = key->AddSubkey(names[i], &created);
    }
    return key;
}

bool ReadValueLine(std::string_view line, RegistryKey *key)
{
    LineCursor cursor(line);
    std::string name;
    if (!cursor.Take("@")) {
        if (!cursor.Take("\""))
            return false;
        std::optional<std::string> quoted = cursor.QuotedText(kMaxValueNameLength);
        if (!quoted || quoted->empty() || !HasNoZero(*quoted))
            return false;
        name = std::move(*quoted);
    }
    if (!cursor.Take("="))
        return false;
    DWORD type = 0;
    std::vector<BYTE> data;
    if (cursor.Take("sz:\"")) {
        std::optional<std::string> text = cursor.QuotedText(kMaxValueSize - 1);
        if (!text || !cursor.AtEnd() || !HasNoZero(*text))
            return false;
        type = REG_SZ;
        data.assign(text->begin(), text->end());
        data.push_back(0);
    } else if (cursor.Take("dword:")) {
        std::optional<DWORD> number = cursor.HexNumber(0, 8);
        if (!number || !cursor.AtEnd())
            return false;
        type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8)
            data.push_back(static_cast<BYTE>(*number >> shift));
    } else {
        if (cursor.Take("hex:")) {
            type = REG_BINARY;
        } else if (cursor.Take("hex(")) {
            std::optional<DWORD> number = cursor.HexNumber(')');
            if (!number || !cursor.Take(":"))
                return false;
            type = *number;
        } else {
            return false;
        }
        std::optional<std::vector<BYTE>> bytes = cursor.HexBytesToEnd();
        if (!bytes)
            return false;
        data = std::move(*bytes);
    }
    key->SetValue(name, type, std::move(data));
    return true;
}

} // namespace

RegistryRoots RegistryRoots::MakeEmpty()
{
    RegistryRoots roots;
    for (const RootName &root : kRootNames)
        roots.*(root.root) = std::make_shared<RegistryKey>(root.name);
    return roots;
}

bool HasRegistryHeader(std::string_view text)
{
    if (text.substr(0, kHeader.size()) != kHeader)
        return false;
    std::string_view rest = text.substr(kHeader.size());
    return rest.empty() || rest.front() == '\n' || rest.substr(0, 2) == "\r\n";
}

RegistryTextProblems ReadRegistryText(std::string_view text, const RegistryRoots &roots)
{
    RegistryTextProblems problems;
    std::shared_ptr<RegistryKey> key;
    bool keyLineRead = false; // value lines need a key line that was read
    size_t lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (++lineNumber == 1)
            continue; // the header
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';')
            continue;
        bool read;
        if (line.front() == '[') {
            key = ReadKeyLine(line, roots);
            keyLineRead = key != nullptr;
            read = keyLineRead;
        } else {
            read = keyLineRead && ReadValueLine(line, key.get());
        }
        if (!read) {
            if (problems.linesLeftOut++ == 0)
                problems.firstLineLeftOut = lineNumber;
        }
    }
    return problems;
}

std::string WriteRegistryText(const RegistryRoots &roots)
{
    std::string text(kHeader);
    text.append("\n; The registry of the Win32 stand-in; the format is described in platform/win/registryfile.h.\n");
    for (const RootName &root : kRootNames) {
        // Depth first, each key with the path that leads to it.
        std::vector<std::pair<const RegistryKey *, std::string>> pending;
        pending.emplace_back((roots.*(root.root)).get(), std::string(root.name));
        while (!pending.empty()) {
            auto [key, path] = std::move(pending.back());
            pending.pop_back();
            text.push_back('\n');
            text.push_back('[');
            text.append(path);
            text.append("]\n");
            for (size_t i = 0; i < key->ValueCount(); ++i)
                AppendValue(&text, key->ValueAt(i));
            for (size_t i = key->SubkeyCount(); i-- > 0;) {
                const RegistryKey *subkey = key->SubkeyAt(i).get();
                std::string subpath = path;
                subpath.push_back('\\');
                AppendEscaped(&subpath, subkey->Name());
                pending.emplace_back(subkey, std::move(subpath));
            }
        }
    }
    return text;
}

} // namespace qelwin
