#include "atlregscript.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace QelAtlRegScript {

namespace {

// Keys stand at most this deep below their root in the registry.
constexpr int kMaxDepth = 512;

struct Token {
    std::string text;
    bool quoted = false;
};

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

class Reader {
public:
    Reader(const char *text, size_t length, const std::map<std::string, std::string> &replacements)
        : m_text(text), m_length(length), m_replacements(replacements)
    {
    }

    // The next token into *token; false at the end or on a malformed token (m_bad).
    bool Next(Token *token)
    {
        while (m_pos < m_length && IsSpace(m_text[m_pos]))
            m_pos++;
        if (m_pos >= m_length)
            return false;
        std::string raw;
        token->quoted = m_text[m_pos] == '\'';
        if (token->quoted) {
            m_pos++;
            for (;;) {
                if (m_pos >= m_length)
                    return Bad();
                char c = m_text[m_pos++];
                if (c == '\'') {
                    if (m_pos < m_length && m_text[m_pos] == '\'') {
                        m_pos++;
                        raw += '\'';
                        continue;
                    }
                    break;
                }
                raw += c;
            }
        } else {
            while (m_pos < m_length && !IsSpace(m_text[m_pos]))
                raw += m_text[m_pos++];
        }
        return Replace(raw, &token->text) || Bad();
    }

    bool bad() const { return m_bad; }

private:
    bool Bad()
    {
        m_bad = true;
        return false;
    }

    // %NAME% by its replacement, %% by %.
    bool Replace(const std::string &raw, std::string *out) const
    {
        out->clear();
        for (size_t i = 0; i < raw.size(); i++) {
            if (raw[i] != '%') {
                *out += raw[i];
                continue;
            }
            size_t end = raw.find('%', i + 1);
            if (end == std::string::npos)
                return false;
            if (end == i + 1) {
                *out += '%';
            } else {
                auto found = m_replacements.find(Upper(raw.substr(i + 1, end - i - 1)));
                if (found == m_replacements.end())
                    return false;
                *out += found->second;
            }
            i = end;
        }
        return true;
    }

    const char *m_text;
    size_t m_length;
    size_t m_pos = 0;
    bool m_bad = false;
    const std::map<std::string, std::string> &m_replacements;
};

bool Is(const Token &token, const char *word)
{
    return !token.quoted && Upper(token.text) == word;
}

bool ParseNumber(const std::string &text, DWORD *value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    unsigned long long number = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || number > 0xFFFFFFFFull || text[0] == '-' || text[0] == '+')
        return false;
    *value = static_cast<DWORD>(number);
    return true;
}

bool ParseHex(const std::string &text, std::string *bytes)
{
    if (text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
            return false;
        *bytes += static_cast<char>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16));
    }
    return true;
}

class Parser {
public:
    Parser(Reader &reader) : m_reader(reader) {}

    bool Roots(std::vector<Root> *roots)
    {
        Token token;
        while (Take(&token)) {
            Root root;
            if (!RootKey(token, &root.root) || !Expect("{") || !Keys(&root.keys, 1))
                return false;
            roots->push_back(std::move(root));
        }
        return !m_reader.bad();
    }

private:
    bool Take(Token *token)
    {
        if (m_havePending) {
            *token = m_pending;
            m_havePending = false;
            return true;
        }
        return m_reader.Next(token);
    }
    void PutBack(const Token &token)
    {
        m_pending = token;
        m_havePending = true;
    }
    bool Expect(const char *word)
    {
        Token token;
        return Take(&token) && !token.quoted && token.text == word;
    }

    static bool RootKey(const Token &token, HKEY *root)
    {
        if (Is(token, "HKCR") || Is(token, "HKEY_CLASSES_ROOT"))
            *root = HKEY_CLASSES_ROOT;
        else if (Is(token, "HKCU") || Is(token, "HKEY_CURRENT_USER"))
            *root = HKEY_CURRENT_USER;
        else if (Is(token, "HKLM") || Is(token, "HKEY_LOCAL_MACHINE"))
            *root = HKEY_LOCAL_MACHINE;
        else
            return false;
        return true;
    }

    // The entries of a block, up to and with its closing brace.
    bool Keys(std::vector<Key> *keys, int depth, Key *owner = nullptr)
    {
        if (depth > kMaxDepth)
            return false;
        Token token;
        while (Take(&token)) {
            if (!token.quoted && token.text == "}")
                return true;
            if (owner != nullptr && Is(token, "VAL")) {
                Value value;
                if (!Take(&token) || token.text.empty() || !Expect("=") || !ValueSpec(&value))
                    return false;
                value.name = token.text;
                owner->values.push_back(std::move(value));
                continue;
            }
            Key key;
            if (Is(token, "FORCEREMOVE"))
                key.mode = KeyMode::ForceRemove;
            else if (Is(token, "NOREMOVE"))
                key.mode = KeyMode::NoRemove;
            else if (Is(token, "DELETE"))
                key.mode = KeyMode::Delete;
            if (key.mode != KeyMode::Plain && !Take(&token))
                return false;
            if (!token.quoted && (token.text == "{" || token.text == "=" || token.text == "}"))
                return false;
            key.name = token.text;
            if (key.name.empty())
                return false;
            if (Take(&token)) {
                if (!token.quoted && token.text == "=") {
                    Value value;
                    if (!ValueSpec(&value))
                        return false;
                    key.values.push_back(std::move(value));
                    if (!Take(&token))
                        return false;
                }
                if (!token.quoted && token.text == "{") {
                    if (!Keys(&key.subkeys, depth + 1, &key))
                        return false;
                } else {
                    PutBack(token);
                }
            }
            keys->push_back(std::move(key));
        }
        return false; // the block is not closed
    }

    // `s 'text'`, `d 'number'` or `b 'hex'`.
    bool ValueSpec(Value *value)
    {
        Token kind, data;
        if (!Take(&kind) || !Take(&data))
            return false;
        if (Is(kind, "S")) {
            value->type = REG_SZ;
            value->data = data.text;
            value->data += '\0';
            return true;
        }
        if (Is(kind, "D")) {
            DWORD number = 0;
            if (!ParseNumber(data.text, &number))
                return false;
            value->type = REG_DWORD;
            value->data.assign(reinterpret_cast<const char *>(&number), sizeof number);
            return true;
        }
        if (Is(kind, "B")) {
            value->type = REG_BINARY;
            return ParseHex(data.text, &value->data);
        }
        return false;
    }

    Reader &m_reader;
    Token m_pending;
    bool m_havePending = false;
};

} // namespace

bool Parse(const char *text, size_t length, const std::map<std::string, std::string> &replacements,
           std::vector<Root> *roots)
{
    roots->clear();
    if (text == nullptr)
        return false;
    Reader reader(text, length, replacements);
    Parser parser(reader);
    return parser.Roots(roots);
}

} // namespace QelAtlRegScript
