// The X32 link's reading of the tool's execute data: any bytes are parsed and dispatched
// without a read past the data or the 512 bytes that a text may have.
// fuzz-seeds: testdata/x32/*.txt
#include "claritycomm.h"
#include "x32request.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A link that is not connected: the requests find no host and send nothing.
    static CClarityComm link;
    std::vector<BYTE> copy(data, data + size);
    link.Receive(copy.data(), static_cast<DWORD>(copy.size()));
    std::string text(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    X32Request request = X32Request::Parse(text.c_str());
    if (request.letter != 0 && (text.compare(0, 7, "XDebug ") != 0 && text.compare(0, 7, "XDebug\t") != 0))
        abort();
    request.LineText();
    return 0;
}
