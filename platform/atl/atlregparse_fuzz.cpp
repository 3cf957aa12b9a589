// Fuzz target of the registry script reader: any text is read or refused whole, within
// the nesting limit, without touching the registry.
// fuzz-seeds: testdata/rgs/*.rgs
#include "atlregscript.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::map<std::string, std::string> replacements = {{"MODULE", "/lib/libX.so"},
                                                                     {"CLSID", "{00000000-0000-0000-0000-000000000000}"}};
    std::vector<QelAtlRegScript::Root> roots;
    QelAtlRegScript::Parse(reinterpret_cast<const char *>(data), size, replacements, &roots);
    return 0;
}
