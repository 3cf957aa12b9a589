#include "registrytree.h"

#include <algorithm>

namespace qelwin {

namespace {

// Code page 1252's small letters and their capitals: ASCII, the Latin-1 block (but for
// the division sign, and ß, which has no capital of its own) and the four letters that
// 1252 adds in 0x80-0x9F.
BYTE FoldByte(BYTE c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<BYTE>(c - 'a' + 'A');
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<BYTE>(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A; // š
    case 0x9C: return 0x8C; // œ
    case 0x9E: return 0x8E; // ž
    case 0xFF: return 0x9F; // ÿ
    default: return c;
    }
}

} // namespace

std::string FoldRegistryName(std::string_view name)
{
    std::string folded(name);
    for (char &c : folded)
        c = static_cast<char>(FoldByte(static_cast<BYTE>(c)));
    return folded;
}

RegistryKey::RegistryKey(std::string_view name, RegistryKey *parent)
    : name_(name), folded_(FoldRegistryName(name)), parent_(parent), depth_(parent ? parent->depth_ + 1 : 0)
{
}

size_t RegistryKey::LowerBound(const std::string &folded) const
{
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), folded,
                               [](const std::shared_ptr<RegistryKey> &key, const std::string &name) {
                                   return key->folded_ < name;
                               });
    return static_cast<size_t>(it - subkeys_.begin());
}

std::shared_ptr<RegistryKey> RegistryKey::FindSubkey(std::string_view name) const
{
    std::string folded = FoldRegistryName(name);
    size_t at = LowerBound(folded);
    if (at < subkeys_.size() && subkeys_[at]->folded_ == folded)
        return subkeys_[at];
    return nullptr;
}

std::shared_ptr<RegistryKey> RegistryKey::AddSubkey(std::string_view name, bool *created)
{
    std::string folded = FoldRegistryName(name);
    size_t at = LowerBound(folded);
    if (at < subkeys_.size() && subkeys_[at]->folded_ == folded) {
        *created = false;
        return subkeys_[at];
    }
    auto key = std::make_shared<RegistryKey>(name, this);
    subkeys_.insert(subkeys_.begin() + static_cast<std::ptrdiff_t>(at), key);
    *created = true;
    return key;
}

void RegistryKey::RemoveSubkey(const RegistryKey *subkey)
{
    size_t at = LowerBound(subkey->folded_);
    if (at < subkeys_.size() && subkeys_[at].get() == subkey) {
        // Kept alive until it is marked, since the tree may hold the last reference.
        std::shared_ptr<RegistryKey> gone = subkeys_[at];
        subkeys_.erase(subkeys_.begin() + static_cast<std::ptrdiff_t>(at));
        gone->MarkDeleted();
    }
}

void RegistryKey::MarkDeleted()
{
    // Iterative, so that no depth of tree can exhaust the stack.
    std::vector<std::shared_ptr<RegistryKey>> pending = std::move(subkeys_);
    subkeys_.clear();
    deleted_ = true;
    parent_ = nullptr;
    while (!pending.empty()) {
        std::shared_ptr<RegistryKey> key = std::move(pending.back());
        pending.pop_back();
        for (auto &child : key->subkeys_)
            pending.push_back(std::move(child));
        key->subkeys_.clear();
        key->deleted_ = true;
        key->parent_ = nullptr;
    }
}

const RegistryValue *RegistryKey::FindValue(std::string_view name) const
{
    std::string folded = FoldRegistryName(name);
    for (const RegistryValue &value : values_) {
        if (value.name.size() == folded.size() && FoldRegistryName(value.name) == folded)
            return &value;
    }
    return nullptr;
}

void RegistryKey::SetValue(std::string_view name, DWORD type, std::vector<BYTE> data)
{
    // A value keeps its place and the spelling of its first name, as on Windows.
    if (const RegistryValue *found = FindValue(name)) {
        RegistryValue &value = values_[static_cast<size_t>(found - values_.data())];
        value.type = type;
        value.data = std::move(data);
        return;
    }
    values_.push_back({std::string(name), type, std::move(data)});
}

bool RegistryKey::RemoveValue(std::string_view name)
{
    const RegistryValue *found = FindValue(name);
    if (!found)
        return false;
    values_.erase(values_.begin() + (found - values_.data()));
    return true;
}

bool SplitRegistryPath(const char *path, std::vector<std::string_view> *names)
{
    names->clear();
    if (!path)
        return true;
    std::string_view rest(path);
    while (!rest.empty()) {
        size_t end = rest.find('\\');
        std::string_view name = rest.substr(0, end);
        if (name.empty() || name.size() > kMaxKeyNameLength)
            return false;
        names->push_back(name);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return true;
}

} // namespace qelwin
