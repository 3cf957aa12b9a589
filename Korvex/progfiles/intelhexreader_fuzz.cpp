// Runs the HEX reader on arbitrary text and checks what its users rely on: every read
// ends with a code of the table, the image stays ordered and disjoint with no section
// over the maximum length, the layout alone describes the same ranges, and an image read
// without fault is written and read back to the same bytes.
//
// fuzz-seeds: testdata/ihex/*.hex
#include "intelhexreader.h"
#include "intelhexwriter.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace SectionList;

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

struct Range {
    DWORD start, length;
    std::vector<BYTE> bytes;
    bool operator==(const Range &other) const
    {
        return start == other.start && length == other.length && bytes == other.bytes;
    }
};

std::vector<Range> Ranges(CSectionList &list)
{
    std::vector<Range> ranges;
    for (CSection *s = list.First(); s != nullptr; s = list.Next()) {
        Check(s->GetLength() > 0 && s->GetLength() <= list.GetMaxSectionLength());
        Check(IsValidRange(s->GetStart(), s->GetLength()));
        if (!ranges.empty())
            Check(ranges.back().start + (ranges.back().length - 1) < s->GetStart());
        Range range{s->GetStart(), s->GetLength(), {}};
        if (s->HasData())
            range.bytes.assign(s->GetData(), s->GetData() + s->GetLength());
        ranges.push_back(range);
    }
    Check(static_cast<int>(ranges.size()) == list.GetCount());
    return ranges;
}

bool KnownResult(DWORD result)
{
    switch (result) {
    case SLR_SUCCESS: case SLR_NO_MEMORY: case SLR_BAD_LENGTH: case SLR_NOT_IN_SECTION:
    case SLR_OVERLAP: case SLR_STREAM_FAILED: case SLR_RECORD_TOO_SHORT: case SLR_BAD_CHECKSUM:
    case SLR_UNKNOWN_RECORD: case SLR_RECORD_TOO_LONG: case SLR_NO_END_RECORD:
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);

    CSectionList list;
    std::istringstream stream(text);
    CIntelHexReader reader;
    DWORD result = reader.ReadStream(list, stream, TRUE, 1);
    Check(KnownResult(result));
    std::vector<Range> ranges = Ranges(list);

    CSectionList layout;
    std::istringstream again(text);
    DWORD layoutResult = reader.ReadStream(layout, again, FALSE, 1);
    std::vector<Range> laidOut = Ranges(layout);
    if (result == SLR_SUCCESS) {
        Check(layoutResult == SLR_SUCCESS);
        Check(laidOut.size() == ranges.size());
        for (size_t i = 0; i < ranges.size(); i++) {
            Check(laidOut[i].start == ranges[i].start && laidOut[i].length == ranges[i].length);
            Check(laidOut[i].bytes.empty() && ranges[i].bytes.size() == ranges[i].length);
        }

        std::ostringstream written;
        CIntelHexWriter writer;
        Check(writer.WriteStream(list, written) == SLR_SUCCESS);
        CSectionList back;
        std::istringstream source(written.str());
        Check(reader.ReadStream(back, source, TRUE, 1) == SLR_SUCCESS);
        Check(Ranges(back) == ranges);
    }
    return 0;
}
