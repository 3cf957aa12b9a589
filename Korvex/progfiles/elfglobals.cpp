#include "elfglobals.h"

#include <sectionwriter.h>
#include <stringtext.h>
#include <symdbstrings.h>

#include "progfilepaths.h"
#include "progfilestrings.h"
#include "symbolcodes.h"

#include <algorithm>


CELFGlobals::CELFGlobals(CQelDatabase &database, DWORD programId, IUnknown *host)
    : CELFSections(programId, host), m_moduls(database.GetDatabase()), m_symbols(database.GetDatabase()),
      m_sourceFiles(database.GetDatabase()), m_database(database), m_program(database.GetDatabase()),
      m_functions(database.GetDatabase()), m_modulSourceFiles(database.GetDatabase()), m_modulSections(database.GetDatabase()),
      m_sectionSourceFiles(database.GetDatabase()), m_sections(database.GetDatabase())
{
}

CELFGlobals::~CELFGlobals() = default;

BOOL CELFGlobals::SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second)
{
    return m_seek.Seek(rs, key, first, second);
}

BOOL CELFGlobals::Open(LPCSTR path, LPCSTR dumpTarget)
{
    if (!CELFSections::Open(path, dumpTarget))
        return FALSE;
    m_program.Open();
    m_bAnalyzed = !m_program.IsEOF() && m_program.m_Analyzed;
    if (m_bAnalyzed)
        return TRUE;

    // The database finds its program again by the full path and the modification time
    // that CFile gives, so the row keeps those, to the nanosecond.
    CFileStatus status;
    BOOL known = CFile::GetStatus(path, status);
    const LONG count = m_program.GetRecordCount();
    m_program.AddNew();
    m_program.m_ProgramIndex = count + 1;
    m_program.m_Name = known ? CString(status.m_szFullName) : GetFilePath();
    m_program.m_Type = 0;
    m_program.m_ModifiedTime = known ? COleDateTime(status.m_mtime) : COleDateTime();
    m_program.m_Source = GetFilePath();
    m_program.m_EntryPoint = LoadStringText(IDS_ELF_ENTRY_POINT);
    m_program.m_MainFunction = LoadStringText(IDS_MAIN_FUNCTION);
    m_program.m_AlternateEntryPoint = LoadStringText(IDS_PCP_ENTRY_POINT);
    m_program.m_AlternateMainFunction.Empty();
    m_program.m_Analyzed = FALSE;
    m_program.Update();
    m_program.MoveFirst();
    return TRUE;
}

int CELFGlobals::AddSection(int index, SectionTag *record)
{
    if (m_bAnalyzed)
        return 1;
    SectionTag section = *record;
    if (IsPcpCode(section.AddressValue)) {
        section.Type = TYSE_CODE_PCP;
        if (m_nPcpEntry == 0xFFFFFFFF || section.AddressValue > m_nPcpEntry)
            m_nPcpEntry = section.AddressValue;
    } else if (IsPcpData(section.AddressValue)) {
        section.Type = TYSE_DATA_PCP;
    }
    WriteSectionRecord(index, section, m_sections);
    return 1;
}

int CELFGlobals::ReadModules(int, int)
{
    return 0;
}

int CELFGlobals::ReadGlobals(HWND progressWindow)
{
    DWORD size = 0;
    DWORD debugTotal = 100;
    if (GetDebugSection(ELF_DEBUG) >= 0)
        debugTotal = GetSectionSize(GetDebugSection(ELF_DEBUG));
    else if (GetDebugSectionData(ELF_DEBUG_INFO, &size) != nullptr && GetDebugSection(ELF_DEBUG_ABBREV) >= 0)
        debugTotal = size;
    const int symbolTable = GetDebugSection(ELF_SYMTAB);
    const DWORD total = debugTotal + (symbolTable >= 0 ? GetImage().GetSymbolCount(symbolTable) : 0);
    PostProgressStart(progressWindow, total);
    PostProgressTotal(progressWindow, total);

    int result = 1;
    DWORD position = 0;
    if (!m_bAnalyzed) {
        if (HasDwarf1()) {
            result = ReadDwarf1Globals(progressWindow, &position);
        } else if (HasDwarf2Only()) {
            CheckVarEd();
            result = ReadDwarf2Globals(progressWindow, &position);
        }
        position = debugTotal;
        PostProgressPosition(progressWindow, position);
        ReadSymbolTable(progressWindow, &position);
        WriteStartupLabels();
        WriteRegisterMap();
        if (result == 1)
            MarkAnalyzed();
    }
    if (position != total)
        PostProgressPosition(progressWindow, total);
    ReleaseDebugServer();
    return result;
}

void CELFGlobals::MarkAnalyzed()
{
    m_program.MoveFirst();
    m_program.Edit();
    m_program.m_Analyzed = TRUE;
    m_program.Update();
}

void CELFGlobals::WriteRegisterMap()
{
    CDBRegisterMap registers(m_database.GetDatabase());
    registers.Open();
    const int count = IsArm() ? 15 : 32;
    for (int number = 0; number < count; ++number) {
        registers.AddNew();
        if (IsArm())
            registers.m_Name.Format("%c%d", 'R', number);
        else if (number < 16)
            registers.m_Name.Format("D%d", number);
        else
            registers.m_Name.Format("A%d", number - 16);
        registers.m_Number = number;
        registers.Update();
    }
    registers.Close();
}

LONG CELFGlobals::FindSourceFile(LPCSTR name, LPCSTR directory)
{
    CString forms[2];
    SourcePathForms(name, directory, &forms[0], &forms[1]);
    for (const CString &path : forms)
        if (!path.IsEmpty() && SeekKey(m_sourceFiles, IDS_DB_ENTRYINFILEKEY, CdbVariant(static_cast<LPCSTR>(path))))
            return m_sourceFiles.m_SourceFileIndex;
    return -1;
}

void CELFGlobals::RegisterSourceFile(LPCSTR name, BOOL hasLines, LPCSTR directory)
{
    // A file named as its own directory (a damaged table's) leaves no path to keep.
    const CString path = ResolveSourcePath(name, directory);
    if (path.IsEmpty())
        return;
    m_strCurrentSourcePath = path;
    if (!SeekKey(m_sourceFiles, IDS_DB_ENTRYINFILEKEY, CdbVariant(static_cast<LPCSTR>(path)))) {
        const LONG index = m_sourceFiles.GetRecordCount() + 1;
        m_sourceFiles.AddNew();
        m_sourceFiles.m_SourceFileIndex = index;
        m_sourceFiles.m_Type = hasLines ? 1000 : 0;
        m_sourceFiles.m_EntryInFile = path;
        m_sourceFiles.m_Name = ExtractFileName(path);
        m_sourceFiles.m_Analyzed = FALSE;
        m_sourceFiles.Update();
        m_nCurrentSourceFile = index;
    } else {
        m_nCurrentSourceFile = m_sourceFiles.m_SourceFileIndex;
    }

    const LONG modul = m_moduls.GetRecordCount();
    const CdbVariant modulKey(modul), fileKey(m_nCurrentSourceFile);
    if (!SeekKey(m_modulSourceFiles, IDS_DB_MODULSOURCEFILEKEY, modulKey, &fileKey)) {
        m_modulSourceFiles.AddNew();
        m_modulSourceFiles.m_ModulIndex = modul;
        m_modulSourceFiles.m_SourceFileIndex = m_nCurrentSourceFile;
        m_modulSourceFiles.Update();
    }
    m_nCurrentSection = -1;
}

int CELFGlobals::FindSectionIndex(DWORD address)
{
    return FindSectionRecord(GetSectionRecords(), address, &m_nLastSectionFound);
}

void CELFGlobals::RecordRelations(const CAddressValue &address)
{
    if (address.AddressMode == 1)
        RecordSectionRelation(FindSectionIndex(address.AddressValue));
}

void CELFGlobals::RecordSectionRelation(int section)
{
    if (section < 0 || section == m_nCurrentSection)
        return;
    const LONG modul = m_moduls.GetRecordCount();
    const CdbVariant modulKey(modul), sectionKey(section), fileKey(m_nCurrentSourceFile);
    if (!SeekKey(m_modulSections, IDS_DB_MODULSECTIONKEY, modulKey, &sectionKey)) {
        m_modulSections.AddNew();
        m_modulSections.m_ModulIndex = modul;
        m_modulSections.m_SectionIndex = section;
        m_modulSections.Update();
    }
    if (!SeekKey(m_sectionSourceFiles, IDS_DB_SECTIONSOURCEFILEKEY, sectionKey, &fileKey)) {
        m_sectionSourceFiles.AddNew();
        m_sectionSourceFiles.m_SectionIndex = section;
        m_sectionSourceFiles.m_SourceFileIndex = m_nCurrentSourceFile;
        m_sectionSourceFiles.Update();
    }
    m_nCurrentSection = section;
}
