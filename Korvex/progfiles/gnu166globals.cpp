#include "gnu166globals.h"

#include <nameencoding.h>
#include <packedindex.h>
#include <qelquerydef.h>
#include <sectionwriter.h>
#include <stringtext.h>
#include <symbolwriters.h>
#include <symdbstrings.h>

#include "c16xinfo.h"
#include "gnu166stabs.h"
#include "progfilepaths.h"
#include "progfilestrings.h"
#include "symbolcodes.h"

namespace {

// The types that each module pass writes first: a bit and a word of the bit-addressable
// area, which the 0x4711 and 0x4712 symbols have.
const LONG kBitType = 0x20000;
const LONG kWordType = 0x20001;

SymbolRecordTag LabelRecord(const CString &name, DWORD address)
{
    SymbolRecordTag record;
    record.Modul = -1;
    record.Name = name;
    record.ScopeIndex = -1;
    record.Data[0] = 0;
    record.Data[1] = SYAM_ABSOLUTE;
    record.Data[2] = static_cast<LONG>(address);
    record.Data[3] = -1;
    return record;
}

BOOL IsAbsolutePath(const CString &path)
{
    return path[0] == '/' || path[0] == '\\' || (path.GetLength() >= 2 && path[1] == ':');
}

} // namespace

CGNU166Globals::CGNU166Globals(CQelDatabase &database, DWORD programId, IUnknown *host)
    : CGNU166Sections(programId, host), m_moduls(database.GetDatabase()), m_symbols(database.GetDatabase()),
      m_functions(database.GetDatabase()), m_database(database), m_program(database.GetDatabase()),
      m_sections(database.GetDatabase()), m_sourceFiles(database.GetDatabase()),
      m_sourceLines(database.GetDatabase()), m_modulSourceFiles(database.GetDatabase()),
      m_modulSections(database.GetDatabase()), m_sectionSourceFiles(database.GetDatabase())
{
}

CGNU166Globals::~CGNU166Globals() = default;

BOOL CGNU166Globals::SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second)
{
    return m_seek.Seek(rs, key, first, second);
}

LONG CGNU166Globals::PackedType(LONG modul, LONG number)
{
    if (number < 0 || number > kMaxPackedNumber || modul < 0 || modul > kMaxPackedModul)
        return kNoIndex;
    return PackTypeIndex(modul, number);
}

BOOL CGNU166Globals::Open(LPCSTR path, LPCSTR dumpTarget)
{
    if (!CGNU166Sections::Open(path, dumpTarget))
        return FALSE;
    m_program.Open();
    m_bAnalyzed = !m_program.IsEOF() && m_program.m_Analyzed;
    if (!m_program.IsEOF())
        return TRUE;
    CFileStatus status;
    const BOOL known = CFile::GetStatus(path, status);
    m_program.AddNew();
    m_program.m_ProgramIndex = 1;
    m_program.m_Name = known ? CString(status.m_szFullName) : GetFilePath();
    m_program.m_Type = 0;
    m_program.m_ModifiedTime = known ? COleDateTime(status.m_mtime) : COleDateTime();
    m_program.m_Source = GetFilePath();
    m_program.m_EntryPoint = LoadStringText(IDS_START_LABEL);
    m_program.m_MainFunction = LoadStringText(IDS_MAIN_FUNCTION);
    m_program.m_AlternateEntryPoint.Empty();
    m_program.m_AlternateMainFunction.Empty();
    m_program.m_Analyzed = FALSE;
    m_program.Update();
    m_program.MoveFirst();
    return TRUE;
}

int CGNU166Globals::ReadSections(HWND progressWindow)
{
    if (m_bAnalyzed)
        return CGNU166Sections::ReadSections(progressWindow);
    return ReadGlobals(progressWindow);
}

int CGNU166Globals::ReadGlobals(HWND progressWindow)
{
    if (m_bAnalyzed) {
        LookUpSpecialSymbols();
        return 1;
    }
    m_nModul = 0;
    m_nSection = -1;
    m_nSourceFile = 0;
    m_strDirectory.Empty();
    if (!m_functions.IsOpen())
        m_functions.Open();
    m_nFunctionCount = m_functions.GetRecordCount();
    m_nFunction = 0;
    m_bFunctionPending = FALSE;
    m_nBlockDepth = 0;
    m_newSourceFiles.clear();
    m_sourceFileIndexes.clear();
    m_relations.clear();
    m_pendingGlobals.clear();
    if (CGNU166Sections::ReadSections(progressWindow) != 1)
        return 0;
    // The last function ends with the code section that holds it.
    DWORD end = 0;
    if (m_bFunctionPending) {
        if (FindCodeSectionEnd(m_pendingFunction.Address, &end))
            m_pendingFunction.Length = static_cast<LONG>(end - m_pendingFunction.Address);
        WritePendingFunction();
    }
    WriteSourceFiles();
    WriteRegisterMap();
    MarkAnalyzed();
    return 1;
}

int CGNU166Globals::ReadModules(int, int)
{
    return 0;
}

int CGNU166Globals::AddModule(int number, DWORD fileOffset, const SectionTag &entry)
{
    if (m_bAnalyzed)
        return 1;
    m_nModul = number;
    m_nSection = number;
    m_nSourceFile = 0;
    m_strDirectory.Empty();
    m_nBlockDepth = 0;
    m_nScopeCounter = 0;
    m_bScopeBegun = FALSE;
    m_nFunctionBlockScope = 0;
    if (!m_moduls.IsOpen())
        m_moduls.Open();
    m_moduls.AddNew();
    m_moduls.m_ModulIndex = number;
    m_moduls.m_Name = entry.Name.Left(entry.Name.GetLength() - 5);
    m_moduls.m_Analyzed = FALSE;
    m_moduls.m_Offset = static_cast<LONG>(fileOffset);
    m_moduls.Update();
    return 1;
}

int CGNU166Globals::AddSection(int number, SectionTag *entry)
{
    if (m_bAnalyzed)
        return 1;
    if (!m_sections.IsOpen())
        m_sections.Open();
    WriteSectionRecord(number, *entry, m_sections);
    return 1;
}

int CGNU166Globals::EndModule(int number)
{
    if (m_bAnalyzed)
        return 1;
    if (m_relations.insert({IDS_DB_MODULSECTIONKEY, number, number}).second) {
        if (!m_modulSections.IsOpen())
            m_modulSections.Open();
        m_modulSections.AddNew();
        m_modulSections.m_ModulIndex = number;
        m_modulSections.m_SectionIndex = number;
        m_modulSections.Update();
    }
    return 1;
}

int CGNU166Globals::ProcessSymbol(const Gnu166Symbol &symbol, const CString &name, DWORD)
{
    if (m_bAnalyzed)
        return 1;
    switch (symbol.Type) {
    case GNU166_N_SO:
    case GNU166_N_SOL:
        AddSourceFile(name);
        break;
    case GNU166_N_FUN:
        AddFunction(name, symbol.Value);
        break;
    case GNU166_N_SLINE:
        AddSourceLine(symbol.Description, symbol.Value);
        break;
    case GNU166_N_GSYM: {
        const Gnu166Stab stab = SplitGnu166Stab(name);
        m_pendingGlobals[static_cast<LPCSTR>(stab.Name)] = PendingGlobal{stab.Name, stab.TypeNumber, m_nModul};
        break;
    }
    case GNU166_N_STSYM:
    case GNU166_N_LCSYM:
        AddStaticVariable(name, symbol.Value);
        break;
    case GNU166_N_LBRAC:
        BeginScopeBeforeFunction();
        // The outermost block is the function's own scope; each below it has its own.
        if (m_nBlockDepth > 0)
            ++m_nScopeCounter;
        ++m_nBlockDepth;
        break;
    case GNU166_N_RSYM:
    case GNU166_N_LSYM: {
        // Locals (letter 'r', or none with a type number) open the function block too.
        const Gnu166Stab stab = SplitGnu166Stab(name);
        if (symbol.Type == GNU166_N_RSYM ? stab.Letter == 'r' : stab.Letter == 0 && stab.TypeNumber >= 0)
            BeginScopeBeforeFunction();
        break;
    }
    case GNU166_N_RBRAC:
        if (m_nBlockDepth == 0) {
            SetFailure(QEL_LOAD_READER_FAILED, "A block of module %d ends (N_RBRAC) that did not begin.", m_nModul);
            return 0;
        }
        --m_nBlockDepth;
        break;
    case GNU166_N_TEXT | GNU166_N_EXT:
        if ((symbol.Value & 1) == 0 && name.Left(5) != "__dpp")
            WriteGlobalLabelSymbol(LabelRecord(name, symbol.Value), m_symbols);
        break;
    case GNU166_N_DATA | GNU166_N_EXT:
    case GNU166_N_BSS | GNU166_N_EXT:
        AddExternalData(symbol, name);
        break;
    case GNU166_N_DATA:
        AddModuleData(symbol, name);
        break;
    default:
        break;
    }
    return 1;
}

void CGNU166Globals::AddSourceFile(const CString &name)
{
    if (name.IsEmpty())
        return;
    if (name[name.GetLength() - 1] == '/') {
        m_strDirectory = name;
        return;
    }
    const CString path = IsAbsolutePath(name) ? name : m_strDirectory + name;
    // The database compares paths blind to case; so does the pass.
    CString key = path;
    key.MakeUpper();
    auto known = m_sourceFileIndexes.find(static_cast<LPCSTR>(key));
    if (known == m_sourceFileIndexes.end()) {
        if (!m_sourceFiles.IsOpen())
            m_sourceFiles.Open();
        const LONG index = m_sourceFiles.GetRecordCount() + static_cast<LONG>(m_newSourceFiles.size()) + 1;
        known = m_sourceFileIndexes.emplace(static_cast<LPCSTR>(key), index).first;
        m_newSourceFiles.push_back(NewSourceFile{index, path, FALSE});
    }
    m_nSourceFile = known->second;
    if (m_relations.insert({IDS_DB_MODULSOURCEFILEKEY, m_nModul, m_nSourceFile}).second) {
        if (!m_modulSourceFiles.IsOpen())
            m_modulSourceFiles.Open();
        m_modulSourceFiles.AddNew();
        m_modulSourceFiles.m_ModulIndex = m_nModul;
        m_modulSourceFiles.m_SourceFileIndex = m_nSourceFile;
        m_modulSourceFiles.Update();
    }
    if (m_relations.insert({IDS_DB_SECTIONSOURCEFILEKEY, m_nSection, m_nSourceFile}).second) {
        if (!m_sectionSourceFiles.IsOpen())
            m_sectionSourceFiles.Open();
        m_sectionSourceFiles.AddNew();
        m_sectionSourceFiles.m_SectionIndex = m_nSection;
        m_sectionSourceFiles.m_SourceFileIndex = m_nSourceFile;
        m_sectionSourceFiles.Update();
    }
}

void CGNU166Globals::WriteSourceFiles()
{
    // Written once their line flag is known, rather than each edited at its first line.
    for (const NewSourceFile &file : m_newSourceFiles) {
        m_sourceFiles.AddNew();
        m_sourceFiles.m_SourceFileIndex = file.Index;
        m_sourceFiles.m_Type = file.HasLines ? 1000 : 0;
        m_sourceFiles.m_EntryInFile = file.Path;
        m_sourceFiles.m_Name = ExtractFileName(file.Path);
        m_sourceFiles.m_Analyzed = FALSE;
        m_sourceFiles.Update();
    }
    m_newSourceFiles.clear();
}

void CGNU166Globals::AddFunction(const CString &text, DWORD address)
{
    const Gnu166Stab stab = SplitGnu166Stab(text);
    // A function row needs a name; the module pass skips such an N_FUN alike.
    if (stab.Name.IsEmpty())
        return;
    // The previous function ends where this one begins; its row waits for that.
    if (m_bFunctionPending) {
        if (address >= m_pendingFunction.Address)
            m_pendingFunction.Length = static_cast<LONG>(address - m_pendingFunction.Address);
        WritePendingFunction();
    }
    const LONG index = ++m_nFunctionCount;
    const LONG scope = stab.Letter == 'f' ? m_nModul : -m_nModul;
    m_bScopeBegun = TRUE;
    m_nFunctionBlockScope = PackIndexChecked(m_nModul, ++m_nScopeCounter, FALSE);
    m_pendingFunction = PendingFunction{index, stab.Name, address, 0, m_nSection,
                                        PackedType(m_nModul, stab.TypeNumber), scope};
    m_bFunctionPending = TRUE;
    m_nFunction = index;
    m_nBlockDepth = 0;
}

void CGNU166Globals::WritePendingFunction()
{
    const PendingFunction &row = m_pendingFunction;
    m_functions.AddNew();
    m_functions.m_FunctionIndex = row.Index;
    m_functions.m_Name = row.Name;
    EncodeNameString(row.Name, m_functions.m_NameString);
    m_functions.m_Length = row.Length;
    m_functions.m_SectionIndex = row.Section;
    m_functions.m_CallType = 0;
    m_functions.m_ReturnType = row.ReturnType;
    m_functions.m_AddressMode = SYAM_ABSOLUTE;
    m_functions.m_AddressValue = static_cast<LONG>(row.Address);
    m_functions.m_Scope = row.Scope;
    m_functions.Update();
    m_bFunctionPending = FALSE;
}

void CGNU166Globals::AddSourceLine(WORD line, DWORD address)
{
    if (!m_sourceLines.IsOpen())
        m_sourceLines.Open();
    m_sourceLines.AddNew();
    m_sourceLines.m_SourceLine = line;
    m_sourceLines.m_SectionIndex = m_nSection;
    m_sourceLines.m_SourceFileIndex = m_nSourceFile;
    m_sourceLines.m_AddressMode = SYAM_ABSOLUTE;
    m_sourceLines.m_AddressValue = static_cast<LONG>(address);
    m_sourceLines.m_Length = -1;
    m_sourceLines.Update();
    // The files of this pass are numbered on from the first of them.
    if (!m_newSourceFiles.empty() && m_nSourceFile >= m_newSourceFiles.front().Index) {
        const size_t at = static_cast<size_t>(m_nSourceFile - m_newSourceFiles.front().Index);
        if (at < m_newSourceFiles.size())
            m_newSourceFiles[at].HasLines = TRUE;
    }
}

void CGNU166Globals::BeginScopeBeforeFunction()
{
    if (m_bScopeBegun)
        return;
    m_bScopeBegun = TRUE;
    m_nFunctionBlockScope = PackIndexChecked(m_nModul, ++m_nScopeCounter, FALSE);
}

void CGNU166Globals::AddStaticVariable(const CString &text, DWORD address)
{
    const Gnu166Stab stab = SplitGnu166Stab(text);
    SymbolRecordTag record;
    record.Modul = m_nModul;
    record.Name = stab.Name;
    record.ScopeIndex = m_nModul;
    record.Data[0] = PackedType(m_nModul, stab.TypeNumber) == kNoIndex ? kNoIndex : stab.TypeNumber;
    record.Data[1] = SYAM_ABSOLUTE;
    record.Data[2] = static_cast<LONG>(address);
    record.Data[3] = 0;
    record.Data[4] = m_nSourceFile;
    if (stab.Letter == 'V') {
        record.ScopeIndex = m_nFunctionBlockScope;
        record.Data[5] = m_nFunction;
        WriteLocalStaticSymbol(record, m_symbols, FALSE);
    } else {
        WriteModulStaticSymbol(record, m_symbols, FALSE);
    }
}

BOOL CGNU166Globals::BitOrWordRecord(const Gnu166Symbol &symbol, const CString &name, SymbolRecordTag *record) const
{
    record->Modul = m_nModul;
    record->Name = name;
    record->ScopeIndex = m_nModul;
    if (symbol.Description == GNU166_DESC_BIT) {
        record->Data[0] = PackedType(m_nModul, kBitType) == kNoIndex ? kNoIndex : kBitType;
        record->Data[1] = static_cast<LONG>(SYAM_ABSOLUTE_BIT);
        record->Data[2] = static_cast<LONG>((symbol.Value & 0xFFFF) * 2 + 0xFD00);
        record->Data[3] = static_cast<LONG>(symbol.Value >> 16);
    } else if (symbol.Description == GNU166_DESC_WORD) {
        record->Data[0] = PackedType(m_nModul, kWordType) == kNoIndex ? kNoIndex : kWordType;
        record->Data[1] = SYAM_ABSOLUTE;
        record->Data[2] = static_cast<LONG>(symbol.Value & 0xFFFF);
        record->Data[3] = 0;
    } else {
        return FALSE;
    }
    record->Data[4] = m_nSourceFile;
    return TRUE;
}

void CGNU166Globals::AddExternalData(const Gnu166Symbol &symbol, const CString &name)
{
    SymbolRecordTag record;
    if ((symbol.Type & 0x1F) == (GNU166_N_DATA | GNU166_N_EXT) && BitOrWordRecord(symbol, name, &record)) {
        WriteGlobalSymbol(record, m_symbols, FALSE);
        return;
    }
    auto pending = m_pendingGlobals.find(static_cast<LPCSTR>(name.Mid(1)));
    if (pending == m_pendingGlobals.end()) {
        WriteGlobalAsmSymbol(LabelRecord(name, symbol.Value), m_symbols);
        return;
    }
    const PendingGlobal &global = pending->second;
    record.Modul = global.Modul;
    record.Name = global.Name;
    record.ScopeIndex = global.Modul;
    record.Data[0] = PackedType(global.Modul, global.Type) == kNoIndex ? kNoIndex : global.Type;
    record.Data[1] = SYAM_ABSOLUTE;
    record.Data[2] = static_cast<LONG>(symbol.Value);
    record.Data[3] = 0;
    WriteGlobalSymbol(record, m_symbols, FALSE);
    m_pendingGlobals.erase(pending);
}

void CGNU166Globals::AddModuleData(const Gnu166Symbol &symbol, const CString &name)
{
    SymbolRecordTag record;
    if (BitOrWordRecord(symbol, name, &record))
        WriteModulStaticSymbol(record, m_symbols, FALSE);
}

void CGNU166Globals::WriteRegisterMap()
{
    CDBRegisterMap registers(m_database.GetDatabase());
    registers.Open();
    for (int number = 0; number < 16; ++number) {
        registers.AddNew();
        registers.m_Name.Format("R%d", number);
        registers.m_Number = number;
        registers.Update();
    }
    registers.Close();
}

void CGNU166Globals::MarkAnalyzed()
{
    m_program.MoveFirst();
    m_program.Edit();
    m_program.m_Analyzed = TRUE;
    m_program.Update();
    m_bAnalyzed = TRUE;
}

BOOL CGNU166Globals::FindGlobalLabel(LPCSTR name, DWORD *address)
{
    CQelQueryDef query(m_database.GetDatabase());
    query.Open(LoadStringText(IDS_Q_GLOBALLABELBYNAME));
    CString encoded;
    EncodeNameString(name, encoded);
    query.SetParameter("_Name", CdbVariant(static_cast<LPCSTR>(encoded)));
    CDBSymbolInfo rows(m_database.GetDatabase());
    rows.OpenQueryDef(query);
    if (rows.IsEOF())
        return FALSE;
    *address = static_cast<DWORD>(rows.m_Data_3);
    return TRUE;
}

void CGNU166Globals::LookUpSpecialSymbols()
{
    CGNUC16xInfo *info = dynamic_cast<CGNUC16xInfo *>(GetProgramInfo());
    if (info == nullptr)
        return;
    // The interrupt call and return code: from the label to the end of its section, the
    // first of two that overlap cut where the other begins.
    struct Range {
        LPCSTR Name;
        ULONG *Start;
        ULONG *Length;
        BOOL Found = FALSE;
    } ranges[] = {{"X167Call", &info->m_nICallStart, &info->m_nICallLength},
                  {"X167Ret", &info->m_nIRetStart, &info->m_nIRetLength}};
    for (Range &range : ranges) {
        DWORD address = 0, end = 0;
        if (!FindGlobalLabel(range.Name, &address))
            continue;
        range.Found = TRUE;
        *range.Start = address;
        *range.Length = FindCodeSectionEnd(address, &end) ? end - address : 0;
    }
    if (ranges[0].Found && ranges[1].Found) {
        Range &first = *ranges[0].Start <= *ranges[1].Start ? ranges[0] : ranges[1];
        Range &second = &first == &ranges[0] ? ranges[1] : ranges[0];
        if (uint64_t(*first.Start) + *first.Length > *second.Start)
            *first.Length = *second.Start - *first.Start;
    }
    const struct {
        LPCSTR Name;
        ULONG *Value;
    } pxros[] = {{"Px_taskret", &info->m_nPxrosValue1},
                 {"Px_intentry", &info->m_nPxrosValue2},
                 {"PX_MON166_FIX", &info->m_nPxrosValue3}};
    for (const auto &value : pxros) {
        DWORD address = 0;
        if (FindGlobalLabel(value.Name, &address))
            *value.Value = address;
    }
}
