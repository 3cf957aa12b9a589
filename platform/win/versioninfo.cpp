#include "versioninfo.h"

#include "lasterror.h"
#include "moduletable.h"
#include "resources.h"
#include "textconv.h"
#include "winerror.h"

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// A node of a version block, its offsets from the start of the block.
struct Node {
    size_t start;
    size_t end;        // one past its last byte
    size_t keyStart;   // its key's first UTF-16 unit
    size_t keyUnits;   // without the terminator
    size_t valueStart;
    size_t valueBytes;
    WORD valueLength;  // as the node gives it: bytes, or UTF-16 units for texts
    WORD type;         // 0 binary, 1 text
};

WORD WordAt(const BYTE *block, size_t offset)
{
    WORD value;
    memcpy(&value, block + offset, sizeof value);
    return value;
}

size_t Aligned(size_t offset)
{
    return (offset + 3) & ~size_t{3};
}

// The node at `start`, which must lie inside its parent's [start, limit); false when it
// does not, or when its key or value does not end inside it.
bool ReadNode(const BYTE *block, size_t start, size_t limit, Node *node)
{
    if (start > limit || limit - start < 6)
        return false;
    WORD length = WordAt(block, start);
    if (length < 6 || length > limit - start)
        return false;
    node->start = start;
    node->end = start + length;
    node->valueLength = WordAt(block, start + 2);
    node->type = WordAt(block, start + 4);
    node->keyStart = start + 6;
    size_t unit = node->keyStart;
    while (unit + 2 <= node->end && WordAt(block, unit) != 0)
        unit += 2;
    if (unit + 2 > node->end)
        return false;
    node->keyUnits = (unit - node->keyStart) / 2;
    node->valueBytes = node->type == 1 ? size_t{node->valueLength} * 2 : node->valueLength;
    node->valueStart = Aligned(unit + 2);
    if (node->valueBytes == 0)
        node->valueStart = node->valueStart < node->end ? node->valueStart : node->end;
    else if (node->valueStart > node->end || node->valueBytes > node->end - node->valueStart)
        return false;
    return true;
}

char16_t Folded(char16_t unit)
{
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

bool KeyIs(const BYTE *block, const Node &node, const std::u16string &key)
{
    if (node.keyUnits != key.size())
        return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (Folded(WordAt(block, node.keyStart + 2 * i)) != Folded(key[i]))
            return false;
    }
    return true;
}

// The child of `parent` whose key is `key`; false when there is none or a child on the
// way to it is damaged.
bool FindChild(const BYTE *block, const Node &parent, const std::u16string &key, Node *child)
{
    size_t next = Aligned(parent.valueStart + parent.valueBytes);
    while (next < parent.end) {
        if (!ReadNode(block, next, parent.end, child))
            return false;
        if (KeyIs(block, *child, key))
            return true;
        next = Aligned(child->end);
    }
    return false;
}

std::u16string Wide(const std::string &text)
{
    std::u16string wide(text.size(), u'\0');
    int made = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                   reinterpret_cast<LPWSTR>(wide.data()), static_cast<int>(wide.size()));
    wide.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return wide;
}

// The version resource of the registered module whose file is `fileName`; false with the
// last error set when there is none.
bool FindVersionResource(LPCSTR fileName, const void **data, DWORD *size)
{
    struct stat file;
    if (fileName == nullptr || stat(fileName, &file) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    std::vector<std::pair<HINSTANCE, std::string>> modules;
    {
        std::lock_guard<std::mutex> hold(qelwin::ModuleLock());
        for (const auto &entry : qelwin::Modules())
            modules.emplace_back(entry.first, entry.second.path);
    }
    for (const auto &[handle, path] : modules) {
        struct stat module;
        if (stat(path.c_str(), &module) != 0 || module.st_dev != file.st_dev || module.st_ino != file.st_ino)
            continue;
        HRSRC resource = FindResourceA(handle, MAKEINTRESOURCE(1), RT_VERSION);
        if (resource == nullptr)
            break;
        *data = LockResource(LoadResource(handle, resource));
        *size = SizeofResource(handle, resource);
        if (*data != nullptr && *size != 0)
            return true;
        break;
    }
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return false;
}

} // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle)
{
    if (handle != nullptr)
        *handle = 0;
    const void *data = nullptr;
    DWORD size = 0;
    return FindVersionResource(fileName, &data, &size) ? 2 * size : 0;
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, LPVOID data)
{
    const void *resource = nullptr;
    DWORD size = 0;
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!FindVersionResource(fileName, &resource, &size))
        return FALSE;
    memcpy(data, resource, length < size ? length : size);
    if (length > size)
        memset(static_cast<BYTE *>(data) + size, 0, length - size);
    // VerQueryValueA answers texts in the room after the block, as long as the block:
    // in a buffer too small for both, the block is cut to what leaves that room, so that
    // no answer reaches beyond the buffer.
    if (length >= 2) {
        WORD root;
        memcpy(&root, data, sizeof root);
        if (root > length / 2) {
            root = static_cast<WORD>(length / 2);
            memcpy(data, &root, sizeof root);
        }
    }
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length)
{
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr)
        return FALSE;
    const BYTE *bytes = static_cast<const BYTE *>(block);
    Node node;
    if (!ReadNode(bytes, 0, WordAt(bytes, 0), &node))
        return FALSE;
    std::string path = subBlock;
    size_t at = 0;
    while (at < path.size()) {
        size_t slash = path.find('\\', at);
        if (slash == std::string::npos)
            slash = path.size();
        if (slash > at) {
            Node child;
            if (!FindChild(bytes, node, Wide(path.substr(at, slash - at)), &child))
                return FALSE;
            node = child;
        }
        at = slash + 1;
    }
    if (node.type != 1) {
        if (node.valueBytes == 0)
            return FALSE;
        *buffer = const_cast<BYTE *>(bytes + node.valueStart);
        *length = node.valueBytes;
        return TRUE;
    }
    // The ANSI text goes into the room after the block, at half the offset of its UTF-16
    // text: the texts of two nodes never overlap there, as they do not in the block.
    std::u16string text(node.valueLength, u'\0');
    memcpy(text.data(), bytes + node.valueStart, node.valueBytes);
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    char *ansi = const_cast<char *>(reinterpret_cast<const char *>(bytes)) + WordAt(bytes, 0) + node.valueStart / 2;
    int made = text.empty() ? 0
                            : WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(text.data()),
                                                  static_cast<int>(text.size()), ansi, static_cast<int>(text.size()),
                                                  nullptr, nullptr);
    ansi[made > 0 ? made : 0] = '\0';
    *buffer = ansi;
    *length = node.valueLength;
    return TRUE;
}
