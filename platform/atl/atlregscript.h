// The tree that a registry script describes (atlregistrar.h), read from its text whole
// before anything is written.
#pragma once

#include <ole2.h>

#include <map>
#include <string>
#include <vector>

namespace QelAtlRegScript {

struct Value {
    std::string name; // empty: the key's default value
    DWORD type = REG_SZ;
    std::string data; // as stored: a text with its terminating zero, or the bytes
};

enum class KeyMode { Plain, ForceRemove, NoRemove, Delete };

struct Key {
    std::string name;
    KeyMode mode = KeyMode::Plain;
    std::vector<Value> values; // the default value first, when the script gives one
    std::vector<Key> subkeys;
};

struct Root {
    HKEY root;
    std::vector<Key> keys;
};

// The script's roots; false for a malformed script (an unknown keyword, root or
// replacement, a missing brace or value, a number that is no 32-bit number, hex bytes
// that are no pairs, keys nested deeper than the registry allows). `replacements` are by
// upper-case name.
bool Parse(const char *text, size_t length, const std::map<std::string, std::string> &replacements,
           std::vector<Root> *roots);

} // namespace QelAtlRegScript
