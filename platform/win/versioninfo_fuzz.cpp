// Fuzz target of the version-resource walker: a block of any bytes, as GetFileVersionInfoA
// would hand it out (its root length within the data, followed by the room for the ANSI
// texts), answers the usual queries without reading outside it, and every value answered
// lies inside it.
// fuzz-seeds: testdata/version/*.bin
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    WORD root;
    memcpy(&root, data, sizeof root);
    if (root < 2 || root > size)
        return 0;
    std::vector<BYTE> block(data, data + root);
    block.resize(2 * size_t{root});
    static const char *const queries[] = {
        "\\",
        "\\VarFileInfo\\Translation",
        "\\StringFileInfo\\040904e4\\FileVersion",
        "\\StringFileInfo\\040904E4\\InternalName",
        "\\StringFileInfo\\040904e4\\FileDescription",
        "\\StringFileInfo",
        "StringFileInfo\\\\040904e4\\\\",
    };
    for (const char *query : queries) {
        LPVOID value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), query, &value, &length))
            continue;
        const BYTE *at = static_cast<const BYTE *>(value);
        if (at < block.data() || at >= block.data() + block.size() ||
            (at < block.data() + root && at + length > block.data() + root))
            __builtin_trap();
        if (at >= block.data() + root && memchr(at, 0, block.data() + block.size() - at) == nullptr)
            __builtin_trap(); // a text is terminated inside the room
    }
    return 0;
}
