#include "gnu166file.h"

#include <packedindex.h>
#include <stringtext.h>
#include <symbolwriters.h>
#include <symdbstrings.h>
#include <typewriters.h>

#include "gnu166stabs.h"
#include "symbolcodes.h"

namespace {

// Where the running type numbers of members, enumerators and bit-fields start, above
// every number a stabs string gives; the first two are the module's bit and word.
const LONG kFirstRunningType = 0x20000;

} // namespace

CGNU166File::CGNU166File(CQelDatabase &database, DWORD programId, IUnknown *host)
    : CGNU166Globals(database, programId, host), m_types(database.GetDatabase()), m_parser(1024)
{
}

CGNU166File::~CGNU166File() = default;

int CGNU166File::ReadModules(int moduleIndex, int)
{
    const CdbVariant key(static_cast<LONG>(moduleIndex));
    if (!SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key))
        return 0;
    if (m_moduls.m_Analyzed)
        return 1;
    const DWORD offset = static_cast<DWORD>(m_moduls.m_Offset);

    CQelDatabase &database = GetDatabase();
    database.BeginTrans();
    try {
        if (ReadModule(moduleIndex, offset) && SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key)) {
            m_moduls.Edit();
            m_moduls.m_Analyzed = TRUE;
            m_moduls.Update();
            database.CommitTrans();
            return 1;
        }
        database.Rollback();
    } catch (CQelIndexRangeException *e) {
        database.Rollback();
        SetNotice("module %d is not read: type %#x of module %d is beyond what the database can number", moduleIndex,
                  e->m_nNumber, e->m_nModul);
        e->Delete();
    } catch (CQeldbException *e) {
        database.Rollback();
        SetNotice("module %d is not read: %s", moduleIndex, static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
    }
    return 0;
}

LONG CGNU166File::FirstFunctionOf(LONG modul)
{
    // What $FirstFunctionOfModul answers, for every module in one walk: the query scans
    // the functions once per module, the walk once per reader. The globals pass wrote
    // them, and they do not change.
    if (m_firstFunctions.empty()) {
        CDBFunctions functions(GetDatabase().GetDatabase());
        for (functions.Open(); !functions.IsEOF(); functions.MoveNext()) {
            const LONG owner = functions.m_Scope < 0 ? -functions.m_Scope : functions.m_Scope;
            auto known = m_firstFunctions.find(owner);
            if (known == m_firstFunctions.end() || functions.m_FunctionIndex < known->second)
                m_firstFunctions[owner] = functions.m_FunctionIndex;
        }
        m_firstFunctions.emplace(-1, 0); // walked: the map is not empty any more
    }
    auto first = m_firstFunctions.find(modul);
    return first != m_firstFunctions.end() ? first->second : 1;
}

BOOL CGNU166File::ReadModule(LONG modul, DWORD offset)
{
    const DWORD table = GetSymbolTableOffset();
    const uint64_t tableEnd = uint64_t(table) + uint64_t(GetSymbolCount()) * GNU166_ENTRY_SIZE;
    if (offset < table || offset >= tableEnd || (offset - table) % GNU166_ENTRY_SIZE != 0) {
        SetNotice("module %d is not read: its start %u is no symbol of the table", modul, offset);
        return FALSE;
    }
    m_nModul = modul;
    m_nRunningType = kFirstRunningType;
    m_writtenTypes.clear();
    m_functionTypes.clear();
    m_nIntType = -1;
    m_nUnsignedType = -1;
    m_nFunctionIndex = 0;
    m_nScopeCounter = 0;
    m_nLifetimeList = 0;
    m_blocks.clear();
    // The globals pass wrote a row for every named N_FUN, so the module's functions are
    // numbered on from its first.
    m_nFunctionCounter = FirstFunctionOf(modul) - 1;
    if (!m_types.IsOpen())
        m_types.Open();
    if (!m_symbols.IsOpen())
        m_symbols.Open();

    const struct {
        LPCSTR Name;
        LONG Bits;
    } baseTypes[] = {{"bit", 1}, {"unsigned int", 16}};
    for (const auto &base : baseTypes) {
        BaseTypeRecordTag record;
        record.Modul = modul;
        record.Name = base.Name;
        record.Number = TakeRunningNumber();
        record.Bits = base.Bits;
        WriteBaseTypeRecord(record, m_types, FALSE);
    }

    BOOL ownMarker = FALSE;
    for (uint64_t at = offset; at < tableEnd; at += GNU166_ENTRY_SIZE) {
        const Gnu166Symbol symbol = ReadSymbol(static_cast<DWORD>(at));
        CString name;
        if (!GetSymbolName(symbol.NameOffset, &name)) {
            SetNotice("module %d is not read: a name lies outside the string table", modul);
            return FALSE;
        }
        if (IsModuleMarker(symbol, name, ".text")) {
            if (ownMarker)
                break;
            ownMarker = TRUE;
            continue;
        }
        if (!HandleSymbol(symbol, name))
            return FALSE;
    }
    FlushBlocks();
    return TRUE;
}

BOOL CGNU166File::HandleSymbol(const Gnu166Symbol &symbol, const CString &name)
{
    const Gnu166Stab stab = SplitGnu166Stab(name);
    switch (symbol.Type) {
    case GNU166_N_FUN:
        if (stab.Name.IsEmpty())
            break;
        FlushBlocks();
        ++m_nFunctionCounter;
        BeginFunction();
        ParseTypes(stab.TypePart, "");
        break;
    case GNU166_N_LBRAC: {
        if (m_blocks.empty())
            BeginFunction();
        Block block;
        block.Offset = symbol.Value;
        block.Start = m_nFunctionStart + symbol.Value;
        if (m_blocks.size() >= 2) {
            // Below the outermost level each block is a scope of its own.
            block.Number = ++m_nBlockNumber;
            block.Scope = PackIndexChecked(m_nModul, ++m_nScopeCounter, FALSE);
        } else {
            block.Number = 0;
            block.Scope = m_blocks.back().Scope;
        }
        m_blocks.push_back(block);
        break;
    }
    case GNU166_N_RBRAC:
        if (!EndBlock(symbol.Value))
            return FALSE;
        break;
    case GNU166_N_RSYM:
        ParseTypes(stab.TypePart, "");
        if (stab.Letter == 'r')
            AddLocal(stab.Name, stab.TypeNumber, SYAM_REGISTER, static_cast<LONG>(symbol.Value), FALSE);
        else
            AddParameter(stab.Name, stab.TypeNumber, SYAM_REGISTER, static_cast<LONG>(symbol.Value));
        break;
    case GNU166_N_PSYM:
        ParseTypes(stab.TypePart, "");
        AddParameter(stab.Name, stab.TypeNumber, SYAM_STACK, static_cast<LONG>(symbol.Value));
        break;
    case GNU166_N_LSYM:
        if (stab.Letter == 0 && stab.TypeNumber >= 0) {
            ParseTypes(stab.TypePart, "");
            AddLocal(stab.Name, stab.TypeNumber, SYAM_STACK, static_cast<LONG>(symbol.Value), TRUE);
        } else if (stab.Letter == 't' || stab.Letter == 'T') {
            ParseTypes(stab.TypePart, stab.Name);
        }
        break;
    case GNU166_N_GSYM:
    case GNU166_N_STSYM:
    case GNU166_N_LCSYM:
        ParseTypes(stab.TypePart, "");
        break;
    default:
        break;
    }
    return TRUE;
}

void CGNU166File::BeginFunction()
{
    m_blocks.clear();
    m_nBlockNumber = 0;
    m_nFunctionIndex = 0;
    m_nFunctionStart = 0;
    m_nFunctionLength = 0;
    Block own;
    own.Number = 0;
    own.Scope = PackIndexChecked(m_nModul, ++m_nScopeCounter, FALSE);
    own.Offset = 0;
    if (m_nFunctionCounter > 0 && SeekKey(m_functions, IDS_DB_FUNCTIONINDEXKEY, CdbVariant(m_nFunctionCounter))) {
        m_nFunctionIndex = m_nFunctionCounter;
        m_nFunctionScope = m_functions.m_Scope;
        m_nFunctionStart = static_cast<DWORD>(m_functions.m_AddressValue);
        m_nFunctionLength = static_cast<DWORD>(m_functions.m_Length);
        UnnamedSymbolRecordTag row;
        row.Modul = m_nModul;
        row.ScopeIndex = own.Scope;
        row.Data[0] = own.Number;
        row.Data[1] = SYAM_ABSOLUTE;
        row.Data[2] = static_cast<LONG>(m_nFunctionStart);
        row.Data[3] = 0;
        row.Data[4] = static_cast<LONG>(m_nFunctionLength);
        WriteBlockSymbol(row, m_symbols);
    }
    own.Start = m_nFunctionStart;
    m_blocks.push_back(own);
}

BOOL CGNU166File::EndBlock(DWORD offset)
{
    if (m_blocks.size() < 2) {
        SetNotice("module %d is not read: a block ends (N_RBRAC) that did not begin", m_nModul);
        return FALSE;
    }
    const Block block = m_blocks.back();
    m_blocks.pop_back();
    const DWORD length = offset >= block.Offset ? offset - block.Offset : 0;
    if (m_blocks.size() >= 2) {
        UnnamedSymbolRecordTag row;
        row.Modul = m_nModul;
        row.ScopeIndex = block.Scope;
        row.Data[0] = block.Number;
        row.Data[1] = SYAM_ABSOLUTE;
        row.Data[2] = static_cast<LONG>(block.Start);
        row.Data[3] = 0;
        row.Data[4] = static_cast<LONG>(length);
        WriteBlockSymbol(row, m_symbols);
    }
    WriteLifetimes(block, block.Start + length);
    return TRUE;
}

void CGNU166File::WriteLifetimes(const Block &block, DWORD end)
{
    for (const Local &local : block.Locals) {
        SymbolRecordTag row;
        row.Modul = m_nModul;
        row.ScopeIndex = local.List;
        row.Data[0] = static_cast<LONG>(block.Start);
        row.Data[1] = local.Mode;
        row.Data[2] = local.Value;
        row.Data[3] = 0;
        WriteLifetimeSymbol(row, m_symbols);
        row.Data[0] = static_cast<LONG>(end - 1);
        row.Data[1] = SYAM_LIFETIMEDEAD;
        row.Data[2] = -1;
        row.Data[3] = -1;
        WriteLifetimeSymbol(row, m_symbols);
    }
}

void CGNU166File::FlushBlocks()
{
    const DWORD end = m_nFunctionStart + m_nFunctionLength;
    while (!m_blocks.empty()) {
        WriteLifetimes(m_blocks.back(), end);
        m_blocks.pop_back();
    }
}

void CGNU166File::AddLocal(const CString &name, LONG type, LONG mode, LONG value, BOOL listed)
{
    if (m_blocks.empty())
        BeginFunction();
    Block &block = m_blocks.back();
    SymbolRecordTag record;
    record.Modul = m_nModul;
    record.Name = name;
    record.ScopeIndex = block.Scope;
    record.Data[0] = PackedType(m_nModul, type) == kNoIndex ? kNoIndex : type;
    if (listed) {
        // A local on the stack lives in its block: its place is a lifetime list, written
        // when the block ends.
        const LONG list = ++m_nLifetimeList;
        block.Locals.push_back(Local{list, mode, value});
        record.Data[1] = SYAM_LIFETIME;
        record.Data[2] = list;
        record.Data[3] = 1;
    } else {
        record.Data[1] = mode;
        record.Data[2] = value;
        record.Data[3] = 0;
    }
    WriteLocalSymbol(record, m_symbols, FALSE);
}

void CGNU166File::AddParameter(const CString &name, LONG type, LONG mode, LONG value)
{
    SymbolRecordTag record;
    record.Modul = m_nModul;
    record.Name = name;
    record.ScopeIndex = m_nFunctionIndex;
    record.Data[0] = PackedType(m_nModul, type) == kNoIndex ? kNoIndex : type;
    record.Data[1] = mode;
    record.Data[2] = value;
    record.Data[3] = 0;
    WriteParameterSymbol(record, m_symbols, FALSE);
}
