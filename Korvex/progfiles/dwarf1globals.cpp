// The globals pass over DWARF 1.1 debugging information (CELFGlobals::ReadDwarf1Globals).
//
// DWARF 1.1 has no tree: an entry's children are the entries between it and its sibling.
// The pass walks ".debug" once, keeping the subroutines and blocks whose children it is
// inside, and writes what the symbol engine needs before any module is read: a module
// per compilation unit with its source files and the sections its code lies in, the
// functions, and the variables at fixed addresses.
//
// Function statics are found by the scope that holds them, and the module pass numbers
// those scopes (every subroutine and lexical block of the module, in entry order); this
// pass counts them the same way so that both name a scope alike. A declaration without
// a location is kept until the end: its definition may still come, in this unit or in
// another, and only then is the declared variable written once from the symbol table.
#include "elfglobals.h"

#include <nameencoding.h>
#include <packedindex.h>
#include <symbolwriters.h>

#include "demangler.h"
#include "dwarf1types.h"
#include "progfilepaths.h"

#include <map>
#include <set>
#include <string>
#include <utility>

struct CELFGlobals::Dwarf1GlobalsState {
    // A subroutine or block whose children the walk is inside.
    struct Scope {
        DWORD end;
        LONG number;        // the running number of scopes in the module
        LONG functionIndex; // of the subroutine that holds it, 0 for none
        bool subroutine;
    };
    struct Pending {
        LONG modul;
        LONG type;
    };

    Dwarf1Sections sections;
    Dwarf1Unit unit{0, 0};
    LONG modul = 0;
    DWORD language = 2;
    BOOL pcp = FALSE;
    LONG unitFile = -1;
    LONG scopeNumber = 0;
    std::vector<Scope> scopes;
    // Declarations waiting for their definition, and the variables written, by address
    // and name.
    using Key = std::pair<DWORD, std::string>;
    std::map<Key, Pending> pending;
    std::set<Key> defined;
    std::set<Key> statics;
};

BOOL CELFGlobals::HasDwarf1() const
{
    return GetDebugSection(ELF_DEBUG) >= 0;
}

Dwarf1Sections CELFGlobals::GetDwarf1Sections() const
{
    Dwarf1Sections sections;
    DWORD size = 0;
    sections.debug = GetDebugSectionData(ELF_DEBUG, &size);
    sections.debugSize = sections.debug != nullptr ? size : 0;
    sections.locExt = GetDebugSectionData(ELF_DEBUG_LOC_EXT, &size);
    sections.locExtSize = sections.locExt != nullptr ? size : 0;
    return sections;
}

const std::vector<Dwarf1Unit> &CELFGlobals::GetDwarf1Units()
{
    if (!m_bDwarf1UnitsFound) {
        m_dwarf1Units = FindDwarf1Units(GetDwarf1Sections());
        m_bDwarf1UnitsFound = TRUE;
    }
    return m_dwarf1Units;
}

BOOL CELFGlobals::IsDwarf1PcpUnit(LPCSTR name) const
{
    // The windows are read from the PCP debugger's debug server at the load, which lets
    // it go after the globals pass: the module passes know the PCP by its windows.
    if (GetCodeWindow().Read != 1)
        return FALSE;
    const size_t length = strlen(name);
    const char *tail = name + (length > 5 ? length - 5 : 0);
    return strstr(tail, ".pcp") != nullptr;
}

DWORD CELFGlobals::PcpCodeAddress(DWORD word) const
{
    return GetCodeWindow().Base + 2 * word;
}

BOOL CELFGlobals::FindSymbolAddress(const CString &name, BOOL demangled, DWORD *address)
{
    const int which = demangled ? 1 : 0;
    const int table = GetDebugSection(ELF_SYMTAB);
    if (!m_bSymbolAddressesRead[which] && table >= 0) {
        const CElfImage &image = GetImage();
        const DWORD count = image.GetSymbolCount(static_cast<UINT>(table));
        for (DWORD i = 0; i < count; ++i) {
            ELF_SYMBOL symbol;
            if (!image.GetSymbol(static_cast<UINT>(table), i, &symbol) || symbol.st_shndx == SHN_UNDEF)
                continue;
            LPCSTR text = image.GetSymbolName(static_cast<UINT>(table), symbol);
            if (text == nullptr || *text == '\0')
                continue;
            const CString key = demangled ? Dwarf1Name(text, DWARF1_LANG_C_PLUS_PLUS) : CString(text);
            m_symbolAddresses[which].emplace(static_cast<LPCSTR>(key), symbol.st_value);
        }
    }
    m_bSymbolAddressesRead[which] = TRUE;
    auto found = m_symbolAddresses[which].find(static_cast<LPCSTR>(name));
    if (found == m_symbolAddresses[which].end())
        return FALSE;
    *address = found->second;
    return TRUE;
}

int CELFGlobals::ReadDwarf1Globals(HWND progressWindow, DWORD *position)
{
    Dwarf1GlobalsState state;
    state.sections = GetDwarf1Sections();
    const std::vector<Dwarf1Unit> &units = GetDwarf1Units();
    const DWORD start = *position;
    size_t next = 0;
    CDwarf1EntryReader reader(state.sections);
    while (reader.NextEntry()) {
        *position = start + reader.GetEntryOffset();
        PostProgressPosition(progressWindow, *position);
        if (reader.IsNull())
            continue;
        const DWORD offset = reader.GetEntryOffset();
        while (!state.scopes.empty() && state.scopes.back().end <= offset)
            state.scopes.pop_back();
        Dwarf1EntryValues entry;
        ReadDwarf1EntryValues(reader, state.sections, &entry);
        try {
            if (entry.tag == DWARF1_TAG_COMPILE_UNIT) {
                while (next < units.size() && units[next].offset < offset)
                    ++next;
                if (next < units.size() && units[next].offset == offset)
                    state.unit = units[next];
                ReadDwarf1Unit(entry, state);
                continue;
            }
            // Entries before the first unit, or of a unit the database cannot number,
            // belong to no module.
            if (state.modul == 0)
                continue;
            switch (entry.tag) {
            case DWARF1_TAG_GLOBAL_SUBROUTINE:
            case DWARF1_TAG_SUBROUTINE:
                ReadDwarf1Subroutine(entry, state);
                break;
            case DWARF1_TAG_LEXICAL_BLOCK: {
                const LONG function = state.scopes.empty() ? 0 : state.scopes.back().functionIndex;
                ++state.scopeNumber;
                if (state.scopes.size() < MAX_DWARF1_NESTING)
                    state.scopes.push_back({Dwarf1ChildrenEnd(entry, state.unit.end), state.scopeNumber, function, false});
                break;
            }
            case DWARF1_TAG_GLOBAL_VARIABLE:
            case DWARF1_TAG_LOCAL_VARIABLE:
                ReadDwarf1Variable(entry, state);
                break;
            default:
                break;
            }
        } catch (CQelIndexRangeException *e) {
            SetNotice("entry at %#x: type %#x of module %d is beyond what the database can number", offset,
                      e->m_nNumber, e->m_nModul);
            e->Delete();
        }
    }

    for (const auto &[key, declaration] : state.pending) {
        if (declaration.type == kNoIndex)
            continue;
        SymbolRecordTag record;
        record.Modul = declaration.modul;
        record.Name = key.second.c_str();
        record.ScopeIndex = declaration.modul;
        record.Data[0] = declaration.type;
        record.Data[1] = 1;
        record.Data[2] = static_cast<LONG>(key.first);
        record.Data[3] = 0;
        try {
            WriteGlobalSymbol(record, m_symbols, FALSE);
        } catch (CQelIndexRangeException *e) {
            e->Delete();
        }
    }
    return 1;
}

void CELFGlobals::ReadDwarf1Unit(const Dwarf1EntryValues &unit, Dwarf1GlobalsState &state)
{
    state.modul = 0;
    state.scopes.clear();
    state.scopeNumber = 0;
    state.unitFile = -1;
    state.language = unit.hasLanguage ? unit.language : 2;
    const LONG modul = m_moduls.GetRecordCount() + 1;
    if (modul > kMaxPackedModul) {
        SetNotice("unit at %#x: module %d is beyond what the database can number; the unit is not read", unit.offset,
                  static_cast<int>(modul));
        return;
    }
    const CString name = Dwarf1Name(unit.name, state.language);
    m_moduls.AddNew();
    m_moduls.m_ModulIndex = modul;
    m_moduls.m_Analyzed = FALSE;
    m_moduls.m_Offset = static_cast<LONG>(unit.offset);
    // The column takes no empty name.
    if (!name.IsEmpty())
        m_moduls.m_Name = name;
    else
        m_moduls.m_Name.Format("_unnamed_modul%d", static_cast<int>(modul));
    m_moduls.Update();
    state.modul = modul;
    state.pcp = IsDwarf1PcpUnit(name);

    m_nCurrentSection = -1;
    m_nCurrentSourceFile = 0;
    DWORD srcinfoSize = 0, sfnamesSize = 0;
    const BYTE *srcinfo = GetDebugSectionData(ELF_DEBUG_SRCINFO, &srcinfoSize);
    const BYTE *sfnames = GetDebugSectionData(ELF_DEBUG_SFNAMES, &sfnamesSize);
    Dwarf1SourceInfo info;
    if (srcinfo != nullptr && sfnames != nullptr && unit.hasSourceInfo && unit.hasNames) {
        if (ReadDwarf1SourceInfo(srcinfo, srcinfoSize, sfnames, sfnamesSize, unit.sourceInfo, unit.names, &info)) {
            // Every file the table names has lines, the unit's own (primary) file too:
            // the queries look for a file's lines only in files marked so. The primary
            // file is the unit's own, wherever its lines stand in the table (an inline
            // function of a header may come first); else the first named.
            size_t primary = 0;
            for (size_t i = 0; i < info.files.size(); ++i)
                if (info.files[i].name == unit.name) {
                    primary = i;
                    break;
                }
            for (size_t i = 0; i < info.files.size(); ++i) {
                const Dwarf1SourceFile &file = info.files[i];
                RegisterSourceFile(file.name, TRUE, unit.compilationDirectory);
                if (i == primary)
                    state.unitFile = FindSourceFile(file.name, unit.compilationDirectory);
                RecordDwarf1LineRelations(info.lineTable, file.lineOffset, file.lineEnd, state.pcp);
            }
            if (info.endedByName || info.files.empty()) {
                RegisterSourceFile(unit.name, FALSE, unit.compilationDirectory);
                if (state.unitFile < 0)
                    state.unitFile = FindSourceFile(unit.name, unit.compilationDirectory);
            }
        }
        return;
    }
    RegisterSourceFile(unit.name, unit.hasStatementList ? TRUE : FALSE, unit.compilationDirectory);
    state.unitFile = FindSourceFile(unit.name, unit.compilationDirectory);
    if (unit.hasStatementList)
        RecordDwarf1LineRelations(unit.statementList, 0, 0, state.pcp);
}

void CELFGlobals::RecordDwarf1LineRelations(DWORD table, DWORD first, DWORD until, BOOL pcp)
{
    DWORD size = 0;
    const BYTE *line = GetDebugSectionData(ELF_LINE, &size);
    std::vector<Dwarf1LineEntry> entries;
    if (line == nullptr || !ReadDwarf1LineTable(line, size, table, first, until, &entries))
        return;
    for (const Dwarf1LineEntry &entry : entries)
        RecordRelations(CAddressValue(pcp ? PcpCodeAddress(entry.address) : entry.address, 1, 0));
}

void CELFGlobals::ReadDwarf1Subroutine(const Dwarf1EntryValues &entry, Dwarf1GlobalsState &state)
{
    const LONG outer = state.scopes.empty() ? 0 : state.scopes.back().functionIndex;
    ++state.scopeNumber;
    LONG functionIndex = outer;
    if (IsDwarf1Function(entry, state.language)) {
        const DWORD low = state.pcp ? PcpCodeAddress(entry.low) : entry.low;
        const DWORD length = state.pcp ? 2 * (entry.high - entry.low) : entry.high - entry.low;
        const DWORD inUnit = entry.offset - state.unit.offset;
        const LONG type = Dwarf1TypeNumber(entry.type, inUnit, state.unit.offset, state.unit.end);
        CString name = Dwarf1Name(entry.name, state.language);
        if (entry.hasMember && !state.pcp)
            name = Dwarf1MemberFunctionName(entry, name, state);
        name = CutDwarf1Name(name);
        const LONG returnType = PackIndexChecked(state.modul, type == kNoIndex ? DWARF1_VOID_TYPE : type, FALSE);
        RecordRelations(CAddressValue(low, 1, 0));
        functionIndex = m_functions.GetRecordCount() + 1;
        m_functions.AddNew();
        m_functions.m_FunctionIndex = functionIndex;
        m_functions.m_Name = name;
        EncodeNameString(name, m_functions.m_NameString);
        m_functions.m_AddressMode = 1;
        m_functions.m_AddressValue = static_cast<LONG>(low);
        m_functions.m_Length = static_cast<LONG>(length);
        m_functions.m_ReturnType = returnType;
        m_functions.m_SectionIndex = m_nCurrentSection;
        m_functions.m_Scope = entry.tag == DWARF1_TAG_GLOBAL_SUBROUTINE ? -state.modul : state.modul;
        m_functions.m_CallType = 0;
        m_functions.Update();
    }
    if (state.scopes.size() < MAX_DWARF1_NESTING)
        state.scopes.push_back({Dwarf1ChildrenEnd(entry, state.unit.end), state.scopeNumber, functionIndex, true});
}

CString CELFGlobals::Dwarf1MemberFunctionName(const Dwarf1EntryValues &entry, const CString &name,
                                              const Dwarf1GlobalsState &state)
{
    Dwarf1EntryValues owner;
    if (!ReadDwarf1EntryAt(state.sections, entry.member, &owner))
        return name;
    CString full;
    full.Format("%s::%s", static_cast<LPCSTR>(Dwarf1Name(owner.name, state.language)), static_cast<LPCSTR>(name));
    if (!entry.hasSibling)
        return full;

    // The formal parameters follow the subroutine's entry, up to its sibling.
    const DWORD end = Dwarf1ChildrenEnd(entry, state.unit.end);
    CDwarf1EntryReader reader(state.sections, entry.offset + entry.length, end);
    int written = 0;
    while (reader.NextEntry() && !reader.IsNull() && reader.GetTag() == DWARF1_TAG_FORMAL_PARAMETER) {
        Dwarf1EntryValues parameter;
        ReadDwarf1EntryValues(reader, state.sections, &parameter);
        const CString parameterName = Dwarf1Name(parameter.name, state.language);
        if (parameterName == "this")
            continue;
        CString typeName, marks;
        if (parameter.type.user) {
            Dwarf1EntryValues named;
            if (ReadDwarf1EntryAt(state.sections, parameter.type.value, &named))
                typeName = Dwarf1Name(named.name, state.language);
        } else if (parameter.type.present) {
            typeName = Dwarf1FundamentalName(parameter.type.value);
        }
        bool constant = false;
        for (BYTE modifier : parameter.type.modifiers) {
            if (modifier == DWARF1_MOD_CONST)
                constant = true;
            else if (modifier == DWARF1_MOD_POINTER_TO)
                marks += "*";
            else if (modifier == DWARF1_MOD_REFERENCE_TO)
                marks += "&";
        }
        CString text;
        text.Format("%s%s%s%s %s", written == 0 ? "(" : ", ", constant ? "const " : "", static_cast<LPCSTR>(typeName),
                    static_cast<LPCSTR>(marks), static_cast<LPCSTR>(parameterName));
        full += text;
        ++written;
        // Enough for the 254 characters that the row keeps.
        if (full.GetLength() > 1024)
            break;
    }
    if (written > 0)
        full += ")";
    return full;
}

void CELFGlobals::ReadDwarf1Variable(const Dwarf1EntryValues &entry, Dwarf1GlobalsState &state)
{
    const CString name = Dwarf1Name(entry.name, state.language);
    if (name.IsEmpty())
        return;
    const DWORD inUnit = entry.offset - state.unit.offset;
    const LONG type = Dwarf1TypeNumber(entry.type, inUnit, state.unit.offset, state.unit.end);
    const bool fixed = entry.hasLocation && entry.location.AddressMode == 1;
    SymbolRecordTag record;
    record.Modul = state.modul;
    record.Name = name;
    record.ScopeIndex = state.modul;
    record.Data[0] = type;
    record.Data[1] = 1;
    record.Data[2] = static_cast<LONG>(entry.location.AddressValue);
    record.Data[3] = 0;

    if (entry.tag == DWARF1_TAG_GLOBAL_VARIABLE) {
        if (fixed) {
            const Dwarf1GlobalsState::Key key(entry.location.AddressValue, static_cast<LPCSTR>(name));
            if (!state.defined.insert(key).second)
                return;
            state.pending.erase(key);
            WriteGlobalSymbol(record, m_symbols, FALSE);
            return;
        }
        DWORD address = 0;
        if (entry.hasLocation ||
            !FindSymbolAddress(name, state.language == DWARF1_LANG_C_PLUS_PLUS ? TRUE : FALSE, &address))
            return;
        const Dwarf1GlobalsState::Key key(address, static_cast<LPCSTR>(name));
        if (state.defined.count(key) == 0)
            state.pending.emplace(key, Dwarf1GlobalsState::Pending{state.modul, type});
        return;
    }

    // A local variable: a static of its function or block, or of its unit.
    if (!fixed || entry.hasLocationList)
        return;
    if (state.scopes.empty()) {
        record.Data[4] = state.unitFile;
        WriteModulStaticSymbol(record, m_symbols, FALSE);
        return;
    }
    if (!state.statics.insert(Dwarf1GlobalsState::Key(entry.location.AddressValue, static_cast<LPCSTR>(name))).second)
        return;
    record.ScopeIndex = state.scopes.back().number;
    record.Data[4] = state.unitFile;
    record.Data[5] = state.scopes.back().functionIndex;
    WriteLocalStaticSymbol(record, m_symbols, FALSE);
}
