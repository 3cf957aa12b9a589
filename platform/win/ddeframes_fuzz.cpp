// The frame reader on bytes from a partner: any input ends in frames or a refusal,
// never a read out of bounds or a buffer that grows past the limit.
#include "ddeframes.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace qelwin::dde;
    FrameReader reader;
    // In two pieces, as a socket may give them.
    size_t half = size / 2;
    reader.Append(data, half);
    Frame frame;
    while (reader.Next(&frame) == FrameReader::Status::Complete) {
    }
    reader.Append(data + half, size - half);
    FrameReader::Status status;
    while ((status = reader.Next(&frame)) == FrameReader::Status::Complete) {
        // What comes out goes back in the same.
        std::vector<uint8_t> again = EncodeFrame(frame);
        Frame copy;
        if (!DecodePayload(again.data() + 4, again.size() - 4, &copy) || copy.data != frame.data ||
            copy.service != frame.service || copy.topic != frame.topic)
            abort();
    }
    return 0;
}
