// CDwarfLineProgram: one line-number table of ".debug_line" (DWARF 2 and 3), its header
// and the rows that its program yields.
//
// The program runs on the state machine of DWARF 2 section 6.2: special opcodes from
// opcode_base up, the standard opcodes below it, and the extended opcodes behind a 0.
// Standard opcodes this reader does not know are stepped over by the operand counts of
// standard_opcode_lengths, so a producer may add its own. DWARF 3 added three standard
// opcodes and left the header as it was; later versions changed the header, so their
// tables are refused with a diagnostic rather than misread, as are 64-bit tables.
#pragma once

#include <afx.h>

#include "datacursor.h"

#include <vector>

struct DwarfLineFile {
    CString name;
    DWORD directory;         // index into the include directories, 0 the compilation directory
    DWORD modificationTime;
    DWORD length;
};

// One row of the line table.
struct DwarfLineRow {
    DWORD address;
    DWORD file;   // 1 is the first file of the table
    DWORD line;
    DWORD column;
    bool isStatement;
    bool basicBlock;
    bool endSequence;
    bool prologueEnd;
    bool epilogueBegin;
};

class CDwarfLineProgram {
public:
    enum Status {
        LINE_OK,
        LINE_UNKNOWN_VERSION, // a table of a version or size this reader does not know
        LINE_MALFORMED,       // a header or program that breaks its own bounds or rules
    };

    // Reads the table at `offset` of the section and runs its program. Anything but
    // LINE_OK comes with a diagnostic; the rows decoded before a fault in the program stay.
    // The table's own length tells where the next table starts (GetNextOffset), also for
    // a table of an unknown version, so a walker can step over it.
    Status Read(const BYTE *section, size_t sectionSize, DWORD offset, bool bigEndian);

    CString GetDiagnostic() const { return m_strDiagnostic; }
    // The offset behind this table; the section's size when the table's length was bad.
    size_t GetNextOffset() const { return m_nNextOffset; }

    WORD GetVersion() const { return m_nVersion; }
    BYTE GetMinimumInstructionLength() const { return m_nMinimumInstructionLength; }
    bool GetDefaultIsStatement() const { return m_bDefaultIsStatement; }
    signed char GetLineBase() const { return m_nLineBase; }
    BYTE GetLineRange() const { return m_nLineRange; }
    BYTE GetOpcodeBase() const { return m_nOpcodeBase; }
    const std::vector<BYTE> &GetStandardOpcodeLengths() const { return m_standardOpcodeLengths; }
    const std::vector<CString> &GetIncludeDirectories() const { return m_includeDirectories; }
    // The files of the header, then those that DW_LNE_define_file added.
    const std::vector<DwarfLineFile> &GetFiles() const { return m_files; }
    const std::vector<DwarfLineRow> &GetRows() const { return m_rows; }

    // The name of file `number` (1-based) and its directory ("" for the compilation
    // directory); both "" for a number outside the table.
    CString GetFileName(DWORD number) const;
    CString GetFileDirectory(DWORD number) const;

private:
    void Reset();
    Status Fail(Status status, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    Status ReadHeader(CDataCursor &table, DWORD offset);
    bool ReadFileEntry(CDataCursor &cursor, LPCSTR name);
    Status RunProgram(CDataCursor &program, DWORD offset);

    WORD m_nVersion = 0;
    BYTE m_nMinimumInstructionLength = 1;
    bool m_bDefaultIsStatement = true;
    signed char m_nLineBase = 0;
    BYTE m_nLineRange = 0;
    BYTE m_nOpcodeBase = 0;
    std::vector<BYTE> m_standardOpcodeLengths;
    std::vector<CString> m_includeDirectories;
    std::vector<DwarfLineFile> m_files;
    std::vector<DwarfLineRow> m_rows;
    size_t m_nNextOffset = 0;
    CString m_strDiagnostic;
};
