// The globals pass over DWARF 2 debugging information (CELFGlobals::ReadDwarf2Globals).
//
// Every unit becomes a module. The pass reads what the symbol engine needs before any
// module is read: the modules with their source files and the sections they fill, the
// functions, and the variables that have a fixed address, wherever they are declared.
// The module pass (CELFFile) reads the rest of a unit when it is asked for.
//
// The walk keeps the nesting of the entries on a stack, so a variable knows the function
// and the innermost block around it, also after a nested block has ended. Each unit is
// written inside a savepoint: a unit that turns out damaged half-way, or whose numbers
// cannot be packed, leaves none of its rows.
#include "elfglobals.h"

#include <diaghelper.h>
#include <nameencoding.h>
#include <packedindex.h>
#include <stringtext.h>
#include <symbolwriters.h>
#include <symdbstrings.h>

#include "dwarf2codes.h"
#include "progfilepaths.h"
#include "varedcheck.h"

#include <unordered_map>
#include <vector>

// What an entry with children means to the entries inside it.
struct CELFGlobals::GlobalsScope {
    BOOL inFunction = FALSE;
    LONG scope = 0;          // packed: the innermost function or block with code
    LONG functionIndex = 0;  // the innermost function with a Functions row
    CString qualifier;       // the enclosing classes and namespaces
};

Dwarf2Sections CELFGlobals::GetDwarf2Sections() const
{
    Dwarf2Sections sections;
    DWORD size = 0;
    sections.info = GetDebugSectionData(ELF_DEBUG_INFO, &size);
    sections.infoSize = sections.info != nullptr ? size : 0;
    sections.abbrev = GetDebugSectionData(ELF_DEBUG_ABBREV, &size);
    sections.abbrevSize = sections.abbrev != nullptr ? size : 0;
    sections.str = GetDebugSectionData(ELF_DEBUG_STR, &size);
    sections.strSize = sections.str != nullptr ? size : 0;
    sections.loc = GetDebugSectionData(ELF_DEBUG_LOC, &size);
    sections.locSize = sections.loc != nullptr ? size : 0;
    sections.bigEndian = GetEncoding() == ELFDATA2MSB;
    return sections;
}

BOOL CELFGlobals::HasDwarf2Only() const
{
    return GetDebugSection(ELF_DEBUG_INFO) >= 0 && GetDebugSection(ELF_DEBUG_ABBREV) >= 0 &&
           GetDebugSection(ELF_DEBUG) < 0;
}

CString CELFGlobals::LineFileDirectory(const CDwarfLineProgram &program, DWORD file,
                                       const CString &compilationDirectory)
{
    CString directory = program.GetFileDirectory(file);
    if (directory.IsEmpty())
        return compilationDirectory;
    if (directory[0] == '/' || directory[0] == '\\' || compilationDirectory.IsEmpty() ||
        (directory.GetLength() > 1 && directory[1] == ':'))
        return directory;
    return compilationDirectory + "/" + directory;
}

void CELFGlobals::CheckVarEd()
{
    CQelDiagHelper diagnostics(GetHostObject(), "QelSymbolEngine", nullptr);
    const int index = GetImage().FindSection(".VarEd_Info");
    DWORD size = 0;
    const BYTE *text = index >= 0 ? GetSectionData(index, &size) : nullptr;
    static const BYTE empty = 0;
    if (index >= 0 && text == nullptr)
        text = &empty;
    CheckVarEdInfo(GetHostObject(), text, size, m_varEd, diagnostics);
}

void CELFGlobals::ResolveVarEdVariable(LPCSTR name, DWORD address)
{
    if (!m_varEd.WantsVariable(name))
        return;
    m_symbols.SetBookmark(m_symbols.GetLastModifiedBookmark());
    m_varEd.ResolveVariable(name, m_symbols.m_SymbolIndex, address);
}

int CELFGlobals::ReadDwarf2Globals(HWND progressWindow, DWORD *position)
{
    const Dwarf2Sections sections = GetDwarf2Sections();
    CDwarf2EntryReader reader(sections);
    const DWORD start = *position;
    DWORD offset = 0;
    while (offset < sections.infoSize) {
        const CDwarf2EntryReader::UnitStatus status = reader.BeginUnit(offset);
        if (status == CDwarf2EntryReader::UNIT_END)
            break;
        if (status != CDwarf2EntryReader::UNIT_OK) {
            SetNotice("%s", static_cast<LPCSTR>(reader.GetDiagnostic()));
        } else {
            // What a unit given up resolved of the VarEd statements goes with its rows.
            const CVarEdStatements varEd = m_varEd.IsEmpty() ? CVarEdStatements() : m_varEd;
            m_database.BeginTrans();
            try {
                if (ReadDwarf2GlobalsUnit(reader)) {
                    m_database.CommitTrans();
                } else {
                    m_database.Rollback();
                    m_varEd = varEd;
                    SetNotice("%s; the unit is not read", static_cast<LPCSTR>(reader.GetDiagnostic()));
                }
            } catch (CQelIndexRangeException *e) {
                m_database.Rollback();
                m_varEd = varEd;
                SetNotice("unit at %#x: its module %d or entry %#x is beyond what the database can number; the unit "
                          "is not read",
                          offset, e->m_nModul, e->m_nNumber);
                e->Delete();
            } catch (...) {
                m_database.Rollback();
                throw;
            }
        }
        const DWORD next = reader.GetUnit().end;
        if (next <= offset)
            break;
        offset = next;
        *position = start + offset;
        PostProgressPosition(progressWindow, *position);
    }
    if (!m_varEd.IsEmpty()) {
        CQelDiagHelper diagnostics(GetHostObject(), "QelSymbolEngine", nullptr);
        m_varEd.WriteRows(m_symbols, diagnostics);
    }
    return 1;
}

BOOL CELFGlobals::ReadDwarf2GlobalsUnit(CDwarf2EntryReader &reader)
{
    m_nCurrentSection = -1;
    m_nCurrentSourceFile = 0;
    m_nUnitSourceFile = -1;
    LONG modul = 0;
    Dwarf2Qualifiers qualifiers;
    std::vector<GlobalsScope> scopes;
    GlobalsScope outermost;

    while (reader.NextEntry()) {
        if (reader.GetAbbreviationCode() == 0) {
            if (!scopes.empty())
                scopes.pop_back();
            continue;
        }
        const GlobalsScope &around = scopes.empty() ? outermost : scopes.back();
        const DWORD tag = reader.GetTag();
        const DWORD offset = reader.GetEntryOffset();
        const bool children = reader.HasChildren();
        if (!around.qualifier.IsEmpty() &&
            (tag == DW_TAG_subprogram || tag == DW_TAG_variable || tag == DW_TAG_member))
            qualifiers[offset] = around.qualifier;
        GlobalsScope inner = around;

        if (modul == 0) {
            // Everything of the unit hangs from its first entry, the unit itself.
            if (tag != DW_TAG_compile_unit)
                return TRUE;
            modul = m_moduls.GetRecordCount() + 1;
            WriteDwarf2Modul(reader, modul);
        } else if (tag == DW_TAG_subprogram || tag == DW_TAG_inlined_subroutine) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry, &qualifiers);
            WriteDwarf2Function(entry, modul, tag == DW_TAG_inlined_subroutine, &inner);
        } else if (tag == DW_TAG_lexical_block) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry);
            if (entry.hasLow && entry.hasHigh && entry.high != 0)
                inner.scope = PackIndexChecked(modul, offset, FALSE);
        } else if (tag == DW_TAG_variable) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry, &qualifiers);
            WriteDwarf2Variable(entry, modul, around);
        } else if (tag == DW_TAG_structure_type || tag == DW_TAG_class_type || tag == DW_TAG_union_type ||
                   tag == DW_TAG_namespace) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry);
            if (entry.hasName && !entry.name.IsEmpty())
                inner.qualifier = around.qualifier.IsEmpty() ? entry.name : around.qualifier + "::" + entry.name;
        }
        if (children)
            scopes.push_back(inner);
    }
    // A walk that stops before the unit's end met an entry it cannot read.
    return reader.GetDiagnostic().IsEmpty();
}

void CELFGlobals::WriteDwarf2Modul(CDwarf2EntryReader &reader, LONG modul)
{
    Dwarf2EntryValues unit;
    ReadDwarf2EntryValues(reader, &unit);
    m_moduls.AddNew();
    m_moduls.m_ModulIndex = modul;
    m_moduls.m_Analyzed = FALSE;
    m_moduls.m_Offset = static_cast<LONG>(reader.GetUnit().offset);
    if (unit.hasName && !unit.name.IsEmpty())
        m_moduls.m_Name = ExtractFileName(unit.name);
    else
        m_moduls.m_Name.Format("_unnamed_modul%d", modul);
    m_moduls.Update();

    RegisterLineFiles(unit);
    if (unit.hasName && !unit.name.IsEmpty())
        m_nUnitSourceFile = FindSourceFile(unit.name, unit.compilationDirectory);
}

void CELFGlobals::RegisterLineFiles(const Dwarf2EntryValues &unit)
{
    BOOL anyFile = FALSE;
    DWORD size = 0;
    const BYTE *lines = GetDebugSectionData(ELF_DEBUG_LINE, &size);
    CDwarfLineProgram program;
    if (unit.hasStatementList && lines != nullptr &&
        program.Read(lines, size, unit.statementList, GetEncoding() == ELFDATA2MSB) == CDwarfLineProgram::LINE_OK) {
        // A unit's rows switch between its files often; each file is registered once.
        std::unordered_map<DWORD, LONG> registered;
        DWORD previousFile = 0;
        for (const DwarfLineRow &row : program.GetRows()) {
            if (row.file != previousFile) {
                previousFile = row.file;
                auto known = registered.find(row.file);
                if (known != registered.end()) {
                    m_nCurrentSourceFile = known->second;
                    m_nCurrentSection = -1;
                } else {
                    const CString name = program.GetFileName(row.file);
                    if (name.IsEmpty())
                        continue;
                    RegisterSourceFile(name, TRUE, LineFileDirectory(program, row.file, unit.compilationDirectory));
                    registered[row.file] = m_nCurrentSourceFile;
                    anyFile = TRUE;
                }
            }
            if (!row.endSequence && row.line > 0)
                RecordRelations(CAddressValue(row.address, 1, 0));
        }
    }
    if (!anyFile && unit.hasName && !unit.name.IsEmpty())
        RegisterSourceFile(unit.name, FALSE, unit.compilationDirectory);
}

void CELFGlobals::WriteDwarf2Function(const Dwarf2EntryValues &entry, LONG modul, BOOL inlined,
                                      GlobalsScope *scope)
{
    scope->inFunction = TRUE;
    scope->scope = PackIndexChecked(modul, entry.offset, FALSE);
    // The module pass counts the same entries, so that both number functions alike.
    if (!entry.hasLow || entry.name.IsEmpty())
        return;
    const DWORD length = entry.hasHigh ? entry.high - entry.low : 0;
    const BOOL external = entry.external && !inlined;
    RecordRelations(CAddressValue(entry.low, 1, 0));

    const LONG index = m_functions.GetRecordCount() + 1;
    m_functions.AddNew();
    m_functions.m_FunctionIndex = index;
    m_functions.m_Name = entry.name;
    EncodeNameString(entry.name, m_functions.m_NameString);
    m_functions.m_AddressMode = 1;
    m_functions.m_AddressValue = static_cast<LONG>(entry.low);
    m_functions.m_Length = static_cast<LONG>(length);
    m_functions.m_ReturnType = PackIndexChecked(modul, entry.hasType ? static_cast<LONG>(entry.type) : 0, FALSE);
    m_functions.m_SectionIndex = FindSectionIndex(entry.low);
    m_functions.m_Scope = external ? -modul : modul;
    m_functions.m_CallType = inlined ? 5 : 0;
    m_functions.Update();
    scope->functionIndex = index;
    if (external)
        m_varEd.ResolveFunction(entry.name, entry.low, length);

    if (inlined) {
        SymbolRecordTag label;
        label.Modul = -1;
        label.Name = entry.name;
        label.ScopeIndex = -1;
        label.Data[0] = 0;
        label.Data[1] = 1;
        label.Data[2] = static_cast<LONG>(entry.low);
        label.Data[3] = 0;
        WriteStaticLabelSymbol(label, m_symbols);
    }
}

void CELFGlobals::WriteDwarf2Variable(const Dwarf2EntryValues &entry, LONG modul, const GlobalsScope &scope)
{
    if (!entry.hasLocation || !entry.location.complete || entry.location.lastOperator != DW_OP_addr ||
        entry.name.IsEmpty())
        return;
    const DWORD address = entry.location.place.AddressValue;
    SymbolRecordTag record;
    record.Modul = modul;
    record.Name = entry.name;
    record.ScopeIndex = modul;
    record.Data[0] = entry.hasType ? static_cast<LONG>(entry.type) : kNoIndex;
    record.Data[1] = 1;
    record.Data[2] = static_cast<LONG>(address);
    record.Data[3] = 0;
    if (entry.hasBitSize && entry.bitSize == 1 && entry.hasByteSize && entry.byteSize == 1 && entry.hasBitOffset) {
        record.Data[1] = 0x40000001;
        record.Data[3] = entry.bitOffset;
    }
    record.Data[4] = m_nUnitSourceFile;
    record.Data[5] = scope.functionIndex;

    if (scope.inFunction && !entry.external) {
        record.ScopeIndex = scope.scope;
        WriteLocalStaticSymbol(record, m_symbols, FALSE);
    } else if (entry.external) {
        WriteGlobalSymbol(record, m_symbols, FALSE);
        ResolveVarEdVariable(entry.name, address);
    } else {
        WriteModulStaticSymbol(record, m_symbols, FALSE);
    }
}
