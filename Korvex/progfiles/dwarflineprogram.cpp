#include "dwarflineprogram.h"

#include <cstdarg>

namespace {

enum : BYTE {
    DW_LNS_copy = 1,
    DW_LNS_advance_pc = 2,
    DW_LNS_advance_line = 3,
    DW_LNS_set_file = 4,
    DW_LNS_set_column = 5,
    DW_LNS_negate_stmt = 6,
    DW_LNS_set_basic_block = 7,
    DW_LNS_const_add_pc = 8,
    DW_LNS_fixed_advance_pc = 9,
    DW_LNS_set_prologue_end = 10,   // DWARF 3
    DW_LNS_set_epilogue_begin = 11, // DWARF 3
    DW_LNS_set_isa = 12,            // DWARF 3
};

enum : BYTE {
    DW_LNE_end_sequence = 1,
    DW_LNE_set_address = 2,
    DW_LNE_define_file = 3,
};

// The registers of the state machine, with their values at the start of a sequence.
struct LineState {
    explicit LineState(bool defaultIsStatement)
    {
        row = {0, 1, 1, 0, defaultIsStatement, false, false, false, false};
    }
    DwarfLineRow row;
};

} // namespace

void CDwarfLineProgram::Reset()
{
    m_nVersion = 0;
    m_nMinimumInstructionLength = 1;
    m_bDefaultIsStatement = true;
    m_nLineBase = 0;
    m_nLineRange = 0;
    m_nOpcodeBase = 0;
    m_standardOpcodeLengths.clear();
    m_includeDirectories.clear();
    m_files.clear();
    m_rows.clear();
    m_nNextOffset = 0;
    m_strDiagnostic.Empty();
}

CDwarfLineProgram::Status CDwarfLineProgram::Fail(Status status, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_strDiagnostic.FormatV(format, args);
    va_end(args);
    return status;
}

CDwarfLineProgram::Status CDwarfLineProgram::Read(const BYTE *section, size_t sectionSize, DWORD offset,
                                                  bool bigEndian)
{
    Reset();
    m_nNextOffset = sectionSize;
    CDataCursor cursor(section, sectionSize, bigEndian);
    if (!cursor.Seek(offset) || cursor.GetRemaining() < 4)
        return Fail(LINE_MALFORMED, "line table at %#x lies outside .debug_line", offset);
    DWORD unitLength = cursor.ReadU32();
    if (unitLength == 0xFFFFFFFF) {
        // A 64-bit table: its real length follows in 8 bytes, by which it is stepped over.
        uint64_t length = cursor.ReadUnsigned(8);
        if (cursor && length <= cursor.GetRemaining())
            m_nNextOffset = cursor.GetOffset() + static_cast<size_t>(length);
        return Fail(LINE_UNKNOWN_VERSION, "line table at %#x is a 64-bit table, not read", offset);
    }
    if (unitLength >= 0xFFFFFFF0)
        return Fail(LINE_MALFORMED, "line table at %#x has the reserved length %#x", offset, unitLength);
    if (unitLength > cursor.GetRemaining())
        return Fail(LINE_MALFORMED, "line table at %#x runs past the end of .debug_line", offset);
    m_nNextOffset = cursor.GetOffset() + unitLength;
    CDataCursor table = cursor.ReadSubCursor(unitLength);
    Status status = ReadHeader(table, offset);
    if (status != LINE_OK)
        return status;
    return RunProgram(table, offset);
}

CDwarfLineProgram::Status CDwarfLineProgram::ReadHeader(CDataCursor &table, DWORD offset)
{
    m_nVersion = table.ReadU16();
    if (!table)
        return Fail(LINE_MALFORMED, "line table at %#x ends inside its header", offset);
    if (m_nVersion != 2 && m_nVersion != 3)
        return Fail(LINE_UNKNOWN_VERSION, "line table at %#x has version %u, not read", offset, m_nVersion);
    DWORD headerLength = table.ReadU32();
    if (headerLength > table.GetRemaining())
        return Fail(LINE_MALFORMED, "line table at %#x: its header runs past the table", offset);
    size_t programStart = table.GetOffset() + headerLength;
    CDataCursor header = table.ReadSubCursor(headerLength);

    m_nMinimumInstructionLength = header.ReadU8();
    m_bDefaultIsStatement = header.ReadU8() != 0;
    m_nLineBase = static_cast<signed char>(header.ReadU8());
    m_nLineRange = header.ReadU8();
    m_nOpcodeBase = header.ReadU8();
    for (int opcode = 1; opcode < m_nOpcodeBase && header; ++opcode)
        m_standardOpcodeLengths.push_back(header.ReadU8());
    for (;;) {
        LPCSTR directory = header.ReadString();
        if (!header || *directory == '\0')
            break;
        m_includeDirectories.emplace_back(directory);
    }
    for (;;) {
        LPCSTR name = header.ReadString();
        if (!header || *name == '\0')
            break;
        if (!ReadFileEntry(header, name))
            break;
    }
    if (!header)
        return Fail(LINE_MALFORMED, "line table at %#x: its header ends inside its fields", offset);
    // Special opcodes divide by the line range; a table that has none can only be one
    // whose program uses no special opcode, which RunProgram checks when it meets one.
    table.Seek(programStart);
    return LINE_OK;
}

bool CDwarfLineProgram::ReadFileEntry(CDataCursor &cursor, LPCSTR name)
{
    DwarfLineFile file;
    file.name = name;
    file.directory = static_cast<DWORD>(cursor.ReadULEB128());
    file.modificationTime = static_cast<DWORD>(cursor.ReadULEB128());
    file.length = static_cast<DWORD>(cursor.ReadULEB128());
    if (!cursor)
        return false;
    m_files.push_back(file);
    return true;
}

CDwarfLineProgram::Status CDwarfLineProgram::RunProgram(CDataCursor &program, DWORD offset)
{
    LineState state(m_bDefaultIsStatement);
    auto emitRow = [&] {
        m_rows.push_back(state.row);
        state.row.basicBlock = false;
        state.row.prologueEnd = false;
        state.row.epilogueBegin = false;
    };
    auto advanceAddress = [&](uint64_t operationAdvance) {
        state.row.address += static_cast<DWORD>(operationAdvance * m_nMinimumInstructionLength);
    };
    while (!program.AtEnd()) {
        size_t opcodeOffset = program.GetOffset();
        BYTE opcode = program.ReadU8();
        if (opcode >= m_nOpcodeBase && opcode != 0) {
            if (m_nLineRange == 0)
                return Fail(LINE_MALFORMED, "line table at %#x: special opcode with a line range of 0", offset);
            BYTE adjusted = opcode - m_nOpcodeBase;
            advanceAddress(adjusted / m_nLineRange);
            state.row.line += static_cast<DWORD>(m_nLineBase + adjusted % m_nLineRange);
            emitRow();
            continue;
        }
        if (opcode == 0) {
            uint64_t length = program.ReadULEB128();
            if (!program || length == 0 || length > program.GetRemaining())
                return Fail(LINE_MALFORMED, "line table at %#x: bad extended opcode at %#zx", offset, opcodeOffset);
            CDataCursor operation = program.ReadSubCursor(static_cast<size_t>(length));
            BYTE extended = operation.ReadU8();
            switch (extended) {
            case DW_LNE_end_sequence:
                state.row.endSequence = true;
                emitRow();
                state = LineState(m_bDefaultIsStatement);
                break;
            case DW_LNE_set_address:
                state.row.address = static_cast<DWORD>(operation.ReadUnsigned(operation.GetRemaining()));
                break;
            case DW_LNE_define_file: {
                LPCSTR name = operation.ReadString();
                ReadFileEntry(operation, name);
                break;
            }
            default:
                // Vendor operations: their length steps over them.
                break;
            }
            if (!operation)
                return Fail(LINE_MALFORMED, "line table at %#x: bad extended opcode at %#zx", offset, opcodeOffset);
            continue;
        }
        switch (opcode) {
        case DW_LNS_copy:
            emitRow();
            break;
        case DW_LNS_advance_pc:
            advanceAddress(program.ReadULEB128());
            break;
        case DW_LNS_advance_line:
            state.row.line += static_cast<DWORD>(program.ReadSLEB128());
            break;
        case DW_LNS_set_file:
            state.row.file = static_cast<DWORD>(program.ReadULEB128());
            break;
        case DW_LNS_set_column:
            state.row.column = static_cast<DWORD>(program.ReadULEB128());
            break;
        case DW_LNS_negate_stmt:
            state.row.isStatement = !state.row.isStatement;
            break;
        case DW_LNS_set_basic_block:
            state.row.basicBlock = true;
            break;
        case DW_LNS_const_add_pc:
            if (m_nLineRange == 0)
                return Fail(LINE_MALFORMED, "line table at %#x: DW_LNS_const_add_pc with a line range of 0", offset);
            advanceAddress((255 - m_nOpcodeBase) / m_nLineRange);
            break;
        case DW_LNS_fixed_advance_pc:
            state.row.address += program.ReadU16();
            break;
        case DW_LNS_set_prologue_end:
            state.row.prologueEnd = true;
            break;
        case DW_LNS_set_epilogue_begin:
            state.row.epilogueBegin = true;
            break;
        case DW_LNS_set_isa:
            program.ReadULEB128();
            break;
        default:
            for (BYTE i = 0; i < m_standardOpcodeLengths[opcode - 1] && program; ++i)
                program.ReadULEB128();
            break;
        }
        if (!program)
            return Fail(LINE_MALFORMED, "line table at %#x: opcode at %#zx runs past the table", offset, opcodeOffset);
    }
    return LINE_OK;
}

CString CDwarfLineProgram::GetFileName(DWORD number) const
{
    if (number == 0 || number > m_files.size())
        return CString();
    return m_files[number - 1].name;
}

CString CDwarfLineProgram::GetFileDirectory(DWORD number) const
{
    if (number == 0 || number > m_files.size())
        return CString();
    DWORD directory = m_files[number - 1].directory;
    if (directory == 0 || directory > m_includeDirectories.size())
        return CString();
    return m_includeDirectories[directory - 1];
}
