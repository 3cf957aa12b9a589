// Fuzz target of the registry file reader: any text after the header is read without
// fault, whatever lines it leaves out, and the tree it read is written to a text that
// reads back whole into a tree that writes the same text.
//
// An input without the header is read as if it had one, so that a mutation of the first
// line still reaches the reader of the lines after it.
// fuzz-seeds: testdata/registry/*.reg
#include "registryfile.h"

#include <cstdint>
#include <string>

using qelwin::RegistryRoots;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    if (!qelwin::HasRegistryHeader(text))
        text.insert(0, "QELREGISTRY 1\n");
    RegistryRoots read = RegistryRoots::MakeEmpty();
    qelwin::RegistryTextProblems problems = qelwin::ReadRegistryText(text, read);
    if ((problems.linesLeftOut == 0) != (problems.firstLineLeftOut == 0))
        __builtin_trap(); // a line left out is named

    std::string written = qelwin::WriteRegistryText(read);
    RegistryRoots again = RegistryRoots::MakeEmpty();
    if (!qelwin::HasRegistryHeader(written) || qelwin::ReadRegistryText(written, again).linesLeftOut != 0 ||
        qelwin::WriteRegistryText(again) != written)
        __builtin_trap(); // what was read is written and read back whole
    return 0;
}
