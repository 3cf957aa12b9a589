#include "taskingfile.h"

#include <packedindex.h>
#include <symbolwriters.h>
#include <symdbstrings.h>

#include "symbolcodes.h"
#include "taskingmodulepass.h"

#include <cctype>

namespace {

const LONG kOneBitType = 256;

// The text of a 0x65 record: 1 to 8 hexadecimal digits.
BOOL ParseHexOffset(LPCSTR text, LONG *offset)
{
    DWORD value = 0;
    int digits = 0;
    for (; text[digits] != '\0'; ++digits) {
        const int c = static_cast<unsigned char>(text[digits]);
        if (digits == 8 || !isxdigit(c))
            return FALSE;
        value = (value << 4) | static_cast<DWORD>(isdigit(c) ? c - '0' : tolower(c) - 'a' + 10);
    }
    *offset = static_cast<LONG>(value);
    return digits > 0;
}

} // namespace

CTaskingOutFile::CTaskingOutFile(CQelDatabase &database, DWORD programId, IUnknown *owner)
    : CTaskingOutGlobals(database, programId, owner), m_types(database.GetDatabase()),
      m_sourceLines(database.GetDatabase())
{
}

CTaskingOutFile::~CTaskingOutFile() = default;

int CTaskingOutFile::ReadModules(int moduleIndex, int)
{
    const CdbVariant key(static_cast<LONG>(moduleIndex));
    if (!SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key))
        return 0;
    if (m_moduls.m_Analyzed)
        return 1;
    if (!HasImage()) {
        SetFailure(QEL_LOAD_READER_FAILED, "module %d is not read: the program file is not open", moduleIndex);
        return 0;
    }
    ModulePass pass;
    pass.modul = moduleIndex;
    pass.firstRecord = static_cast<DWORD>(m_moduls.m_Offset) / kTaskingNameRecordSize;
    if (m_moduls.m_Offset < 0 || pass.firstRecord >= GetImage().GetNameCount()) {
        SetNotice("module %d is not read: its record lies outside the name table", moduleIndex);
        return 0;
    }
    CQelDatabase &database = GetDatabase();
    database.BeginTrans();
    try {
        pass.nextFunction = FirstFunctionOf(pass.modul);
        ReadModule(pass);
        if (SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key)) {
            m_moduls.Edit();
            m_moduls.m_Analyzed = TRUE;
            m_moduls.Update();
        }
        database.CommitTrans();
        return 1;
    } catch (CQeldbException *e) {
        database.Rollback();
        ForgetSourceFileCount();
        SetNotice("module %d is not read: %s", moduleIndex, static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
    }
    return 0;
}

LONG CTaskingOutFile::FirstFunctionOf(LONG modul)
{
    // The globals pass wrote the functions module after module: one walk gives every
    // module's first, and where each begins.
    if (m_firstFunctions.empty()) {
        CDBFunctions functions(GetDatabase().GetDatabase());
        for (functions.Open(); !functions.IsEOF(); functions.MoveNext()) {
            const LONG owner = functions.m_Scope < 0 ? -functions.m_Scope : functions.m_Scope;
            auto known = m_firstFunctions.find(owner);
            if (known == m_firstFunctions.end() || functions.m_FunctionIndex < known->second)
                m_firstFunctions[owner] = functions.m_FunctionIndex;
            m_functionStarts[functions.m_FunctionIndex] = static_cast<DWORD>(functions.m_AddressValue);
        }
        m_firstFunctions[0] = 0; // walked: the map is not empty any more
    }
    auto first = m_firstFunctions.find(modul);
    return first != m_firstFunctions.end() ? first->second : 1;
}

void CTaskingOutFile::ReadModule(ModulePass &pass)
{
    const CTaskingOutImage &image = GetImage();
    for (DWORD i = pass.firstRecord + 1; i < image.GetNameCount(); ++i) {
        const TaskingNameRecord record = image.GetNameRecord(i);
        if (record.Kind() == TASKING_MODULE && record.Descriptor == 0)
            break;
        SetCurrentRecord(i);
        BOOL goOn = TRUE;
        try {
            goOn = Dispatch(pass, i, record);
            WriteAssemblerSymbol(record, pass.modul, FALSE);
        } catch (CQelIndexRangeException *e) {
            SetNotice("module %d: record %u is not written: number %#x is beyond what the database can number",
                      static_cast<int>(pass.modul), i, static_cast<unsigned>(e->m_nNumber));
            e->Delete();
        }
        if (!goOn)
            break;
    }
    // What the module left open ends where it began.
    while (!pass.blocks.empty())
        EndBlock(pass, pass.blocks.back().start);
    if (pass.function != 0)
        EndFunction(pass, pass.functionBlock.start);
}

BOOL CTaskingOutFile::Dispatch(ModulePass &pass, DWORD index, const TaskingNameRecord &record)
{
    switch (record.Kind()) {
    case TASKING_LINE:
        WriteSourceLine(pass, record.Descriptor, record.Value, record.Extra);
        break;
    case TASKING_MODULE:
        pass.files.clear();
        pass.currentFile = 0;
        break;
    case TASKING_LOCAL:
    case TASKING_PARAMETER:
    case TASKING_LIFETIME_LOCAL:
    case TASKING_LIFETIME_PARAMETER:
        WriteVariable(pass, index, record);
        break;
    case TASKING_FUNCTION_ATTRIBUTES:
        if (pass.function != 0 && record.Value != 0)
            WriteSourceLine(pass, static_cast<LONG>(record.Value), pass.functionBlock.start, 0);
        break;
    case TASKING_BLOCK_BEGIN:
        WriteSourceLine(pass, record.Descriptor, record.Value, record.Extra);
        BeginBlock(pass, index, record.Value);
        break;
    case TASKING_BLOCK_END:
        WriteSourceLine(pass, record.Descriptor, record.Value, record.Extra);
        EndBlock(pass, record.Value);
        break;
    case TASKING_FUNCTION_END:
        EndFunction(pass, record.Value);
        break;
    case TASKING_LABEL: {
        SymbolRecordTag label;
        label.Modul = pass.modul;
        label.Name = GetString();
        label.ScopeIndex = CurrentScope(pass);
        label.Data[0] = SYAM_ABSOLUTE;
        label.Data[1] = static_cast<LONG>(record.Value);
        if (!label.Name.IsEmpty())
            WriteLabelSymbol9(label, m_symbols);
        break;
    }
    case TASKING_SOURCE_FILE: {
        const CString path = GetImage().GetText(index);
        if (!path.IsEmpty())
            pass.files[record.Descriptor] = RegisterSourceFile(path);
        break;
    }
    case TASKING_FUNCTION_BEGIN:
        BeginFunction(pass, index, record.Value);
        break;
    case TASKING_REGISTER:
        pass.pendingRegister = record.Descriptor;
        break;
    case TASKING_CURRENT_FILE: {
        auto known = pass.files.find(record.Descriptor);
        pass.currentFile = known != pass.files.end() ? known->second : 0;
        if (pass.currentFile == 0)
            SetNotice("module %d: record %u selects source file %u, which the module has not named",
                      static_cast<int>(pass.modul), index, record.Descriptor);
        break;
    }
    case TASKING_SECTION_BEGIN:
        ++pass.nesting;
        pass.section = record.Extra;
        break;
    case TASKING_SECTION_END:
        return --pass.nesting != 0;
    case TASKING_ADDRESS_ROW: {
        UnnamedSymbolRecordTag row;
        row.Modul = pass.modul;
        row.ScopeIndex = CurrentScope(pass);
        row.Data[0] = SYAM_ABSOLUTE;
        row.Data[1] = static_cast<LONG>(record.Value >> 16);
        row.Data[2] = record.Descriptor;
        row.Data[3] = static_cast<LONG>(record.Value & 0xFFFF);
        WriteSymbol10(row, m_symbols);
        break;
    }
    case TASKING_STACK_ADJUST: {
        if (pass.function == 0) {
            SetNotice("module %d: stack adjustment %u lies outside a function", static_cast<int>(pass.modul), index);
            break;
        }
        UnnamedSymbolRecordTag row;
        row.Modul = pass.modul;
        row.ScopeIndex = pass.function;
        row.Data[0] = static_cast<SHORT>(record.Descriptor);
        row.Data[1] = SYAM_ABSOLUTE;
        row.Data[2] = static_cast<LONG>(record.Value);
        row.Data[3] = 0;
        WriteStackAdjustSymbol(row, m_symbols);
        break;
    }
    case TASKING_LIFE_REGISTER:
    case TASKING_LIFE_STACK:
    case TASKING_LIFE_DEAD:
        WriteLifetime(pass, record);
        break;
    default:
        return DispatchType(pass, index, record);
    }
    return TRUE;
}

LONG CTaskingOutFile::CurrentScope(const ModulePass &pass) const
{
    if (!pass.blocks.empty())
        return pass.blocks.back().scope;
    if (pass.function != 0)
        return pass.functionBlock.scope;
    return PackIndexChecked(pass.modul, 0, FALSE);
}

void CTaskingOutFile::WriteSourceLine(ModulePass &pass, LONG line, DWORD address, LONG length)
{
    if (pass.currentFile == 0) {
        SetNotice("module %d: the line record %u comes without a current source file", static_cast<int>(pass.modul),
                  GetCurrentRecord());
        return;
    }
    m_sourceLines.AddNew();
    m_sourceLines.m_SourceLine = line;
    m_sourceLines.m_SectionIndex = pass.section;
    m_sourceLines.m_SourceFileIndex = pass.currentFile;
    m_sourceLines.m_AddressMode = SYAM_ABSOLUTE;
    m_sourceLines.m_AddressValue = static_cast<LONG>(address);
    m_sourceLines.m_Length = length;
    m_sourceLines.Update();
}

void CTaskingOutFile::BeginFunction(ModulePass &pass, DWORD index, DWORD start)
{
    // A function that never ended ends where the next one begins.
    if (pass.function != 0)
        EndFunction(pass, start);
    pass.function = pass.nextFunction++;
    pass.functionBlock = {PackIndexChecked(pass.modul, static_cast<LONG>(index - pass.firstRecord), FALSE), 0, start};
    auto known = m_functionStarts.find(pass.function);
    if (known != m_functionStarts.end())
        pass.functionBlock.start = known->second;
    else
        SetNotice("module %d: function record %u has no Functions row %d", static_cast<int>(pass.modul), index,
                  static_cast<int>(pass.function));
    pass.blocks.clear();
    pass.depth = 0;
    pass.blockCounter = 0;
}

void CTaskingOutFile::EndFunction(ModulePass &pass, DWORD end)
{
    if (pass.function == 0)
        return;
    while (pass.depth > 0)
        EndBlock(pass, end);
    UnnamedSymbolRecordTag block;
    block.Modul = pass.modul;
    block.ScopeIndex = pass.functionBlock.scope;
    block.Data[0] = 0;
    block.Data[1] = SYAM_ABSOLUTE;
    block.Data[2] = static_cast<LONG>(pass.functionBlock.start);
    block.Data[3] = 0;
    block.Data[4] = end > pass.functionBlock.start ? static_cast<LONG>(end - pass.functionBlock.start) : 0;
    WriteBlockSymbol(block, m_symbols);
    pass.function = 0;
}

void CTaskingOutFile::BeginBlock(ModulePass &pass, DWORD index, DWORD start)
{
    if (pass.depth++ >= kTaskingScopeDepth) {
        SetNotice("module %d: block record %u is nested deeper than %zu blocks", static_cast<int>(pass.modul), index,
                  kTaskingScopeDepth);
        return;
    }
    pass.blocks.push_back(
        {PackIndexChecked(pass.modul, static_cast<LONG>(index - pass.firstRecord), FALSE), ++pass.blockCounter, start});
}

void CTaskingOutFile::EndBlock(ModulePass &pass, DWORD end)
{
    if (pass.depth == 0)
        return;
    if (pass.depth-- > kTaskingScopeDepth)
        return;
    const ModulePass::Block open = pass.blocks.back();
    pass.blocks.pop_back();
    UnnamedSymbolRecordTag block;
    block.Modul = pass.modul;
    block.ScopeIndex = open.scope;
    block.Data[0] = open.number;
    block.Data[1] = SYAM_ABSOLUTE;
    block.Data[2] = static_cast<LONG>(open.start);
    block.Data[3] = 0;
    block.Data[4] = end > open.start ? static_cast<LONG>(end - open.start) : 0;
    WriteBlockSymbol(block, m_symbols);
}

void CTaskingOutFile::WriteVariable(ModulePass &pass, DWORD index, const TaskingNameRecord &record)
{
    const DWORD kind = record.Kind();
    const BOOL parameter = kind == TASKING_PARAMETER || kind == TASKING_LIFETIME_PARAMETER;
    const LONG reg = pass.pendingRegister;
    if (kind == TASKING_LOCAL || kind == TASKING_PARAMETER)
        pass.pendingRegister = -1;
    SymbolRecordTag row;
    row.Modul = pass.modul;
    row.Name = GetString();
    if (row.Name.IsEmpty() || (parameter && pass.function == 0)) {
        SetNotice("module %d: variable record %u %s", static_cast<int>(pass.modul), index,
                  row.Name.IsEmpty() ? "has no name" : "is a parameter outside a function");
        return;
    }
    row.Data[0] = record.Descriptor;
    if (kind == TASKING_LIFETIME_LOCAL || kind == TASKING_LIFETIME_PARAMETER) {
        const LONG list = pass.nextLifetime++;
        pass.lifetimes[record.Value] = list;
        row.Data[1] = SYAM_LIFETIME;
        row.Data[2] = list;
        row.Data[3] = 0;
    } else if (reg >= 0) {
        row.Data[1] = SYAM_REGISTER;
        row.Data[2] = reg;
        row.Data[3] = -1;
    } else if (!parameter && record.Descriptor == kOneBitType) {
        row.Data[1] = static_cast<LONG>(SYAM_REGISTER_BIT);
        row.Data[2] = static_cast<LONG>((record.Value >> 4) & 0xF);
        row.Data[3] = static_cast<LONG>(record.Value & 0xF);
    } else {
        row.Data[1] = SYAM_STACK;
        row.Data[2] = static_cast<LONG>(parameter ? record.Value & 0xFFFF : record.Value);
        row.Data[3] = 0;
    }
    if (parameter) {
        row.ScopeIndex = pass.function;
        WriteParameterSymbol(row, m_symbols, FALSE);
    } else {
        row.ScopeIndex = CurrentScope(pass);
        WriteLocalSymbol(row, m_symbols, FALSE);
    }
}

void CTaskingOutFile::WriteLifetime(ModulePass &pass, const TaskingNameRecord &record)
{
    auto known = pass.lifetimes.find(record.Descriptor);
    if (known == pass.lifetimes.end()) {
        SetNotice("module %d: lifetime record %u names the unknown key %u", static_cast<int>(pass.modul),
                  GetCurrentRecord(), record.Descriptor);
        return;
    }
    SymbolRecordTag row;
    row.Modul = pass.modul;
    row.ScopeIndex = known->second;
    row.Data[0] = static_cast<LONG>(record.Value);
    if (record.Kind() == TASKING_LIFE_REGISTER) {
        row.Data[1] = SYAM_REGISTER;
        row.Data[2] = record.Extra;
        row.Data[3] = -1;
    } else if (record.Kind() == TASKING_LIFE_STACK) {
        row.Data[1] = SYAM_STACK;
        row.Data[3] = 0;
        if (!ParseHexOffset(GetImage().GetText(GetCurrentRecord()), &row.Data[2])) {
            SetNotice("module %d: lifetime record %u gives no stack offset of at most 8 hexadecimal digits",
                      static_cast<int>(pass.modul), GetCurrentRecord());
            return;
        }
    } else {
        row.Data[1] = SYAM_LIFETIMEDEAD;
        row.Data[2] = -1;
        row.Data[3] = -1;
    }
    WriteLifetimeSymbol(row, m_symbols);
}
