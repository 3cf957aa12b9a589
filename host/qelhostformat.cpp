#include "qelhostformat.h"

#include "hostwatchtree.h"

#include <programinfointerfaces.h>
#include <varnode.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct FormatOptions {
    DWORD typeClass = 0;
    LONG baseType = 0;
    DWORD layout = 0;
    DWORD mode = 1;
    bool swapped = false;
    std::string format; // empty: the node's first
    bool parse = false;
    std::string text;
    std::vector<BYTE> bytes;
};

// A whole number in decimal or with "0x" in hex, negative ones as their 32 bits.
bool Number(const char *text, DWORD *value)
{
    char *end = nullptr;
    errno = 0;
    long long number = std::strtoll(text, &end, 0);
    if (end == text || *end != '\0' || errno != 0 || number < INT32_MIN || number > UINT32_MAX)
        return false;
    *value = static_cast<DWORD>(number);
    return true;
}

bool Hex(const char *text, std::vector<BYTE> *bytes)
{
    size_t length = std::strlen(text);
    if (length == 0 || length % 2 != 0)
        return false;
    for (size_t i = 0; i < length; i += 2) {
        char pair[3] = {text[i], text[i + 1], '\0'};
        char *end = nullptr;
        long value = std::strtol(pair, &end, 16);
        if (end != pair + 2 || pair[0] == '-' || pair[0] == '+' || pair[0] == ' ')
            return false;
        bytes->push_back(static_cast<BYTE>(value));
    }
    return true;
}

bool Layout(const char *text, DWORD *layout)
{
    unsigned width = 0, offset = 0, isSigned = 0;
    int used = -1;
    if (std::sscanf(text, "%u,%u,%u%n", &width, &offset, &isSigned, &used) != 3 || used < 0 || text[used] != '\0'
        || width > 0xFFFF || offset > 0x7FFF || isSigned > 1)
        return false;
    *layout = width | offset << 16 | isSigned << 31;
    return true;
}

bool ReadOptions(int argc, char **argv, FormatOptions &options)
{
    int i = 0;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        DWORD value = 0;
        if (option == "--swapped") {
            options.swapped = true;
        } else if (option == "--class" && Number(argv[i + 1], &value)) {
            options.typeClass = value;
            ++i;
        } else if (option == "--base" && Number(argv[i + 1], &value)) {
            options.baseType = static_cast<LONG>(value);
            ++i;
        } else if (option == "--mode" && Number(argv[i + 1], &value)) {
            options.mode = value;
            ++i;
        } else if (option == "--layout" && Layout(argv[i + 1], &options.layout)) {
            ++i;
        } else if (option == "--format") {
            options.format = argv[++i];
        } else if (option == "--parse") {
            options.parse = true;
            options.text = argv[++i];
        } else {
            return false;
        }
    }
    return i + 1 == argc && Hex(argv[i], &options.bytes);
}

// The format by index or by name; -1 when the node has no such format.
int FormatIndex(const CQelBasicVarNode &node, const std::string &format)
{
    if (format.empty())
        return 0;
    if (format.size() == 1 && format[0] >= '0' && format[0] <= '3')
        return format[0] - '0';
    for (int i = 0; i < 4; ++i)
        if (!node.GetDisplayFormatName(i).IsEmpty() && format == static_cast<LPCSTR>(node.GetDisplayFormatName(i)))
            return i;
    return -1;
}

std::string HexText(const BYTE *bytes, DWORD count)
{
    std::string text;
    char pair[3];
    for (DWORD i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

int Usage()
{
    std::fprintf(stderr, "usage: qelhost format [--class C] [--base B] [--layout W,OFF,S] [--mode M] [--swapped] "
                         "[--format N|NAME] [--parse TEXT] HEXBYTES\n");
    return 2;
}

} // namespace

int FormatValue(int argc, char **argv)
{
    FormatOptions options;
    if (!ReadOptions(argc, argv, options))
        return Usage();
    const DWORD count = static_cast<DWORD>(options.bytes.size());
    CQelBasicVarNode node(nullptr);
    MemberTag tag;
    tag.TypeCode = static_cast<LONG>(options.typeClass);
    tag.TypeIndex = options.baseType;
    tag.SizeInBits = static_cast<LONG>(8 * count);
    tag.Offset = static_cast<LONG>(options.layout);
    node.BuildFromMember(tag);
    if (options.swapped)
        node.SetProgramType(IID_ITaskingC16xInfo);
    const bool constant = options.mode == 0 || options.mode == 0x40000000;
    DWORD words[2] = {};
    std::memcpy(words, options.bytes.data(), count < 8 ? count : 8);
    node.SetAddress(options.mode, constant ? words[0] : 0, constant ? words[1] : 0);
    if (node.GetSize() != count) {
        std::fprintf(stderr, "qelhost: the value takes %u bytes, not %u\n", node.GetSize(), count);
        return 2;
    }
    if (count > 0)
        std::memcpy(node.GetBuffer(), options.bytes.data(), count);
    int format = FormatIndex(node, options.format);
    if (format < 0) {
        std::fprintf(stderr, "qelhost: the value has no format %s\n", options.format.c_str());
        return 2;
    }
    node.SetDisplayFormat(format);
    if (!options.parse) {
        node.UpdateText(nullptr, FALSE);
        std::printf("%s\n", static_cast<LPCSTR>(node.GetValueText()));
        return 0;
    }
    // Reading an edit takes a tree and an item, as in the watch window.
    CComObject<QelHost::CHostWatchTree> *tree = nullptr;
    if (FAILED(CComObject<QelHost::CHostWatchTree>::CreateInstance(&tree)))
        return 1;
    CComPtr<IUnknown> hold(static_cast<IQelCommonWatch *>(tree));
    node.SetItemHandle(1);
    node.SetValueText(options.text.c_str());
    if (!node.ParseEditText(hold)) {
        std::printf("refused\n");
        return 1;
    }
    std::printf("%s\n", HexText(node.GetBuffer(), node.GetSize()).c_str());
    return 0;
}
