// Writes section lists as Intel HEX files.
//
// Every section that has bytes is written in data records of 32 bytes, none of which
// crosses a 64 KB page. Before the first record of a page that the reader would not reach
// from its current base, an address record sets the base: an extended segment address
// (type 2) below 1 MB, an extended linear address (type 4) from 1 MB on. Readers differ in
// how the two kinds combine (some replace the base, others add the segment to the linear
// base), so the writer clears the other kind to 0 before it changes kind, and every reader
// then finds each byte at the same address. The file ends with the end record.
#pragma once

#include "sectionlistwriter.h"

namespace SectionList {

class CIntelHexWriter : public CSectionListWriter {
public:
    CIntelHexWriter() = default;

    // Creates or truncates the file (SLR_CANNOT_WRITE_FILE when it cannot) and writes the
    // image into it.
    DWORD WriteFile(CSectionList &list, LPCSTR name) override;
    // Writes every section that has bytes, in address order, then the end record;
    // SLR_WRITE_FAILED when the stream fails.
    DWORD WriteStream(CSectionList &list, std::ostream &stream) override;
    // Writes one section's bytes as data records, with the address records they need.
    DWORD WriteBytes(std::ostream &stream, DWORD address, DWORD count, const void *data) override;

private:
    void WriteRecord(std::ostream &stream, BYTE type, WORD address, const BYTE *data, DWORD count);
    void WriteBaseRecord(std::ostream &stream, BYTE type, DWORD base);

    DWORD m_nRecordSize = 32;
    // The bases that the records written so far have set; at most one is not 0.
    DWORD m_nSegmentBase = 0;
    DWORD m_nLinearBase = 0;
};

} // namespace SectionList
