// Runs the descriptor parser on arbitrary bytes and checks what callers rely on: no part
// is longer than its form allows, a failure leaves every text empty, and a parsed text
// stays a part of the descriptor.
// fuzz-seeds: testdata/locations/*.txt
#include "locationdescriptor.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A descriptor is a NUL-terminated text; the copy is exactly that long so that the
    // address sanitizer sees any read past its end.
    std::vector<char> descriptor(data, data + size);
    descriptor.push_back('\0');

    CString first, second, text;
    int number = 7, occurrence = 7, distance = 7, offset = 7;
    BOOL parsed = ParseLocationDescriptor(descriptor.data(), first, second, number, text, occurrence, distance, offset);
    if (!parsed) {
        Check(first.IsEmpty() && second.IsEmpty() && text.IsEmpty());
        Check(number == 0 && occurrence == 0 && distance == 0);
        return 0;
    }
    Check(first.GetLength() <= kDescriptorFunctionLimit && first.GetLength() <= kDescriptorSymbolLimit);
    Check(second.GetLength() <= kDescriptorFileLimit && second.GetLength() <= kDescriptorNameLimit);
    Check(text.GetLength() <= kDescriptorModulesLimit);
    Check(first.IsEmpty() || strstr(descriptor.data(), first) != nullptr);
    Check(second.IsEmpty() || strstr(descriptor.data(), second) != nullptr);
    Check(text.IsEmpty() || strstr(descriptor.data(), text) != nullptr);
    return 0;
}
