// CDataCursor: a read position inside one section of a program file.
//
// Every read is checked against the end of the bytes the cursor was given. A read that
// would pass the end reads nothing, answers 0 (or an empty text), leaves the cursor at the
// end and marks the cursor as failed; the mark stays, so a decoder can read a whole record
// and look once. Multi-byte values follow the byte order the cursor was made with: the
// ELF structures and DWARF 2 take the file's data encoding, DWARF 1.1 is little-endian
// whatever the file says.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

class CDataCursor {
public:
    CDataCursor() = default;
    CDataCursor(const BYTE *data, size_t size, bool bigEndian)
        : m_pData(data), m_nSize(data != nullptr ? size : 0), m_bBigEndian(bigEndian)
    {
    }

    BYTE ReadU8();
    WORD ReadU16();
    DWORD ReadU32();
    // An unsigned value of `size` bytes (1, 2, 4 or 8), as the address size of a unit
    // asks; any other size fails.
    uint64_t ReadUnsigned(size_t size);
    // LEB128: seven bits per byte, low group first. Groups beyond the 64th bit are read
    // and dropped, so a long run of continuation bytes costs time but never shifts past
    // the value. `counter`, when given, grows by the number of bytes read.
    uint64_t ReadULEB128(DWORD *counter = nullptr);
    int64_t ReadSLEB128(DWORD *counter = nullptr);
    // The zero-terminated text at the cursor, which then stands behind the zero; "" and
    // the failure mark when no zero comes before the end.
    LPCSTR ReadString();
    // `length` bytes in place; null (and the failure mark) when fewer remain.
    const BYTE *ReadBlock(size_t length);
    // Steps over `length` bytes; false, at the end, when fewer remain.
    bool Skip(size_t length);

    // Moves to `offset` from the start; an offset past the end fails.
    bool Seek(size_t offset);
    size_t GetOffset() const { return m_nOffset; }
    size_t GetSize() const { return m_nSize; }
    size_t GetRemaining() const { return m_nSize - m_nOffset; }
    bool AtEnd() const { return m_nOffset >= m_nSize; }
    const BYTE *GetData() const { return m_pData; }
    const BYTE *GetPosition() const { return m_pData != nullptr ? m_pData + m_nOffset : nullptr; }
    bool IsBigEndian() const { return m_bBigEndian; }

    bool HasFailed() const { return m_bFailed; }
    // True while no read has failed.
    explicit operator bool() const { return !m_bFailed; }

    // A cursor over `length` bytes from here, of the same byte order; the bytes are
    // stepped over. Fewer bytes left give an empty cursor and the failure mark.
    CDataCursor ReadSubCursor(size_t length);

private:
    bool Fail();
    uint64_t ReadLEB128(bool isSigned, DWORD *counter);

    const BYTE *m_pData = nullptr;
    size_t m_nSize = 0;
    size_t m_nOffset = 0;
    bool m_bBigEndian = false;
    bool m_bFailed = false;
};
