// CElfImage: checked access to the structures of a 32-bit ELF file held in memory.
//
// The bytes are the reader's (normally the mapped view of the program file) and are not
// copied. Attach checks once what every later access relies on: the header, that both
// header tables lie in the file with entries at least as large as the structures, that
// every section's and segment's contents lie in the file, that the section-name table
// exists and that symbol tables have a usable entry size. A file that fails a check is
// not attached, and GetError says why. The accessors still check their index, offset and
// terminating zero on every call, so that nothing the file says is trusted twice.
//
// Values are decoded in the file's byte order on every access: EI_DATA 2 is big-endian,
// every other value little-endian.
#pragma once

#include <afx.h>

#include "elfformat.h"

#include <cstdint>

class CElfImage {
public:
    CElfImage() = default;

    // Checks and takes `size` bytes at `data`; FALSE, detached, with the reason kept for
    // GetError, when they are no 32-bit ELF file this reader can walk.
    BOOL Attach(const BYTE *data, uint64_t size);
    void Detach();
    BOOL IsAttached() const { return m_pData != nullptr; }
    // Why the last Attach failed; "" after a successful one.
    CString GetError() const { return m_strError; }

    BOOL IsBigEndian() const { return m_bBigEndian; }
    // 16 and 32 bits from `p` in the file's byte order; the caller has checked the place.
    WORD ReadHalf(const BYTE *p) const;
    DWORD ReadWord(const BYTE *p) const;

    const BYTE *GetData() const { return m_pData; }
    uint64_t GetSize() const { return m_nSize; }

    // The decoded header (zeros when detached).
    const ELF_HEADER &GetElfHeader() const { return m_header; }
    UINT GetProgramHeaderCount() const { return IsAttached() ? m_header.e_phnum : 0; }
    UINT GetSectionCount() const { return IsAttached() ? m_header.e_shnum : 0; }

    // Entry `index` of a header table; FALSE (and the structure zeroed) past the table.
    BOOL GetProgramHeader(UINT index, ELF_PROGRAM_HEADER *header) const;
    BOOL GetSectionHeader(UINT index, ELF_SECTION_HEADER *header) const;
    // sh_size of the section, 0 for an index past the table.
    DWORD GetSectionSize(UINT index) const;

    // The contents of a section or segment in the file, with their length in *size (the
    // file length p_filesz for a segment). Null, and 0, for an index past the table, for
    // SHT_NOBITS and for empty contents.
    const BYTE *GetSectionData(UINT index, DWORD *size = nullptr) const;
    const BYTE *GetSegmentData(UINT index, DWORD *size = nullptr) const;

    // The zero-terminated text at `offset` of the string table `section`, -1 for the
    // section-name table; null when the offset lies outside that section or the text
    // does not end inside it.
    LPCSTR GetString(DWORD offset, int section) const;
    // The name of a section; null as GetString.
    LPCSTR GetSectionName(UINT index) const;
    // The index of the first section of that name, -1 when there is none.
    int FindSection(LPCSTR name) const;

    // The symbols of a symbol table section: its sh_size / sh_entsize, 0 for a section
    // that is no SHT_SYMTAB. GetSymbol: FALSE (zeroed) past the table.
    DWORD GetSymbolCount(UINT section) const;
    BOOL GetSymbol(UINT section, DWORD index, ELF_SYMBOL *symbol) const;
    // The name of a symbol of that table, from the string table its sh_link names; null
    // when it has none there.
    LPCSTR GetSymbolName(UINT section, const ELF_SYMBOL &symbol) const;

private:
    BOOL Fail(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    BOOL CheckTables();
    // Whether [offset, offset + length) lies in the file.
    BOOL InFile(uint64_t offset, uint64_t length) const { return offset <= m_nSize && length <= m_nSize - offset; }

    const BYTE *m_pData = nullptr;
    uint64_t m_nSize = 0;
    BOOL m_bBigEndian = FALSE;
    ELF_HEADER m_header = {};
    CString m_strError;
};
