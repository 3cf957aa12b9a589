// The registry's keys and values in memory (inside this layer only; not part of
// windows.h).
//
// Names of keys and of values compare blind to case, as Windows compares them: ASCII
// letters and the letters of code page 1252 fold to their capitals.
// Subkeys are kept sorted by their folded names, which is also the order in which an
// enumeration hands them out; values keep the order in which they were first set.
//
// A key that is deleted is marked so before it leaves its parent: handles that still
// hold it then see ERROR_KEY_DELETED rather than a key that no longer exists in the tree.
#pragma once

#include "basetypes.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qelwin {

// Limits, as Windows sets them where it sets any. They bound what a registry file can
// make this layer hold, too.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxKeyDepth = 512;        // levels below a root
constexpr size_t kMaxValueSize = 1u << 20;  // bytes of one value's data

// The name with every letter folded to its capital, for comparing names.
std::string FoldRegistryName(std::string_view name);

struct RegistryValue {
    std::string name; // "" for the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

class RegistryKey {
public:
    explicit RegistryKey(std::string_view name, RegistryKey *parent = nullptr);
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    const std::string &Name() const { return name_; }
    RegistryKey *Parent() const { return parent_; }
    bool IsDeleted() const { return deleted_; }
    // Levels below the root (a root is 0).
    size_t Depth() const { return depth_; }

    size_t SubkeyCount() const { return subkeys_.size(); }
    const std::shared_ptr<RegistryKey> &SubkeyAt(size_t index) const { return subkeys_[index]; }
    std::shared_ptr<RegistryKey> FindSubkey(std::string_view name) const;
    // The subkey of that name, made when there is none; `created` says which.
    std::shared_ptr<RegistryKey> AddSubkey(std::string_view name, bool *created);
    // Takes the subkey out of the tree and marks it, and everything below it, deleted.
    void RemoveSubkey(const RegistryKey *subkey);
    // Marks the key and everything below it deleted and forgets the subkeys.
    void MarkDeleted();

    size_t ValueCount() const { return values_.size(); }
    const RegistryValue &ValueAt(size_t index) const { return values_[index]; }
    const RegistryValue *FindValue(std::string_view name) const;
    void SetValue(std::string_view name, DWORD type, std::vector<BYTE> data);
    bool RemoveValue(std::string_view name);

private:
    size_t LowerBound(const std::string &folded) const;

    std::string name_;
    std::string folded_;
    RegistryKey *parent_;
    size_t depth_;
    bool deleted_ = false;
    std::vector<std::shared_ptr<RegistryKey>> subkeys_; // sorted by folded name
    std::vector<RegistryValue> values_;
};

// The names of a subkey path ("a\b\c"). NULL and "" give none: the key itself. One
// trailing backslash is allowed; an empty name anywhere else, or a name longer than
// kMaxKeyNameLength, makes the path malformed (false).
bool SplitRegistryPath(const char *path, std::vector<std::string_view> *names);

} // namespace qelwin
