// qelversionres: writes the unit of a module that holds its version resource, a
// VS_VERSIONINFO block in the layout of the platform, from a short description.
//
//   qelversionres OUTPUT FILEVERSION INTERNALNAME DESCRIPTION [LANGUAGE CODEPAGE]
//
// FILEVERSION is four numbers "a.b.c.d" (each below 65536), which go into the fixed file
// information as they stand and, as text, into the "FileVersion" string. The strings are
// written for one translation, 0x0409 (U.S. English) with code page 0x04E4 (1252) unless
// LANGUAGE and CODEPAGE (numbers, "0x" for hexadecimal) name another, and must be ASCII,
// so that the text means the same in every code page.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes &bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutDword(Bytes &bytes, uint32_t value)
{
    PutWord(bytes, value & 0xFFFF);
    PutWord(bytes, value >> 16);
}

void Align(Bytes &bytes)
{
    while (bytes.size() % 4 != 0)
        bytes.push_back(0);
}

// UTF-16LE with its terminator; the texts are ASCII.
Bytes Utf16(const std::string &text)
{
    Bytes bytes;
    for (char c : text)
        PutWord(bytes, static_cast<uint8_t>(c));
    PutWord(bytes, 0);
    return bytes;
}

// One node: its header, key and value, then its children, each at a 32-bit boundary.
// Its length leaves out the padding after its end, which its parent adds before the next.
Bytes Node(const std::string &key, const Bytes &value, uint32_t valueLength, uint32_t type,
           const std::vector<Bytes> &children)
{
    Bytes node;
    PutWord(node, 0); // the length, set below
    PutWord(node, valueLength);
    PutWord(node, type);
    Bytes name = Utf16(key);
    node.insert(node.end(), name.begin(), name.end());
    Align(node);
    node.insert(node.end(), value.begin(), value.end());
    for (const Bytes &child : children) {
        Align(node);
        node.insert(node.end(), child.begin(), child.end());
    }
    node[0] = static_cast<uint8_t>(node.size());
    node[1] = static_cast<uint8_t>(node.size() >> 8);
    return node;
}

Bytes Text(const std::string &key, const std::string &text)
{
    return Node(key, Utf16(text), static_cast<uint32_t>(text.size() + 1), 1, {});
}

bool Ascii(const std::string &text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0')
            return false;
    }
    return true;
}

bool ParseVersion(const std::string &text, uint32_t parts[4])
{
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        size_t end = at;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        if (end == at || end - at > 5)
            return false;
        parts[i] = static_cast<uint32_t>(std::stoul(text.substr(at, end - at)));
        if (parts[i] > 0xFFFF || (i < 3 && (end == text.size() || text[end] != '.')))
            return false;
        at = end + 1;
    }
    return at == text.size() + 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5 && argc != 7) {
        fprintf(stderr, "usage: qelversionres OUTPUT FILEVERSION INTERNALNAME DESCRIPTION [LANGUAGE CODEPAGE]\n");
        return 2;
    }
    uint32_t language = 0x0409, codePage = 0x04E4;
    if (argc == 7) {
        char *end1 = nullptr, *end2 = nullptr;
        language = static_cast<uint32_t>(strtoul(argv[5], &end1, 0));
        codePage = static_cast<uint32_t>(strtoul(argv[6], &end2, 0));
        if (*argv[5] == '\0' || *end1 != '\0' || *argv[6] == '\0' || *end2 != '\0' || language > 0xFFFF ||
            codePage > 0xFFFF) {
            fprintf(stderr, "qelversionres: the language and the code page must be 16-bit numbers\n");
            return 2;
        }
    }
    char table[9];
    snprintf(table, sizeof table, "%04X%04X", language, codePage);
    std::string version = argv[2], internalName = argv[3], description = argv[4];
    uint32_t parts[4];
    if (!ParseVersion(version, parts)) {
        fprintf(stderr, "qelversionres: the file version \"%s\" is not four numbers a.b.c.d\n", argv[2]);
        return 2;
    }
    if (!Ascii(internalName) || !Ascii(description)) {
        fprintf(stderr, "qelversionres: the internal name and the description must be ASCII\n");
        return 2;
    }
    Bytes fixed;
    uint32_t ms = parts[0] << 16 | parts[1], ls = parts[2] << 16 | parts[3];
    for (uint32_t word : {0xFEEF04BDu, 0x00010000u, ms, ls, ms, ls, 0x3Fu, 0u, 0x4u, 0x2u, 0u, 0u, 0u})
        PutDword(fixed, word);
    Bytes translation;
    PutWord(translation, language);
    PutWord(translation, codePage);
    Bytes strings = Node("StringFileInfo", {}, 0, 1,
                         {Node(table, {}, 0, 1,
                               {Text("FileVersion", version), Text("InternalName", internalName),
                                Text("FileDescription", description)})});
    Bytes variables = Node("VarFileInfo", {}, 0, 1, {Node("Translation", translation, 4, 0, {})});
    Bytes root = Node("VS_VERSION_INFO", fixed, static_cast<uint32_t>(fixed.size()), 0, {strings, variables});
    if (root.size() > 0xFFFF) {
        fprintf(stderr, "qelversionres: the version resource would be longer than 65535 bytes\n");
        return 2;
    }

    std::string unit = "// Written by the build (qel_version_resource): the module's version resource.\n"
                       "#include <windows.h>\n\nnamespace {\n\nalignas(4) const unsigned char kVersionInfo[] = {";
    for (size_t i = 0; i < root.size(); ++i) {
        char byte[16];
        snprintf(byte, sizeof byte, "%s0x%02X", i % 12 == 0 ? "\n   " : " ", root[i]);
        unit += byte;
        unit += ",";
    }
    unit += "\n};\n\n} // namespace\n\nextern const QEL_RESOURCE_ENTRY g_QelVersionResource = {RT_VERSION, "
            "MAKEINTRESOURCE(1), kVersionInfo, sizeof kVersionInfo};\n";
    FILE *output = fopen(argv[1], "wb");
    if (output == nullptr || fwrite(unit.data(), 1, unit.size(), output) != unit.size() || fclose(output) != 0) {
        fprintf(stderr, "qelversionres: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
