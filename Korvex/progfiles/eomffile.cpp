#include "eomffile.h"

#include <packedindex.h>
#include <symbolwriters.h>
#include <symdbstrings.h>

#include "symbolcodes.h"

CEOMFFile::CEOMFFile(CQelDatabase &database, DWORD programId, IUnknown *host)
    : CEOMFGlobals(database, programId, host), m_sourceLines(database.GetDatabase())
{
}

CEOMFFile::~CEOMFFile() = default;

int CEOMFFile::ReadModules(int moduleIndex, int)
{
    const CdbVariant key(static_cast<LONG>(moduleIndex));
    if (GetView() == nullptr || !SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key))
        return 0;
    if (m_moduls.m_Analyzed)
        return 1;
    const DWORD start = static_cast<DWORD>(m_moduls.m_Offset);

    CQelDatabase &database = GetDatabase();
    database.BeginTrans();
    try {
        m_nModul = moduleIndex;
        m_bCModule = FALSE;
        m_nDefaultCall = 2;
        m_nSourceFile = 0;
        m_nSection = -1;
        m_blocks.clear();
        m_openBlocks.clear();
        m_nLifetime = 0;
        m_nFunctionCounter = GetProceduresBefore(moduleIndex);
        ReadModuleRecords(start);
        if (SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key)) {
            m_moduls.Edit();
            m_moduls.m_Analyzed = TRUE;
            m_moduls.Update();
        }
        database.CommitTrans();
        return 1;
    } catch (CQeldbException *e) {
        database.Rollback();
        SetNotice("module %d is not read: %s", moduleIndex, static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
    }
    return 0;
}

void CEOMFFile::ReadModuleRecords(DWORD start)
{
    CEomfCursor cursor = MakeCursor();
    EomfRecord record;
    for (CEomfCursor::Result r = cursor.First(start, &record); r == CEomfCursor::RECORD; r = cursor.Next(&record)) {
        switch (record.Type) {
        case EOMF_THEADR:
        case EOMF_MODEND:
            return;
        case EOMF_LINNUM:
            ReadLines(record);
            break;
        case EOMF_COMMENT: {
            EomfComment comment;
            if (ReadEomfComment(record, &comment) && comment.Class == 0x4B)
                EnterSourceFile(comment.Text, FALSE);
            else
                ReadTranslator(record);
            break;
        }
        case EOMF_BLKDEF:
            BeginBlock(record);
            break;
        case EOMF_BLKEND:
            EndBlock();
            break;
        case EOMF_LOCSYM:
        case EOMF_DEBSYM:
            m_bDebugRecord = record.Type == EOMF_DEBSYM;
            ReadSymbols(record);
            break;
        case EOMF_MODINF:
            ReadMemoryModel(record);
            break;
        default:
            break;
        }
    }
}

void CEOMFFile::ReadLines(const EomfRecord &record)
{
    EomfLines lines;
    if (!ReadEomfLines(record, &lines) || lines.Lines.empty())
        return;
    const int section = RelateRange(lines.Base + lines.Lines.front().Offset, 0);
    for (const EomfLine &line : lines.Lines) {
        m_sourceLines.AddNew();
        m_sourceLines.m_SourceLine = line.Line;
        m_sourceLines.m_SectionIndex = section;
        m_sourceLines.m_SourceFileIndex = m_nSourceFile;
        m_sourceLines.m_AddressMode = SYAM_ABSOLUTE;
        m_sourceLines.m_AddressValue = static_cast<LONG>(lines.Base + line.Offset);
        m_sourceLines.m_Length = -1;
        m_sourceLines.Update();
    }
}

void CEOMFFile::BeginBlock(const EomfRecord &record)
{
    Block block;
    block.Number = static_cast<LONG>(m_blocks.size()) + 1;
    EomfBlock def;
    const BOOL valid = ReadEomfBlock(record, &def);
    block.Start = def.Base + def.Offset;
    block.End = block.Start + def.Length;
    if (valid && def.IsProcedure() && !def.Name.IsEmpty()) {
        block.Procedure = TRUE;
        block.FunctionIndex = ++m_nFunctionCounter;
        block.ProcedureBlock = block.Number;
    } else if (!m_openBlocks.empty()) {
        const Block &around = m_blocks[m_openBlocks.back()];
        block.FunctionIndex = around.FunctionIndex;
        block.ProcedureBlock = around.ProcedureBlock;
    }
    // A short record still takes its block number, as the walk of the globals counts it.
    block.Open = valid;
    m_blocks.push_back(block);
    if (!valid)
        return;
    m_openBlocks.push_back(m_blocks.size() - 1);
    UnnamedSymbolRecordTag row;
    row.Modul = m_nModul;
    row.ScopeIndex = PackIndexChecked(m_nModul, block.Number, FALSE);
    row.Data[0] = block.Procedure ? block.FunctionIndex : block.Number;
    row.Data[1] = SYAM_ABSOLUTE;
    row.Data[2] = static_cast<LONG>(block.Start);
    row.Data[3] = 0;
    row.Data[4] = def.Length;
    WriteBlockSymbol(row, m_symbols);
}

void CEOMFFile::EndBlock()
{
    if (m_openBlocks.empty())
        return;
    Block &block = m_blocks[m_openBlocks.back()];
    m_openBlocks.pop_back();
    block.Open = FALSE;
    for (const Parameter &parameter : block.Parameters)
        WriteLifetimes(parameter.Lifetime, parameter.Place, block.Start, block.End);
    block.Parameters.clear();
}

CEOMFFile::Block *CEOMFFile::FindBlock(const EomfSymbols &symbols)
{
    if (symbols.BlockRelative) {
        if (symbols.Block == 0 || symbols.Block > m_blocks.size())
            return nullptr;
        return &m_blocks[symbols.Block - 1];
    }
    return m_openBlocks.empty() ? nullptr : &m_blocks[m_openBlocks.back()];
}

CEOMFFile::Location CEOMFFile::PlaceRegister(const EomfSymbol &symbol)
{
    Location place;
    const DWORD v = symbol.Value;
    switch (TypeSize(symbol.Type)) {
    case 1:
        // The register map numbers RL0-RL7 16-23 and RH0-RH7 24-31: an odd byte
        // register is the high byte of word register v/2.
        if (v <= 15) {
            place.Mode = SYAM_REGISTER;
            place.Value = static_cast<LONG>((v & 1) ? 24 + v / 2 : 16 + v / 2);
            return place;
        }
        break;
    case 2:
        place.Mode = SYAM_REGISTER;
        place.Value = static_cast<LONG>(v);
        return place;
    case 4:
        place.Mode = SYAM_REGISTER2;
        place.Value = static_cast<LONG>(v);
        place.Extra = static_cast<LONG>(v + 1);
        return place;
    default:
        break;
    }
    SetNotice("The register variable %s of module %d (register %u, %u bytes) has no place in the register map.",
              static_cast<LPCSTR>(symbol.Name), m_nModul, v, TypeSize(symbol.Type));
    place.Mode = static_cast<LONG>(SYAM_NOT_VALID);
    return place;
}

void CEOMFFile::WriteLifetimes(LONG lifetime, const Location &place, DWORD start, DWORD end)
{
    SymbolRecordTag row;
    row.Modul = m_nModul;
    row.ScopeIndex = lifetime;
    row.Data[0] = static_cast<LONG>(start);
    row.Data[1] = place.Mode;
    row.Data[2] = place.Value;
    row.Data[3] = place.Extra;
    WriteLifetimeSymbol(row, m_symbols);
    row.Data[0] = static_cast<LONG>(end);
    row.Data[1] = SYAM_LIFETIMEDEAD;
    row.Data[2] = -1;
    row.Data[3] = -1;
    WriteLifetimeSymbol(row, m_symbols);
}

void CEOMFFile::WriteVariable(const EomfSymbol &symbol, LONG type, const Location &place, Block &block)
{
    WriteTypeOnDemand(static_cast<DWORD>(type));
    SymbolRecordTag row;
    row.Modul = m_nModul;
    row.Name = symbol.Name;
    row.Data[0] = type;
    row.Data[1] = place.Mode;
    row.Data[2] = place.Value;
    row.Data[3] = place.Extra;
    if (block.Procedure) {
        // Its place goes to the procedure's lifetimes, written when the block ends.
        const LONG lifetime = m_nLifetime++;
        if (block.Open)
            block.Parameters.push_back({lifetime, place});
        else
            WriteLifetimes(lifetime, place, block.Start, block.End);
        row.ScopeIndex = block.FunctionIndex;
        row.Data[1] = SYAM_LIFETIME;
        row.Data[2] = lifetime;
        row.Data[3] = 1;
        WriteParameterSymbol(row, m_symbols, TRUE);
        return;
    }
    row.ScopeIndex = PackIndexChecked(m_nModul, block.Number, FALSE);
    if (block.ProcedureBlock != 0 && block.Number == block.ProcedureBlock + 1) {
        const LONG lifetime = m_nLifetime++;
        WriteLifetimes(lifetime, place, block.Start, block.End);
        row.Data[1] = SYAM_LIFETIME;
        row.Data[2] = lifetime;
        row.Data[3] = 1;
    }
    WriteLocalSymbol(row, m_symbols, TRUE);
}

void CEOMFFile::ReadSymbols(const EomfRecord &record)
{
    EomfSymbols symbols;
    if (!ReadEomfSymbols(record, &symbols))
        return;
    Block *block = FindBlock(symbols);
    for (const EomfSymbol &symbol : symbols.Entries) {
        const DWORD value = symbol.IsFlagged() ? DWORD(0) - symbol.Value : symbol.Value;
        const LONG address = static_cast<LONG>(symbols.Base + value);
        SymbolRecordTag row;
        row.Modul = m_nModul;
        row.Name = symbol.Name;
        row.ScopeIndex = m_nModul;
        switch (symbol.Kind()) {
        case EOMF_SYMBOL_BIT: {
            Location place;
            place.Mode = static_cast<LONG>(symbol.IsFlagged() ? SYAM_REGISTER_BIT : SYAM_ABSOLUTE_BIT);
            place.Value = static_cast<LONG>(symbol.IsFlagged() ? symbol.Value : symbols.Base + symbol.Value);
            place.Extra = symbol.BitNumber();
            if (!m_bCModule) {
                row.Data[0] = 13;
                row.Data[1] = place.Mode;
                row.Data[2] = place.Value;
                row.Data[3] = place.Extra;
                WriteStaticAsmSymbol(row, m_symbols);
            } else if (symbol.IsFlagged() && block != nullptr) {
                WriteVariable(symbol, 0x41, place, *block);
            }
            break;
        }
        case EOMF_SYMBOL_VARIABLE:
            if (!m_bCModule) {
                row.Data[0] = symbol.Type == 0x43 ? 14 : symbol.Type == 0x4C ? 17 : 15;
                row.Data[1] = SYAM_ABSOLUTE;
                row.Data[2] = address;
                row.Data[3] = -1;
                WriteStaticAsmSymbol(row, m_symbols);
            }
            break;
        case EOMF_SYMBOL_LABEL:
            if (m_bCModule && m_bDebugRecord) {
                row.ScopeIndex = block != nullptr ? block->FunctionIndex : 0;
                row.Data[0] = SYAM_ABSOLUTE;
                row.Data[1] = address;
                WriteLabelSymbol9(row, m_symbols);
            } else {
                row.Data[0] = LabelCallType(symbol.Type);
                row.Data[1] = SYAM_ABSOLUTE;
                row.Data[2] = address;
                row.Data[3] = 0;
                WriteStaticLabelSymbol(row, m_symbols);
            }
            break;
        case EOMF_SYMBOL_REGISTER:
            if (block != nullptr)
                WriteVariable(symbol, symbol.Type, PlaceRegister(symbol), *block);
            break;
        case EOMF_SYMBOL_STACK:
            if (block != nullptr) {
                Location place;
                place.Mode = SYAM_STACK;
                place.Value = symbol.IsFlagged() ? -LONG(symbol.Value) : LONG(symbol.Value);
                place.Extra = 0;
                WriteVariable(symbol, symbol.Type, place, *block);
            }
            break;
        default:
            break;
        }
    }
}
