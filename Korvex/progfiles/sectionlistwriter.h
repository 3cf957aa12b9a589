// The writer family that writes a memory image out.
//
// The base creates files and writes plain bytes; a format's writer (the Intel HEX writer)
// overrides WriteStream to walk the image and WriteBytes to put each section into its
// records. Writing walks the list with its cursor, so the list is not const.
#pragma once

#include "sectionlist.h"

#include <ostream>

namespace SectionList {

class CSectionListWriter {
public:
    CSectionListWriter() = default;
    virtual ~CSectionListWriter();
    CSectionListWriter(const CSectionListWriter &) = delete;
    CSectionListWriter &operator=(const CSectionListWriter &) = delete;

    // Creates or truncates the file in binary mode (SLR_CANNOT_WRITE_FILE when it cannot)
    // and writes it with WriteStream; SLR_WRITE_FAILED also when the file cannot be
    // completed on closing.
    virtual DWORD WriteFile(CSectionList &list, LPCSTR name);
    virtual DWORD WriteStream(CSectionList &list, std::ostream &stream);
    // Writes the `count` bytes of the section at `address` as they are; SLR_WRITE_FAILED
    // when the stream failed.
    virtual DWORD WriteBytes(std::ostream &stream, DWORD address, DWORD count, const void *data);
};

} // namespace SectionList
