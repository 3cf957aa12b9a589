#include "taskingglobals.h"

#include <nameencoding.h>
#include <packedindex.h>
#include <sectionwriter.h>
#include <stringtext.h>
#include <symbolwriters.h>
#include <symdbstrings.h>

#include "demangler.h"
#include "progfilepaths.h"
#include "progfilestrings.h"
#include "symbolcodes.h"

namespace {

const size_t kDecodeBufferSize = 1024;
const LONG kRegisterCount = 32;

} // namespace

// The function whose Functions row the walk writes when it ends.
struct CTaskingOutGlobals::PendingFunction {
    LONG index = 0;
    CString name;
    DWORD address = 0;
    LONG section = 0;
    LONG returnType = 0;
    LONG scope = 0;
    LONG callType = 0;
    DWORD record = 0; // of its begin, for the scope of its statics
};

void TaskingVariableAddress(DWORD address, LONG *triple)
{
    if (address < 4096) {
        triple[0] = static_cast<LONG>(SYAM_ABSOLUTE_BIT);
        triple[1] = static_cast<LONG>(0xFD00 + (address / 16) * 2);
        triple[2] = static_cast<LONG>(address % 16);
    } else {
        triple[0] = SYAM_ABSOLUTE;
        triple[1] = static_cast<LONG>(address);
        triple[2] = 0;
    }
}

CTaskingOutGlobals::CTaskingOutGlobals(CQelDatabase &database, DWORD programId, IUnknown *owner)
    : CTaskingOutSections(programId, owner), m_moduls(database.GetDatabase()), m_symbols(database.GetDatabase()),
      m_sourceFiles(database.GetDatabase()), m_database(database), m_program(database.GetDatabase()),
      m_functions(database.GetDatabase()), m_sections(database.GetDatabase()),
      m_modulSourceFiles(database.GetDatabase()), m_modulSections(database.GetDatabase()),
      m_sectionSourceFiles(database.GetDatabase()), m_markedSourceFiles(database.GetDatabase()),
      m_decoded(kDecodeBufferSize)
{
}

CTaskingOutGlobals::~CTaskingOutGlobals() = default;

BOOL CTaskingOutGlobals::SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second)
{
    return m_seek.Seek(rs, key, first, second);
}

BOOL CTaskingOutGlobals::Open(LPCSTR path, LPCSTR dumpTarget)
{
    if (!CTaskingOutSections::Open(path, dumpTarget))
        return FALSE;
    m_program.Open();
    m_bAnalyzed = !m_program.IsEOF() && m_program.m_Analyzed;
    if (m_bAnalyzed)
        return TRUE;
    // The database finds its program again by the full path and the modification time.
    // A row that no load finished is filled anew rather than joined by a second.
    CFileStatus status;
    const BOOL known = CFile::GetStatus(path, status);
    if (m_program.IsEOF()) {
        const LONG count = m_program.GetRecordCount();
        m_program.AddNew();
        m_program.m_ProgramIndex = count + 1;
    } else {
        m_program.Edit();
    }
    m_program.m_Name = known ? CString(status.m_szFullName) : GetFilePath();
    m_program.m_Type = 0;
    m_program.m_ModifiedTime = known ? COleDateTime(status.m_mtime) : COleDateTime();
    m_program.m_Source = GetFilePath();
    m_program.m_EntryPoint = LoadStringText(IDS_TASKING_ENTRY_POINT);
    m_program.m_MainFunction = LoadStringText(IDS_MAIN_FUNCTION);
    m_program.m_AlternateEntryPoint.Empty();
    m_program.m_AlternateMainFunction.Empty();
    m_program.m_Analyzed = FALSE;
    m_program.Update();
    m_program.MoveFirst();
    return TRUE;
}

int CTaskingOutGlobals::ReadSections(HWND progressWindow)
{
    if (CTaskingOutSections::ReadSections(progressWindow) != 1)
        return 0;
    const BOOL downloaded = DownloadPattern(progressWindow, 2);
    FreeVectorImage();
    return downloaded ? 1 : 0;
}

int CTaskingOutGlobals::AddSection(int index, SectionTag *record)
{
    if (m_bAnalyzed)
        return 1;
    try {
        WriteSectionRecord(index, *record, m_sections);
    } catch (CQeldbException *e) {
        SetNotice("The Sections row %d cannot be written: %s", index, static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
        return 0;
    }
    return 1;
}

CString CTaskingOutGlobals::GetString()
{
    const CString raw = CTaskingOutSections::GetString();
    if (raw.IsEmpty())
        return raw;
    int error = 0, overflow = 0;
    UINT required = 0;
    DecodeIdentifier(raw, m_decoded.data(), static_cast<UINT>(m_decoded.size()), &error, &overflow, &required);
    if (overflow != 0 && error == 0) {
        m_decoded.resize(required);
        DecodeIdentifier(raw, m_decoded.data(), static_cast<UINT>(m_decoded.size()), &error, &overflow, &required);
    }
    if (error != 0 || overflow != 0 || m_decoded[0] == '\0')
        return raw;
    return CString(m_decoded.data());
}

int CTaskingOutGlobals::ReadGlobals(HWND progressWindow)
{
    const CTaskingOutImage &image = GetImage();
    const DWORD total = image.GetNameCount();
    PostProgressStart(progressWindow, total);
    PostProgressTotal(progressWindow, total);
    if (m_bAnalyzed || !HasImage()) {
        PostProgressPosition(progressWindow, total);
        return 1;
    }
    // Counted here rather than asked of the tables for every row, which counts them.
    m_nModulRows = m_moduls.GetRecordCount();
    m_nFunctionRows = m_functions.GetRecordCount();
    m_nSourceFileRows = -1;
    m_nModul = 0;
    m_nModulRecord = 0;
    m_fileIndexes.clear();
    m_nCurrentFile = 0;
    m_nMarkedFile = 0;
    m_markedFiles.clear();
    m_sectionFileRows.clear();
    m_modulSectionRows.clear();
    m_modulSectionAllowed.clear();
    m_pFunction.reset();
    m_scopes.clear();
    m_nDepth = 0;
    for (DWORD i = 0; i < total; ++i) {
        const TaskingNameRecord record = image.GetNameRecord(i);
        SetCurrentRecord(i);
        try {
            Dispatch(i, record);
            WriteAssemblerSymbol(record, m_nModul, TRUE);
        } catch (CQelIndexRangeException *e) {
            SetNotice("Name record %u is not written: number %#x of module %d is beyond what the database can number",
                      i, static_cast<unsigned>(e->m_nNumber), static_cast<int>(e->m_nModul));
            e->Delete();
        }
        PostProgressPosition(progressWindow, i + 1);
    }
    if (m_pFunction)
        EndFunction(m_pFunction->address);
    WriteRegisterMap();
    MarkAnalyzed();
    PostProgressPosition(progressWindow, total);
    return 1;
}

void CTaskingOutGlobals::Dispatch(DWORD index, const TaskingNameRecord &record)
{
    switch (record.Kind()) {
    case TASKING_LINE:
        MarkSourceLines();
        if (m_nCurrentFile == 0)
            SetNotice("Line record %u comes without a current source file", index);
        break;
    case TASKING_MODULE:
        if (record.Descriptor == 0)
            BeginModule(index);
        break;
    case TASKING_FUNCTION_ATTRIBUTES:
        if (m_pFunction) {
            m_pFunction->scope = (record.Descriptor & 0x04) != 0 ? m_nModul : -m_nModul;
            m_pFunction->callType = (record.Descriptor & 0x10)   ? 4
                                    : (record.Descriptor & 0x08) ? 3
                                    : (record.Descriptor & 0x20) ? 1
                                                                 : 0;
        }
        MarkSourceLines();
        break;
    case TASKING_BLOCK_BEGIN:
        if (m_nDepth++ < kTaskingScopeDepth)
            m_scopes.push_back(index);
        else
            SetNotice("Block record %u is nested deeper than %zu blocks", index, kTaskingScopeDepth);
        MarkSourceLines();
        break;
    case TASKING_BLOCK_END:
        if (m_nDepth > 0 && m_nDepth-- <= kTaskingScopeDepth)
            m_scopes.pop_back();
        MarkSourceLines();
        break;
    case TASKING_FUNCTION_END:
        EndFunction(record.Value);
        break;
    case TASKING_GLOBAL:
        WriteVariable(index, record, TRUE);
        break;
    case TASKING_SOURCE_FILE:
        DefineSourceFile(record);
        break;
    case TASKING_STATIC:
        WriteVariable(index, record, FALSE);
        break;
    case TASKING_FUNCTION_BEGIN:
        BeginFunction(index, record);
        break;
    case TASKING_CURRENT_FILE:
        SelectSourceFile(record.Descriptor);
        break;
    case TASKING_SECTION_BEGIN:
        RelateSection(record.Extra, TRUE);
        break;
    case TASKING_SECTION_END:
        RelateSection(record.Extra, FALSE);
        break;
    default:
        break;
    }
}

void CTaskingOutGlobals::BeginModule(DWORD index)
{
    if (m_pFunction)
        EndFunction(m_pFunction->address);
    const LONG modul = ++m_nModulRows;
    m_moduls.AddNew();
    m_moduls.m_ModulIndex = modul;
    m_moduls.m_Name = GetImage().GetText(index);
    m_moduls.m_Offset = static_cast<LONG>(kTaskingNameRecordSize * index);
    m_moduls.m_Analyzed = FALSE;
    m_moduls.Update();
    m_nModul = modul;
    m_nModulRecord = index;
    m_fileIndexes.clear();
    m_nCurrentFile = 0;
    m_nMarkedFile = 0;
    m_scopes.clear();
    m_nDepth = 0;
}

void CTaskingOutGlobals::BeginFunction(DWORD index, const TaskingNameRecord &record)
{
    // A function that never ended ends where the next one begins.
    if (m_pFunction)
        EndFunction(record.Value);
    std::unique_ptr<PendingFunction> function(new PendingFunction);
    function->name = GetString();
    function->address = record.Value;
    function->section = record.Extra;
    function->returnType = PackIndexChecked(m_nModul, record.Descriptor, FALSE);
    function->scope = m_nModul;
    function->record = index;
    function->index = m_nFunctionRows + 1;
    m_pFunction = std::move(function);
    m_scopes.clear();
    m_nDepth = 0;
}

void CTaskingOutGlobals::EndFunction(DWORD end)
{
    if (!m_pFunction)
        return;
    const PendingFunction &function = *m_pFunction;
    m_functions.AddNew();
    m_functions.m_FunctionIndex = function.index;
    if (function.name.IsEmpty())
        m_functions.m_Name.Format("_unnamed_function_%d_", static_cast<int>(function.index));
    else
        m_functions.m_Name = function.name;
    EncodeNameString(m_functions.m_Name, m_functions.m_NameString);
    m_functions.m_AddressMode = SYAM_ABSOLUTE;
    m_functions.m_AddressValue = static_cast<LONG>(function.address);
    m_functions.m_Length = end > function.address ? static_cast<LONG>(end - function.address) : 0;
    m_functions.m_SectionIndex = function.section;
    m_functions.m_ReturnType = function.returnType;
    m_functions.m_Scope = function.scope;
    m_functions.m_CallType = function.callType;
    m_functions.Update();
    ++m_nFunctionRows;
    m_pFunction.reset();
    m_scopes.clear();
    m_nDepth = 0;
}

void CTaskingOutGlobals::MarkSourceLines()
{
    if (m_nCurrentFile == 0 || m_nCurrentFile == m_nMarkedFile)
        return;
    // A module's lines go back and forth between its files (a header's and its own).
    if (!m_markedFiles.insert(m_nCurrentFile).second) {
        m_nMarkedFile = m_nCurrentFile;
        return;
    }
    if (SeekKey(m_markedSourceFiles, IDS_DB_SOURCEFILEINDEXKEY, CdbVariant(m_nCurrentFile))) {
        m_markedSourceFiles.Edit();
        m_markedSourceFiles.m_Type = 1000;
        m_markedSourceFiles.Update();
    }
    m_nMarkedFile = m_nCurrentFile;
}

LONG CTaskingOutGlobals::RegisterSourceFile(LPCSTR path)
{
    if (SeekKey(m_sourceFiles, IDS_DB_ENTRYINFILEKEY, CdbVariant(path)))
        return m_sourceFiles.m_SourceFileIndex;
    if (m_nSourceFileRows < 0)
        m_nSourceFileRows = m_sourceFiles.GetRecordCount();
    const LONG index = m_nSourceFileRows + 1;
    m_sourceFiles.AddNew();
    m_sourceFiles.m_SourceFileIndex = index;
    m_sourceFiles.m_Type = 0;
    m_sourceFiles.m_EntryInFile = path;
    m_sourceFiles.m_Name = ExtractFileName(path);
    m_sourceFiles.m_Analyzed = FALSE;
    m_sourceFiles.Update();
    m_nSourceFileRows = index;
    return index;
}

void CTaskingOutGlobals::DefineSourceFile(const TaskingNameRecord &record)
{
    const CString path = GetImage().GetText(GetCurrentRecord());
    if (path.IsEmpty()) {
        SetNotice("Source file record %u names no file", GetCurrentRecord());
        return;
    }
    const LONG file = RegisterSourceFile(path);
    m_fileIndexes[record.Descriptor] = file;
    if (m_nModul == 0)
        return;
    const CdbVariant modulKey(m_nModul), fileKey(file);
    if (!SeekKey(m_modulSourceFiles, IDS_DB_MODULSOURCEFILEKEY, modulKey, &fileKey)) {
        m_modulSourceFiles.AddNew();
        m_modulSourceFiles.m_ModulIndex = m_nModul;
        m_modulSourceFiles.m_SourceFileIndex = file;
        m_modulSourceFiles.Update();
    }
}

void CTaskingOutGlobals::SelectSourceFile(WORD number)
{
    auto known = m_fileIndexes.find(number);
    m_nCurrentFile = known != m_fileIndexes.end() ? known->second : 0;
    if (m_nCurrentFile == 0)
        SetNotice("Record %u selects source file %u, which the module has not named", GetCurrentRecord(), number);
}

void CTaskingOutGlobals::RelateSection(WORD section, BOOL withModule)
{
    const CdbVariant sectionKey(static_cast<LONG>(section));
    if (m_nCurrentFile != 0 && m_sectionFileRows.emplace(section, m_nCurrentFile).second) {
        const CdbVariant fileKey(m_nCurrentFile);
        if (!SeekKey(m_sectionSourceFiles, IDS_DB_SECTIONSOURCEFILEKEY, sectionKey, &fileKey)) {
            m_sectionSourceFiles.AddNew();
            m_sectionSourceFiles.m_SectionIndex = section;
            m_sectionSourceFiles.m_SourceFileIndex = m_nCurrentFile;
            m_sectionSourceFiles.Update();
        }
    }
    // The interrupt vectors belong to no module, though every module adds to them.
    if (!withModule || m_nModul == 0)
        return;
    auto allowed = m_modulSectionAllowed.find(section);
    if (allowed == m_modulSectionAllowed.end())
        allowed = m_modulSectionAllowed
                      .emplace(section, SeekKey(m_sections, IDS_DB_SECTIONINDEXKEY, sectionKey) &&
                                            m_sections.m_Name != "?INTVECT")
                      .first;
    if (!allowed->second || !m_modulSectionRows.emplace(m_nModul, section).second)
        return;
    const CdbVariant modulKey(m_nModul);
    if (!SeekKey(m_modulSections, IDS_DB_MODULSECTIONKEY, modulKey, &sectionKey)) {
        m_modulSections.AddNew();
        m_modulSections.m_ModulIndex = m_nModul;
        m_modulSections.m_SectionIndex = section;
        m_modulSections.Update();
    }
}

void CTaskingOutGlobals::WriteVariable(DWORD index, const TaskingNameRecord &record, BOOL global)
{
    SymbolRecordTag row;
    row.Modul = m_nModul;
    row.Name = GetString();
    if (row.Name.IsEmpty()) {
        SetNotice("Variable record %u has no name", index);
        return;
    }
    row.ScopeIndex = m_nModul;
    row.Data[0] = record.Descriptor;
    TaskingVariableAddress(record.Value, row.Data + 1);
    row.Data[4] = m_nCurrentFile;
    row.Data[5] = m_pFunction ? m_pFunction->index : 0;
    if (global) {
        WriteGlobalSymbol(row, m_symbols, FALSE);
    } else if (m_pFunction) {
        // The scope is the innermost open block, or the function itself, numbered as the
        // module pass numbers them: by its record's place in the module.
        const DWORD scope = m_scopes.empty() ? m_pFunction->record : m_scopes.back();
        row.ScopeIndex = PackIndexChecked(m_nModul, static_cast<LONG>(scope - m_nModulRecord), FALSE);
        WriteLocalStaticSymbol(row, m_symbols, FALSE);
    } else {
        WriteModulStaticSymbol(row, m_symbols, FALSE);
    }
}

void CTaskingOutGlobals::WriteAssemblerSymbol(const TaskingNameRecord &record, LONG modul, BOOL global)
{
    if (record.Scope() != (global ? 0xC0u : 0x80u))
        return;
    LONG code = 0;
    BOOL label = FALSE;
    switch (record.Class()) {
    case 12: code = 14; break; // byte
    case 16: code = 15; break; // word
    case 20: code = 13; break; // bit
    case 24: code = 17; break; // bitword
    case 28: code = 2; label = TRUE; break;
    case 32: code = 1; label = TRUE; break;
    case 36: code = 3; label = TRUE; break;
    default: return;
    }
    SymbolRecordTag row;
    row.Modul = modul;
    row.Name = GetString();
    if (row.Name.IsEmpty())
        return;
    row.ScopeIndex = -1;
    row.Data[0] = code;
    if (code == 13 && !label) {
        TaskingVariableAddress(record.Value, row.Data + 1);
    } else {
        row.Data[1] = SYAM_ABSOLUTE;
        row.Data[2] = static_cast<LONG>(record.Value);
        row.Data[3] = 0;
    }
    if (label)
        (global ? WriteGlobalLabelSymbol : WriteStaticLabelSymbol)(row, m_symbols);
    else
        (global ? WriteGlobalAsmSymbol : WriteStaticAsmSymbol)(row, m_symbols);
}

void CTaskingOutGlobals::WriteRegisterMap()
{
    CDBRegisterMap registers(m_database.GetDatabase());
    registers.Open();
    for (LONG number = 0; number < kRegisterCount; ++number) {
        registers.AddNew();
        if (number < 16)
            registers.m_Name.Format("R%d", static_cast<int>(number));
        else if (number < 24)
            registers.m_Name.Format("RL%d", static_cast<int>(number - 16));
        else
            registers.m_Name.Format("RH%d", static_cast<int>(number - 24));
        registers.m_Number = number;
        registers.Update();
    }
    registers.Close();
}

void CTaskingOutGlobals::MarkAnalyzed()
{
    m_program.MoveFirst();
    m_program.Edit();
    m_program.m_Analyzed = TRUE;
    m_program.Update();
}
