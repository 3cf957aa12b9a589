// Runs the demangler on arbitrary bytes with buffers of several sizes, and checks what
// callers rely on: nothing is written beyond the buffer, an error leaves it empty, an
// overflow keeps a terminated start of the text, and the required size is the same
// whatever the buffer.
//
// fuzz-seeds: testdata/demangler/*.txt
#include "demangler.h"

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
    // An identifier is a NUL-terminated text; the copy is exactly that long so that the
    // address sanitizer sees any read past its end.
    std::vector<char> name(data, data + size);
    name.push_back('\0');

    std::vector<char> full(4096);
    int fullError = 0, fullOverflow = 0;
    UINT fullRequired = 0;
    DecodeIdentifier(name.data(), full.data(), static_cast<UINT>(full.size()), &fullError, &fullOverflow,
                     &fullRequired);
    Check(fullRequired >= 1);
    if (fullError) {
        Check(full[0] == '\0' && fullRequired == 1 && !fullOverflow);
    } else if (!fullOverflow) {
        Check(strlen(full.data()) + 1 == fullRequired);
    }

    // The text of a name is small; the last size is the one that just fits.
    const UINT sizes[] = {0, 1, 2, 4, 16, 64, fullRequired};
    for (UINT bufferSize : sizes) {
        if (bufferSize > (1u << 20))
            continue;
        std::vector<char> buffer(bufferSize); // exact size: writes beyond it are caught
        int error = 0, overflow = 0;
        UINT required = 0;
        DecodeIdentifier(name.data(), bufferSize > 0 ? buffer.data() : nullptr, bufferSize, &error, &overflow,
                         &required);
        Check(error == fullError && required == fullRequired);
        if (error) {
            Check(!overflow && (bufferSize == 0 || buffer[0] == '\0'));
            continue;
        }
        Check(overflow == (required > bufferSize));
        if (bufferSize == 0)
            continue;
        size_t length = strnlen(buffer.data(), bufferSize);
        Check(length < bufferSize);
        Check(length == (overflow ? bufferSize - 1 : required - 1));
        if (!fullOverflow)
            Check(memcmp(buffer.data(), full.data(), length) == 0);
    }
    return 0;
}
