#include "eomfglobals.h"

#include <nameencoding.h>
#include <packedindex.h>
#include <sectionwriter.h>
#include <stringtext.h>
#include <symbolwriters.h>
#include <symdbstrings.h>
#include <typewriters.h>

#include "progfilepaths.h"
#include "progfilestrings.h"
#include "symbolcodes.h"

CEOMFGlobals::CEOMFGlobals(CQelDatabase &database, DWORD programId, IUnknown *host)
    : CEOMFSections(programId, host), m_moduls(database.GetDatabase()), m_symbols(database.GetDatabase()),
      m_sourceFiles(database.GetDatabase()), m_types(database.GetDatabase()), m_database(database),
      m_program(database.GetDatabase()), m_functions(database.GetDatabase()),
      m_modulSourceFiles(database.GetDatabase()), m_modulSections(database.GetDatabase()),
      m_sectionSourceFiles(database.GetDatabase()), m_sectionRows(database.GetDatabase())
{
}

CEOMFGlobals::~CEOMFGlobals() = default;

BOOL CEOMFGlobals::SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second)
{
    return m_seek.Seek(rs, key, first, second);
}

BOOL CEOMFGlobals::Open(LPCSTR path, LPCSTR dumpTarget)
{
    if (!CEOMFSections::Open(path, dumpTarget))
        return FALSE;
    m_program.Open();
    if (!m_program.IsEOF()) {
        m_bAnalyzed = m_program.m_Analyzed;
        return TRUE;
    }
    // The database finds its program again by the full path and the modification time
    // that CFile gives.
    CFileStatus status;
    const BOOL known = CFile::GetStatus(path, status);
    m_program.AddNew();
    m_program.m_ProgramIndex = 1;
    m_program.m_Name = known ? CString(status.m_szFullName) : GetFilePath();
    m_program.m_Type = 0;
    m_program.m_ModifiedTime = known ? COleDateTime(status.m_mtime) : COleDateTime();
    m_program.m_Source = GetFilePath();
    m_program.m_EntryPoint = LoadStringText(IDS_EOMF_ENTRY_POINT);
    m_program.m_MainFunction = LoadStringText(IDS_MAIN_FUNCTION);
    m_program.m_AlternateEntryPoint.Empty();
    m_program.m_AlternateMainFunction.Empty();
    m_program.m_Analyzed = FALSE;
    m_program.Update();
    m_program.MoveFirst();
    m_bAnalyzed = FALSE;
    return TRUE;
}

int CEOMFGlobals::ReadSections(HWND progressWindow)
{
    const DWORD size = static_cast<DWORD>(GetViewSize());
    PostProgressStart(progressWindow, size);
    int result;
    if (m_bAnalyzed) {
        result = CEOMFSections::ReadSections(progressWindow);
        // Rows that a module pass adds to a type take numbers above those stored.
        for (m_types.Open(); !m_types.IsEOF(); m_types.MoveNext()) {
            const LONG number = m_types.m_TypeIndex;
            if (number >= m_nNextTypeNumber && number < kMaxPackedNumber)
                m_nNextTypeNumber = number + 1;
        }
    } else {
        result = ReadGlobals(progressWindow);
    }
    PostProgressPosition(progressWindow, size);
    return result;
}

int CEOMFGlobals::ReadGlobals(HWND progressWindow)
{
    if (m_bAnalyzed)
        return 1;
    WriteBaseTypes();
    m_nNextTypeNumber = 0x20000;
    const int result = CEOMFSections::ReadSections(progressWindow);
    if (result != 1)
        return result;
    WriteRegisterMap();
    MarkAnalyzed();
    return 1;
}

int CEOMFGlobals::AddSection(int index, SectionTag *section)
{
    if (!m_bAnalyzed)
        WriteSectionRecord(index, *section, m_sectionRows);
    return 1;
}

int CEOMFGlobals::ProcessRecord(const EomfRecord &record, HWND)
{
    if (m_bAnalyzed)
        return 1;
    switch (record.Type) {
    case EOMF_THEADR:
        BeginModule(record);
        break;
    case EOMF_COMMENT: {
        EomfComment comment;
        if (ReadEomfComment(record, &comment) && comment.Class == 0x4B)
            EnterSourceFile(comment.Text, TRUE);
        else
            ReadTranslator(record);
        break;
    }
    case EOMF_MODEND:
        FlushFunctions();
        m_functionList.clear();
        m_lineSections.clear();
        break;
    case EOMF_LINNUM:
        WriteLines(record);
        break;
    case EOMF_PEDATA: {
        EomfData data;
        if (ReadEomfData(record, &data))
            RelateRange(data.Address, data.Length);
        break;
    }
    case EOMF_BLKDEF:
        AddProcedure(record);
        break;
    case EOMF_BLKEND:
        if (m_nDepth > 0 && --m_nDepth == 0)
            m_bInProcedure = FALSE;
        break;
    case EOMF_PUBDEF:
    case EOMF_GLBDEF:
        WriteGlobals(record);
        break;
    case EOMF_LOCSYM:
    case EOMF_DEBSYM:
        if (m_bCModule)
            WriteStatics(record);
        break;
    case EOMF_MODINF:
        ReadMemoryModel(record);
        break;
    default:
        break;
    }
    return 1;
}

void CEOMFGlobals::BeginModule(const EomfRecord &record)
{
    FlushFunctions();
    m_functionList.clear();
    m_lineSections.assign(GetSectionCount(), 0);
    m_nModul = GetModuleCount();
    m_moduls.AddNew();
    m_moduls.m_ModulIndex = m_nModul;
    m_moduls.m_Name = GetModuleName();
    m_moduls.m_Analyzed = FALSE;
    m_moduls.m_Offset = static_cast<LONG>(record.End());
    m_moduls.Update();
    m_bCModule = FALSE;
    m_nDefaultCall = 2;
    m_nDepth = 0;
    m_nProcedureBlock = 0;
    m_nProcedureIndex = 0;
    m_bInProcedure = FALSE;
    m_nSourceFile = 0;
    m_nLinedSourceFile = 0;
    m_nSection = -1;
}

void CEOMFGlobals::ReadTranslator(const EomfRecord &record)
{
    EomfComment comment;
    if (ReadEomfComment(record, &comment) && comment.Class == 0 && comment.Text.Find("C166") >= 0)
        m_bCModule = TRUE;
}

void CEOMFGlobals::ReadMemoryModel(const EomfRecord &record)
{
    CDataCursor body = record.Body();
    const BYTE flags = body.ReadU8();
    if (!body)
        return;
    switch ((flags >> 2) & 7) {
    case 1: // TINY
    case 2: // SMALL
    case 3: // COMPACT
    case 6: // HCOMPACT
        m_nDefaultCall = 1;
        break;
    case 4: // MEDIUM
    case 5: // LARGE
    case 7: // HLARGE
        m_nDefaultCall = 2;
        break;
    default:
        break;
    }
}

CString CEOMFGlobals::FindDependencyPath(const CString &text)
{
    CEomfCursor cursor = MakeCursor();
    EomfRecord record;
    for (CEomfCursor::Result r = cursor.First(0, &record); r == CEomfCursor::RECORD && record.Type != EOMF_LHEADR;
         r = cursor.Next(&record)) {
        if (record.Type != EOMF_DEPLST)
            continue;
        CDataCursor body = record.Body();
        while (body && !body.AtEnd()) {
            const BYTE kind = body.ReadU8();
            if (kind == 0xFF) {
                ReadEomfLongName(body);
                continue;
            }
            body.Skip(5);
            const CString path = ReadEomfName(body);
            if (body && kind == 1 && ExtractFileName(path).CompareNoCase(text) == 0)
                return path;
        }
    }
    return text;
}

void CEOMFGlobals::EnterSourceFile(const CString &text, BOOL relate)
{
    const CString path = FindDependencyPath(text);
    if (path.IsEmpty())
        return;
    if (!SeekKey(m_sourceFiles, IDS_DB_ENTRYINFILEKEY, CdbVariant(static_cast<LPCSTR>(path)))) {
        const LONG index = m_sourceFiles.GetRecordCount() + 1;
        m_sourceFiles.AddNew();
        m_sourceFiles.m_SourceFileIndex = index;
        m_sourceFiles.m_Type = 0;
        m_sourceFiles.m_EntryInFile = path;
        m_sourceFiles.m_Name = ExtractFileName(path);
        m_sourceFiles.m_Analyzed = FALSE;
        m_sourceFiles.Update();
        m_nSourceFile = index;
    } else {
        m_nSourceFile = m_sourceFiles.m_SourceFileIndex;
    }
    if (relate && m_nModul > 0) {
        const CdbVariant modulKey(m_nModul), fileKey(m_nSourceFile);
        if (!SeekKey(m_modulSourceFiles, IDS_DB_MODULSOURCEFILEKEY, modulKey, &fileKey)) {
            m_modulSourceFiles.AddNew();
            m_modulSourceFiles.m_ModulIndex = m_nModul;
            m_modulSourceFiles.m_SourceFileIndex = m_nSourceFile;
            m_modulSourceFiles.Update();
        }
    }
    m_nSection = -1;
}

int CEOMFGlobals::RelateRange(DWORD address, DWORD length)
{
    const int section = FindSection(SYAM_ABSOLUTE, address, length);
    if (section < 0 || section == m_nSection)
        return section;
    m_nSection = section;
    if (m_nModul <= 0 || IsAnalyzed())
        return section;
    const CdbVariant modulKey(m_nModul), sectionKey(section), fileKey(m_nSourceFile);
    if (!SeekKey(m_modulSections, IDS_DB_MODULSECTIONKEY, modulKey, &sectionKey)) {
        m_modulSections.AddNew();
        m_modulSections.m_ModulIndex = m_nModul;
        m_modulSections.m_SectionIndex = section;
        m_modulSections.Update();
    }
    if (m_nSourceFile > 0 && !SeekKey(m_sectionSourceFiles, IDS_DB_SECTIONSOURCEFILEKEY, sectionKey, &fileKey)) {
        m_sectionSourceFiles.AddNew();
        m_sectionSourceFiles.m_SectionIndex = section;
        m_sectionSourceFiles.m_SourceFileIndex = m_nSourceFile;
        m_sectionSourceFiles.Update();
    }
    return section;
}

void CEOMFGlobals::WriteLines(const EomfRecord &record)
{
    EomfLines lines;
    if (!ReadEomfLines(record, &lines) || lines.Lines.empty())
        return;
    const int section = RelateRange(lines.Base + lines.Lines.front().Offset, 0);
    if (section < 0)
        return;
    if (m_lineSections.size() <= static_cast<size_t>(section))
        m_lineSections.resize(section + 1, 0);
    m_lineSections[section] = 1;
    if (m_nSourceFile > 0 && m_nSourceFile != m_nLinedSourceFile) {
        m_nLinedSourceFile = m_nSourceFile;
        const CdbVariant key(static_cast<LONG>(m_nSourceFile));
        if (SeekKey(m_sourceFiles, IDS_DB_SOURCEFILEINDEXKEY, key) && m_sourceFiles.m_Type != 1000) {
            m_sourceFiles.Edit();
            m_sourceFiles.m_Type = 1000;
            m_sourceFiles.Update();
        }
    }
}

void CEOMFGlobals::AddProcedure(const EomfRecord &record)
{
    EomfBlock block;
    if (!ReadEomfBlock(record, &block))
        return;
    if (!block.IsProcedure() || block.Name.IsEmpty()) {
        ++m_nDepth;
        return;
    }
    const DWORD address = block.Base + block.Offset;
    LONG returnType = 0x4A;
    LONG callType = m_nDefaultCall;
    EomfTypeDescriptor type;
    if (block.Type >= 128 && ReadType(block.Type, &type) && type.Kind == EOMF_TYPE_FUNCTION) {
        returnType = type.Type;
        WriteTypeOnDemand(type.Type);
        if (type.Attribute == 1 || type.Attribute == 2)
            callType = type.Attribute;
    } else if (block.Type >= 0x41 && block.Type <= 0x49) {
        returnType = block.Type;
    }
    const LONG number = GetProcedureCount();
    BOOL found = FALSE;
    for (Function &function : m_functionList) {
        if (function.Address == address && function.Name.CompareNoCase(block.Name) == 0) {
            function.Length = block.Length;
            function.Number = number;
            found = TRUE;
            break;
        }
    }
    if (!found)
        m_functionList.push_back({number, block.Name, address, block.Length, returnType, -m_nModul, callType});
    m_nDepth = 1;
    m_nProcedureBlock = GetBlockCounter();
    m_nProcedureIndex = number;
    m_bInProcedure = TRUE;
}

void CEOMFGlobals::AddLabelFunction(const CString &name, DWORD address, LONG scope)
{
    for (Function &function : m_functionList) {
        if (function.Address == address && function.Name.CompareNoCase(name) == 0) {
            function.Scope = scope;
            return;
        }
    }
    m_functionList.push_back({-1, name, address, 0, 0x4A, scope, m_nDefaultCall});
}

void CEOMFGlobals::FlushFunctions()
{
    for (const Function &function : m_functionList) {
        if (function.Number == -1)
            continue;
        const int section = RelateRange(function.Address, function.Length);
        if (section < 0 || static_cast<size_t>(section) >= m_lineSections.size() || !m_lineSections[section])
            continue;
        m_functions.AddNew();
        m_functions.m_FunctionIndex = function.Number;
        m_functions.m_Name = function.Name;
        EncodeNameString(function.Name, m_functions.m_NameString);
        m_functions.m_AddressMode = SYAM_ABSOLUTE;
        m_functions.m_AddressValue = static_cast<LONG>(function.Address);
        m_functions.m_Length = static_cast<LONG>(function.Length);
        m_functions.m_ReturnType = PackIndexChecked(0, function.ReturnType, TRUE);
        m_functions.m_Scope = function.Scope;
        m_functions.m_CallType = function.CallType;
        m_functions.m_SectionIndex = section;
        m_functions.Update();
    }
    m_functionList.clear();
}

namespace {

// The data type of an assembler variable.
LONG AsmDataType(WORD type)
{
    return type == 0x43 ? 14 : type == 0x4C ? 17 : 15;
}

} // namespace

LONG CEOMFGlobals::LabelCallType(DWORD type) const
{
    return type == 0x4D ? 1 : type == 0x4E ? 2 : m_nDefaultCall;
}

void CEOMFGlobals::WriteGlobals(const EomfRecord &record)
{
    EomfSymbols symbols;
    if (!ReadEomfSymbols(record, &symbols))
        return;
    for (const EomfSymbol &symbol : symbols.Entries) {
        const DWORD value = symbol.IsFlagged() ? DWORD(0) - symbol.Value : symbol.Value;
        SymbolRecordTag row;
        row.Modul = m_nModul;
        row.Name = symbol.Name;
        row.ScopeIndex = m_nModul;
        row.Data[1] = SYAM_ABSOLUTE;
        row.Data[2] = static_cast<LONG>(symbols.Base + value);
        row.Data[3] = 0;
        switch (symbol.Kind()) {
        case EOMF_SYMBOL_BIT:
            if (symbol.IsFlagged())
                break;
            row.Data[1] = static_cast<LONG>(SYAM_ABSOLUTE_BIT);
            row.Data[3] = symbol.BitNumber();
            row.Data[0] = m_bCModule ? 0x41 : 13;
            if (m_bCModule)
                WriteGlobalSymbol(row, m_symbols, TRUE);
            else
                WriteGlobalAsmSymbol(row, m_symbols);
            break;
        case EOMF_SYMBOL_VARIABLE:
            if (m_bCModule) {
                WriteTypeOnDemand(symbol.Type);
                row.Data[0] = symbol.Type;
                WriteGlobalSymbol(row, m_symbols, TRUE);
            } else {
                row.Data[0] = AsmDataType(symbol.Type);
                WriteGlobalAsmSymbol(row, m_symbols);
            }
            break;
        case EOMF_SYMBOL_LABEL:
            if (m_bCModule)
                AddLabelFunction(symbol.Name, symbols.Base + value, -m_nModul);
            row.Data[0] = LabelCallType(symbol.Type);
            WriteGlobalLabelSymbol(row, m_symbols);
            break;
        default:
            break;
        }
    }
}

void CEOMFGlobals::WriteStatics(const EomfRecord &record)
{
    EomfSymbols symbols;
    if (!ReadEomfSymbols(record, &symbols))
        return;
    LONG scope = symbols.BlockRelative ? symbols.Block : GetBlockCounter();
    if (m_bInProcedure && scope == m_nProcedureBlock + 1)
        scope = m_nProcedureBlock;
    for (const EomfSymbol &symbol : symbols.Entries) {
        const DWORD value = symbol.IsFlagged() ? DWORD(0) - symbol.Value : symbol.Value;
        SymbolRecordTag row;
        row.Modul = m_nModul;
        row.Name = symbol.Name;
        row.ScopeIndex = m_nModul;
        switch (symbol.Kind()) {
        case EOMF_SYMBOL_BIT:
            // A register bit of a block is the module pass's.
            if (symbols.BlockRelative && symbol.IsFlagged())
                continue;
            row.Data[0] = 0x41;
            row.Data[1] = static_cast<LONG>(SYAM_ABSOLUTE_BIT);
            row.Data[2] = static_cast<LONG>(symbols.Base + symbol.Value);
            row.Data[3] = symbol.BitNumber();
            break;
        case EOMF_SYMBOL_VARIABLE:
            WriteTypeOnDemand(symbol.Type);
            row.Data[0] = symbol.Type;
            row.Data[1] = SYAM_ABSOLUTE;
            row.Data[2] = static_cast<LONG>(symbols.Base + value);
            row.Data[3] = -1;
            break;
        case EOMF_SYMBOL_LABEL:
            AddLabelFunction(symbol.Name, symbols.Base + value, m_nModul);
            row.Data[0] = LabelCallType(symbol.Type);
            row.Data[1] = SYAM_ABSOLUTE;
            row.Data[2] = static_cast<LONG>(symbols.Base + value);
            row.Data[3] = 0;
            WriteGlobalLabelSymbol(row, m_symbols);
            continue;
        default:
            continue;
        }
        row.Data[4] = m_nSourceFile;
        // A block at module level has no function: its statics are the module's.
        if (!m_bInProcedure) {
            WriteModulStaticSymbol(row, m_symbols, TRUE);
        } else {
            row.ScopeIndex = PackTypeIndex(m_nModul, scope);
            row.Data[5] = m_nProcedureIndex;
            WriteLocalStaticSymbol(row, m_symbols, TRUE);
        }
    }
}

void CEOMFGlobals::WriteBaseTypes()
{
    static const struct {
        LPCSTR name;
        LONG bits;
        LONG code;
    } baseTypes[] = {
        {"bit", 1, 0x41},   {"char", 8, 0x42},           {"unsigned char", 8, 0x43}, {"int", 16, 0x44},
        {"unsigned int", 16, 0x45}, {"long", 32, 0x46},  {"unsigned long", 32, 0x47}, {"float", 32, 0x48},
        {"double", 64, 0x49}, {"void", 0, 0x4A},
    };
    for (const auto &base : baseTypes) {
        BaseTypeRecordTag record;
        record.Modul = 0;
        record.Name = base.name;
        record.Number = base.code;
        record.Bits = base.bits;
        WriteBaseTypeRecord(record, m_types, TRUE);
    }
}

void CEOMFGlobals::WriteRegisterMap()
{
    CDBRegisterMap registers(m_database.GetDatabase());
    registers.Open();
    for (int number = 0; number < 32; ++number) {
        registers.AddNew();
        if (number < 16)
            registers.m_Name.Format("R%d", number);
        else if (number < 24)
            registers.m_Name.Format("RL%d", number - 16);
        else
            registers.m_Name.Format("RH%d", number - 24);
        registers.m_Number = number;
        registers.Update();
    }
    registers.Close();
}

void CEOMFGlobals::MarkAnalyzed()
{
    m_program.MoveFirst();
    m_program.Edit();
    m_program.m_Analyzed = TRUE;
    m_program.Update();
    m_bAnalyzed = TRUE;
}
