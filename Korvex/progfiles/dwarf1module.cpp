// The DWARF 1.1 module pass (CELFFile::ReadDwarf1Module): one compilation unit's types,
// blocks, parameters, locals, labels, lifetimes and source lines.
//
// Scopes are named by a running number per module, counted by every subroutine and
// lexical block in entry order, exactly as the globals pass counts them for function
// statics; the function counter goes up for every subroutine that has a low address and
// a name, as the globals pass gives Functions rows, PCP modules included (their code is
// only kept out of the block rows). An entry's children run up to its sibling, so the pass keeps
// the entries whose children it is inside and closes each where its sibling begins.
#include "elffile.h"

#include <packedindex.h>
#include <symbolwriters.h>
#include <symdbstrings.h>
#include <typewriters.h>

#include "dwarf1modulestate.h"
#include "dwarf1types.h"

namespace {

const LONG MODE_ABSOLUTE = 1;
const LONG MODE_REGISTER = 3;
const LONG MODE_LIFETIME_LIST = 5;
const LONG MODE_LIST_END = 6;
const DWORD UNSET = 0xFFFFFFFF;

// A decoded place as the rows keep it: the third word of an address or a register,
// which the location block leaves unset, is 0.
CAddressValue RowPlace(CAddressValue place)
{
    if ((place.AddressMode == MODE_ABSOLUTE || place.AddressMode == MODE_REGISTER) && place.AddressExtra == UNSET)
        place.AddressExtra = 0;
    return place;
}

} // namespace

int CELFFile::ReadDwarf1Module(LONG modul)
{
    const CdbVariant key(modul);
    if (!SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key))
        return 0;
    if (m_moduls.m_Analyzed)
        return 1;
    const DWORD offset = static_cast<DWORD>(m_moduls.m_Offset);

    Dwarf1ModuleState state;
    state.sections = GetDwarf1Sections();
    state.modul = modul;
    BOOL found = FALSE;
    for (const Dwarf1Unit &unit : GetDwarf1Units()) {
        if (unit.offset == offset) {
            state.unit = unit;
            found = TRUE;
        }
    }
    if (!found) {
        SetNotice("module %d is not read: no compilation unit at %#x", modul, offset);
        return 0;
    }

    CQelDatabase &database = GetDatabase();
    database.BeginTrans();
    try {
        BeginModule(modul);
        ReadDwarf1ModuleUnit(state);
        ClearAnalyzedSourceFiles();
        if (SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key)) {
            m_moduls.Edit();
            m_moduls.m_Analyzed = TRUE;
            m_moduls.Update();
        }
        database.CommitTrans();
        return 1;
    } catch (CQelIndexRangeException *e) {
        database.Rollback();
        SetNotice("module %d is not read: type %#x of module %d is beyond what the database can number", modul,
                  e->m_nNumber, e->m_nModul);
        e->Delete();
    } catch (CQeldbException *e) {
        database.Rollback();
        SetNotice("module %d is not read: %s", modul, static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
    }
    return 0;
}

BOOL CELFFile::ReadDwarf1ModuleUnit(Dwarf1ModuleState &state)
{
    // Entry numbers are offsets in the unit and must stay below the synthetic ones.
    const DWORD size = state.unit.end - state.unit.offset;
    if (size >= static_cast<DWORD>(DWARF1_FIRST_SYNTHETIC_TYPE))
        throw new CQelIndexRangeException(state.modul, static_cast<LONG>(size));
    m_nSyntheticType = DWARF1_FIRST_SYNTHETIC_TYPE;
    m_nLowestSynthetic = static_cast<LONG>(size);

    // Typedefs may stand behind the structures whose bit-fields they type.
    {
        CDwarf1EntryReader reader(state.sections, state.unit.offset, state.unit.end);
        while (reader.NextEntry()) {
            if (reader.IsNull() || reader.GetTag() != DWARF1_TAG_TYPEDEF)
                continue;
            Dwarf1EntryValues entry;
            ReadDwarf1EntryValues(reader, state.sections, &entry);
            state.typedefs[entry.offset] = entry.type;
        }
    }

    WriteDwarf1FundamentalTypes();
    CDwarf1EntryReader reader(state.sections, state.unit.offset, state.unit.end);
    while (reader.NextEntry()) {
        if (reader.IsNull())
            continue;
        while (!state.opens.empty() && state.opens.back().end <= reader.GetEntryOffset())
            CloseDwarf1Construct(state);
        Dwarf1EntryValues entry;
        ReadDwarf1EntryValues(reader, state.sections, &entry);
        HandleDwarf1Entry(entry, state);
    }
    while (!state.opens.empty())
        CloseDwarf1Construct(state);
    AddDwarf1FunctionLines(state);
    return TRUE;
}

void CELFFile::HandleDwarf1Entry(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state)
{
    const Dwarf1ModuleState::Open *parent = state.opens.empty() ? nullptr : &state.opens.back();
    switch (entry.tag) {
    case DWARF1_TAG_COMPILE_UNIT:
        if (entry.offset != state.unit.offset)
            break;
        state.language = entry.hasLanguage ? entry.language : 2;
        state.pcp = IsDwarf1PcpUnit(Dwarf1Name(entry.name, state.language));
        state.unitLow = entry.low;
        ReadDwarf1SourceLines(entry, state);
        break;
    case DWARF1_TAG_ARRAY_TYPE:
        WriteDwarf1Array(entry, state);
        break;
    case DWARF1_TAG_ENUMERATION_TYPE:
        WriteDwarf1Enumeration(entry, state);
        break;
    case DWARF1_TAG_STRUCTURE_TYPE:
    case DWARF1_TAG_UNION_TYPE:
    case DWARF1_TAG_SUBROUTINE_TYPE:
    case DWARF1_TAG_POINTER_TYPE:
    case DWARF1_TAG_TYPEDEF:
        WriteDwarf1TypeEntry(entry, state);
        break;
    case DWARF1_TAG_MEMBER:
    case DWARF1_TAG_INHERITANCE:
        if (parent != nullptr && parent->kind == Dwarf1ModuleState::COMPOUND)
            WriteDwarf1Member(entry, state);
        break;
    case DWARF1_TAG_GLOBAL_SUBROUTINE:
    case DWARF1_TAG_SUBROUTINE:
    case DWARF1_TAG_LEXICAL_BLOCK:
        BeginDwarf1Scope(entry, state);
        break;
    case DWARF1_TAG_FORMAL_PARAMETER:
        if (parent != nullptr && parent->kind == Dwarf1ModuleState::FUNCTION_TYPE) {
            Dwarf1ModuleState::Open &function = state.opens.back();
            ++function.count;
            const LONG type = Dwarf1ModuleType(entry.type, entry.offset, state);
            if (type != kNoIndex) {
                TypeLinkRecordTag link;
                link.Modul = m_nModul;
                link.Number = static_cast<LONG>(state.InUnit(entry.offset));
                link.Type = type;
                link.Owner = function.number;
                WriteTypeLinkRecord(link, m_types, FALSE);
            }
        } else {
            WriteDwarf1Variable(entry, state);
        }
        break;
    case DWARF1_TAG_LOCAL_VARIABLE:
        WriteDwarf1Variable(entry, state);
        break;
    case DWARF1_TAG_GLOBAL_VARIABLE:
        Dwarf1ModuleType(entry.type, entry.offset, state);
        break;
    case DWARF1_TAG_LABEL:
        if (!entry.name.IsEmpty() && entry.hasLow) {
            SymbolRecordTag label;
            label.Modul = m_nModul;
            label.Name = Dwarf1Name(entry.name, state.language);
            label.ScopeIndex = m_nFunctionCounter;
            label.Data[0] = MODE_ABSOLUTE;
            label.Data[1] = static_cast<LONG>(state.pcp ? PcpCodeAddress(entry.low) : entry.low);
            WriteLabelSymbol9(label, m_symbols);
        }
        break;
    default:
        break;
    }
}

void CELFFile::BeginDwarf1Scope(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state)
{
    const bool subroutine = entry.tag != DWARF1_TAG_LEXICAL_BLOCK;
    const Dwarf1ModuleState::Open *outer =
        state.Innermost({Dwarf1ModuleState::SUBROUTINE, Dwarf1ModuleState::BLOCK});
    Dwarf1ModuleState::Open scope;
    scope.kind = subroutine ? Dwarf1ModuleState::SUBROUTINE : Dwarf1ModuleState::BLOCK;
    scope.end = Dwarf1ChildrenEnd(entry, state.unit.end);
    scope.number = ++state.scopeNumber;
    scope.functionIndex = outer != nullptr ? outer->functionIndex : 0;
    LONG blockNumber = 0;
    if (subroutine) {
        state.blockCounter = 0;
        Dwarf1ModuleType(entry.type, entry.offset, state);
        if (IsDwarf1Function(entry, state.language)) {
            scope.functionIndex = ++m_nFunctionCounter;
            state.functionAddresses.push_back(state.pcp ? PcpCodeAddress(entry.low) : entry.low);
        }
        scope.hasBody = entry.hasBodyBegin && entry.hasBodyEnd;
        scope.bodyBegin = entry.bodyBegin;
        scope.bodyEnd = entry.bodyEnd;
    } else {
        blockNumber = ++state.blockCounter;
    }
    if (!state.pcp && entry.hasLow) {
        UnnamedSymbolRecordTag block;
        block.Modul = m_nModul;
        block.ScopeIndex = scope.number;
        block.Data[0] = blockNumber;
        block.Data[1] = MODE_ABSOLUTE;
        block.Data[2] = static_cast<LONG>(entry.low);
        block.Data[3] = 0;
        block.Data[4] = entry.hasHigh ? static_cast<LONG>(entry.high - entry.low) : 0;
        WriteBlockSymbol(block, m_symbols);
    }
    if (state.opens.size() < MAX_DWARF1_NESTING) {
        // A child never outlives its parent, whatever its sibling says.
        if (!state.opens.empty() && scope.end > state.opens.back().end)
            scope.end = state.opens.back().end;
        state.opens.push_back(scope);
    }
}

void CELFFile::WriteDwarf1Variable(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state)
{
    const bool parameter = entry.tag == DWARF1_TAG_FORMAL_PARAMETER;
    const LONG type = Dwarf1ModuleType(entry.type, entry.offset, state);
    const CString name = Dwarf1Name(entry.name, state.language);
    if (name.IsEmpty())
        return;
    const Dwarf1ModuleState::Open *scope =
        state.Innermost({Dwarf1ModuleState::SUBROUTINE, Dwarf1ModuleState::BLOCK});
    SymbolRecordTag record;
    record.Modul = m_nModul;
    record.Name = name;
    if (!parameter && !entry.hasLocationList && entry.hasLocation && entry.location.AddressMode == MODE_ABSOLUTE) {
        // A static: the globals pass wrote it; here it is a label of its function.
        record.ScopeIndex = m_nFunctionCounter;
        record.Data[0] = MODE_ABSOLUTE;
        record.Data[1] = static_cast<LONG>(entry.location.AddressValue);
        WriteLabelSymbol9(record, m_symbols);
        return;
    }
    LONG triple[3];
    if (!PlaceDwarf1Variable(entry, state, triple))
        return;
    record.Data[0] = type;
    std::copy(triple, triple + 3, record.Data + 1);
    if (parameter) {
        record.ScopeIndex = scope != nullptr ? scope->functionIndex : 0;
        WriteParameterSymbol(record, m_symbols, FALSE);
    } else {
        record.ScopeIndex = scope != nullptr ? scope->number : 0;
        WriteLocalSymbol(record, m_symbols, FALSE);
    }
}

BOOL CELFFile::PlaceDwarf1Variable(const Dwarf1EntryValues &entry, const Dwarf1ModuleState &state, LONG *triple)
{
    const LONG list = m_nLifetimeList;
    if (entry.hasLocationList) {
        std::vector<Dwarf1LifetimeEntry> ranges;
        ReadDwarf1LocationList(state.sections.locExt, state.sections.locExtSize, entry.locationList, state.unitLow,
                               &ranges);
        if (ranges.empty())
            return FALSE;
        for (const Dwarf1LifetimeEntry &range : ranges) {
            const CAddressValue place = RowPlace(range.place);
            WriteLifetime(list, range.address, static_cast<LONG>(place.AddressMode),
                          static_cast<LONG>(place.AddressValue), static_cast<LONG>(place.AddressExtra));
        }
    } else if (entry.hasLocation && entry.location.AddressMode != UNSET) {
        const CAddressValue place = RowPlace(entry.location);
        const Dwarf1ModuleState::Open *subroutine = state.Innermost({Dwarf1ModuleState::SUBROUTINE});
        if (subroutine == nullptr || !subroutine->hasBody) {
            triple[0] = static_cast<LONG>(place.AddressMode);
            triple[1] = static_cast<LONG>(place.AddressValue);
            triple[2] = static_cast<LONG>(place.AddressExtra);
            return TRUE;
        }
        WriteLifetime(list, subroutine->bodyBegin, static_cast<LONG>(place.AddressMode),
                      static_cast<LONG>(place.AddressValue), static_cast<LONG>(place.AddressExtra));
        WriteLifetime(list, subroutine->bodyEnd, MODE_LIST_END, -1, -1);
    } else {
        return FALSE;
    }
    ++m_nLifetimeList;
    triple[0] = MODE_LIFETIME_LIST;
    triple[1] = list;
    triple[2] = 1;
    return TRUE;
}

void CELFFile::ReadDwarf1SourceLines(const Dwarf1EntryValues &unit, Dwarf1ModuleState &state)
{
    struct Run {
        LONG file;
        DWORD table, first, until;
    };
    std::vector<Run> runs;
    DWORD lineSize = 0, srcinfoSize = 0, sfnamesSize = 0;
    const BYTE *line = GetDebugSectionData(ELF_LINE, &lineSize);
    const BYTE *srcinfo = GetDebugSectionData(ELF_DEBUG_SRCINFO, &srcinfoSize);
    const BYTE *sfnames = GetDebugSectionData(ELF_DEBUG_SFNAMES, &sfnamesSize);
    if (srcinfo != nullptr && sfnames != nullptr && unit.hasSourceInfo && unit.hasNames) {
        Dwarf1SourceInfo info;
        if (ReadDwarf1SourceInfo(srcinfo, srcinfoSize, sfnames, sfnamesSize, unit.sourceInfo, unit.names, &info))
            for (const Dwarf1SourceFile &file : info.files)
                runs.push_back({FindSourceFile(file.name, unit.compilationDirectory), info.lineTable, file.lineOffset,
                                file.lineEnd});
    } else if (unit.hasStatementList) {
        runs.push_back({FindSourceFile(unit.name, unit.compilationDirectory), unit.statementList, 0, 0});
    }
    if (line == nullptr || runs.empty())
        return;

    if (!m_sourceLines.IsOpen())
        m_sourceLines.Open();
    for (const Run &run : runs) {
        std::vector<Dwarf1LineEntry> entries;
        if (run.file < 0 || !ReadDwarf1LineTable(line, lineSize, run.table, run.first, run.until, &entries))
            continue;
        BOOL any = FALSE;
        for (size_t i = 0; i < entries.size(); ++i) {
            const Dwarf1LineEntry &entry = entries[i];
            DWORD address = entry.address;
            if (state.pcp) {
                // PCP tables end at an offset of -1 or -2, repeat entries, and start
                // over at offset 0 only at their first entry.
                if (entry.delta == 0xFFFFFFFF || entry.delta == 0xFFFFFFFE)
                    break;
                if (i > 0 && entry.line == entries[i - 1].line && entry.delta == entries[i - 1].delta)
                    continue;
                if (i > 0 && entry.delta == 0)
                    continue;
                address = PcpCodeAddress(entry.address);
            }
            if (entry.line == 0)
                continue;
            const int section = FindSectionIndex(address);
            if (section < 0)
                continue;
            m_sourceLines.AddNew();
            m_sourceLines.m_SourceLine = static_cast<LONG>(entry.line);
            m_sourceLines.m_SectionIndex = section;
            m_sourceLines.m_SourceFileIndex = run.file;
            m_sourceLines.m_AddressMode = MODE_ABSOLUTE;
            m_sourceLines.m_AddressValue = static_cast<LONG>(address);
            m_sourceLines.m_Length = -1;
            m_sourceLines.Update();
            m_linedSourceFiles.insert(run.file);
            any = TRUE;
            auto lowest = state.lowest.find(section);
            if (lowest == state.lowest.end() || address < lowest->second.address)
                state.lowest[section] = {address, entry.line, run.file};
        }
        if (state.pcp && any && SeekKey(m_sourceFiles, IDS_DB_SOURCEFILEINDEXKEY, CdbVariant(run.file)) &&
            m_sourceFiles.m_Type != 1002) {
            m_sourceFiles.Edit();
            m_sourceFiles.m_Type = 1002;
            m_sourceFiles.Update();
        }
    }
}

void CELFFile::AddDwarf1FunctionLines(const Dwarf1ModuleState &state)
{
    // A function that begins before the first line of its section (its entry code has
    // no line of its own) takes that first line.
    for (DWORD address : state.functionAddresses) {
        const int section = FindSectionIndex(address);
        auto lowest = state.lowest.find(section);
        if (section < 0 || lowest == state.lowest.end() || address >= lowest->second.address)
            continue;
        m_sourceLines.AddNew();
        m_sourceLines.m_SourceLine = static_cast<LONG>(lowest->second.line);
        m_sourceLines.m_SectionIndex = section;
        m_sourceLines.m_SourceFileIndex = lowest->second.file;
        m_sourceLines.m_AddressMode = MODE_ABSOLUTE;
        m_sourceLines.m_AddressValue = static_cast<LONG>(address);
        m_sourceLines.m_Length = -1;
        m_sourceLines.Update();
    }
}
