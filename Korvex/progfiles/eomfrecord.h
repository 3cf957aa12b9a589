// The record structure of EOMF files, the absolute object format of the C16x/ST10 tool
// chain: records end to end from offset 0, each a type byte, a 16-bit length L (the
// bytes that follow, the checksum byte counted) and a checksum byte that makes all L + 3
// bytes add up to 0 modulo 256.
//
// Every field is read through a CDataCursor over the record's body alone (offsets 3 up
// to the checksum), so that no field is ever read beyond its record, whatever L says.
#pragma once

#include <afx.h>

#include "datacursor.h"

// Record types.
enum : BYTE {
    EOMF_RTXDEF = 0x30,
    EOMF_DEPLST = 0x70,
    EOMF_REGMSK = 0x72,
    EOMF_BLKEND = 0x7C,
    EOMF_THEADR = 0x80,
    EOMF_LHEADR = 0x82,
    EOMF_COMMENT = 0x88,
    EOMF_MODEND = 0x8A,
    EOMF_LINNUM = 0x94,
    EOMF_LNAMES = 0x96,
    EOMF_SECDEF = 0xB0,
    EOMF_GRPDEF = 0xB1,
    EOMF_PUBDEF = 0xB3,
    EOMF_LOCSYM = 0xB5,
    EOMF_DEBSYM = 0xB6,
    EOMF_BLKDEF = 0xB7,
    EOMF_PEDATA = 0xB9,
    EOMF_XSECDEF = 0xC5,
    EOMF_REGDEF = 0xE3,
    EOMF_PECDEF = 0xE4,
    EOMF_SSKDEF = 0xE5,
    EOMF_GLBDEF = 0xE6,
    EOMF_MODINF = 0xE7,
    EOMF_VECTAB = 0xE9,
    EOMF_TYPNEW = 0xF0,
};

// One record in the file's bytes.
struct EomfRecord {
    DWORD Offset = 0; // of its type byte
    BYTE Type = 0;
    WORD Length = 0; // L
    const BYTE *Bytes = nullptr; // all L + 3 bytes

    BYTE Checksum() const { return Bytes[2 + Length]; }
    DWORD End() const { return Offset + Length + 3; }
    // Whether the bytes add up to 0 modulo 256.
    BOOL HasValidChecksum() const;
    // The body, offsets 3 up to the checksum, positioned at record offset `at`; a
    // position past the body gives a cursor that is at its end.
    CDataCursor Body(DWORD at = 3) const;
};

// A walk over the records of a file. Each walk has its own cursor, so that a walk may
// run inside another (the dependency-list lookup inside the module pass).
class CEomfCursor {
public:
    enum Result { RECORD, END, TRUNCATED };

    CEomfCursor(const BYTE *file, uint64_t size) : m_pFile(file), m_nSize(size) {}
    // The record at `offset`: RECORD; END when the offset is the end of the file;
    // TRUNCATED when the record's last byte lies beyond it (GetOffset says where).
    Result First(DWORD offset, EomfRecord *record);
    // The record after the last one given.
    Result Next(EomfRecord *record);
    DWORD GetOffset() const { return m_nOffset; }

private:
    const BYTE *m_pFile;
    uint64_t m_nSize;
    DWORD m_nOffset = 0;
};

// Readers of the encodings inside bodies. Each fails (the cursor's mark) when the body
// ends before the field does.
// An index: one byte below 128, else ((first & 0x7F) << 8) | second.
WORD ReadEomfIndex(CDataCursor &body);
// A short name: a length byte and that many characters, cut to 2047.
CString ReadEomfName(CDataCursor &body);
// A long name: a length byte, or 0 and a 16-bit length.
CString ReadEomfLongName(CDataCursor &body);
// A base address: group and section index, then (when they add up to 0) the frame word:
// a 16 KB page number with bit 15 set, else a 64 KB segment number.
DWORD ReadEomfBaseAddress(CDataCursor &body);
