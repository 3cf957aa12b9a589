// Result codes of the memory-image classes (section lists, their readers and writers).
//
// Every operation of those classes answers one of these instead of throwing, so that a
// caller can tell a faulty HEX record from a missing file by number; the values are the
// numbers that the callers and their messages know.
#pragma once

#include "basetypes.h"

namespace SectionList {

enum : DWORD {
    SLR_SUCCESS = 0,
    SLR_NO_MEMORY = 1,
    SLR_BAD_LENGTH = 2,        // length 0, over the list's maximum, or past the 32-bit address space
    SLR_NOT_IN_SECTION = 3,    // the address lies in no section
    SLR_OFFSET_BEYOND = 4,     // the offset is not inside the section
    SLR_NO_DATA = 5,           // the section describes a range without contents
    SLR_OVERLAP = 6,           // the new range overlaps an existing section
    SLR_CANNOT_READ_FILE = 9,
    SLR_CANNOT_WRITE_FILE = 10,
    SLR_STREAM_FAILED = 11,    // the input stream had already failed
    SLR_WRITE_FAILED = 13,     // the output stream failed while writing
    SLR_RECORD_TOO_SHORT = 15, // a HEX record that is malformed: too short for its count, or not hex
    SLR_BAD_CHECKSUM = 16,
    SLR_END_OF_INPUT = 17,     // the record reader met the end of input before the end record
    SLR_UNKNOWN_RECORD = 18,
    SLR_RECORD_TOO_LONG = 19,  // a data record longer than the caller's buffer
    SLR_NOT_A_RECORD = 20,     // a line that does not begin with ':'
    SLR_NO_RESOURCE = 22,
    SLR_NO_END_RECORD = 24,    // the HEX file ended before its end record
    SLR_NOT_OFFERED = 26,      // the reader or writer does not offer the operation
};

} // namespace SectionList
