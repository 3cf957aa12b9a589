// Reads Intel HEX memory images into section lists.
//
// A read makes two passes over its source: the layout pass adds the range of every data
// record to the list, so that adjacent records join into sections of their final size
// before anything is allocated; the data pass, when the bytes are wanted, reads the
// records again and stores their bytes. Both passes start from the beginning of the
// source with no base address, so each sees the records exactly as the file gives them.
//
// A record is ':', a byte count, a 16-bit address, a type, the data bytes and a checksum,
// all in hex digits. Data records (type 0) lie at the base plus their address; type 2
// (extended segment address) sets the base to its value times 16 and type 4 (extended
// linear address) to its value times 65536; type 3 (CS:IP) and type 5 (a 32-bit linear
// address) give the program's start address; type 1 ends the file. Lines that do not
// begin with ':' are skipped. The first faulty record ends the read with its code; the
// sections laid out before it stay in the list.
#pragma once

#include "sectionlistreader.h"

#include <fstream>

namespace SectionList {

class CIntelHexReader : public CSectionListReader {
public:
    CIntelHexReader() = default;

    // Opens the file (SLR_CANNOT_READ_FILE when it cannot) and reads it; the data pass
    // opens it again.
    DWORD ReadFile(CSectionList &list, LPCSTR name, BOOL fillData, int flag) override;
    // Clears the list's start address and reads the image: SLR_NO_END_RECORD when the
    // source ends before its end record, SLR_OVERLAP when a data record overlaps an
    // earlier one, or the code of the first faulty record. A stream that is read for its
    // bytes must be able to seek back to its beginning.
    DWORD ReadStream(CSectionList &list, std::istream &stream, BOOL fillData, int flag) override;
    // Reads the resource `name` of `type` (NULL: "SECTIONLIST") of the module as a HEX
    // text; SLR_NO_RESOURCE when it cannot be found or loaded.
    DWORD ReadResource(CSectionList &list, HMODULE module, LPCSTR name, LPCSTR type, BOOL fillData,
                       int flag) override;

    // The data pass alone, over a list already laid out: stores the bytes of every data
    // record as far as the layout holds them; SLR_NOT_IN_SECTION for a record whose first
    // byte lies in no section.
    DWORD ReadDataFile(CSectionList &list, LPCSTR name);
    DWORD ReadData(CSectionList &list, std::istream &stream);

    // The lines read by the last pass: the line of the faulty record after a failure.
    DWORD GetLineCount() const { return m_nLineCount; }

private:
    struct Record {
        DWORD address; // data: where its bytes go; start address: the address
        int count;     // data bytes; 0 for the end record, -1 for a start address
    };

    void StartPass();
    DWORD ReadRecord(std::istream &stream, Record *record, BYTE *buffer, DWORD bufferSize);

    DWORD m_nLineCount = 0;
    DWORD m_nBase = 0;
    LPCSTR m_pszFileName = nullptr; // while a file read by name is running
    std::ifstream m_file;
};

} // namespace SectionList
