#include "dwarf2unitglobals.h"

#include <packedindex.h>
#include <tagrecords.h>

#include "dwarf2codes.h"
#include "dwarf2entryvalues.h"
#include "dwarflineprogram.h"

namespace {

// What an entry with children means to the entries inside it.
struct Scope {
    bool inFunction = false;
    DWORD scope = 0;      // the innermost function or block with code
    size_t function = 0;  // the innermost function with a Functions row (ordinal)
    CString qualifier;    // the enclosing classes and namespaces
};

void ReadLineEvents(const Dwarf2EntryValues &entry, const BYTE *line, DWORD lineSize, bool bigEndian,
                    const std::vector<SectionTag> &sections, Dwarf2UnitGlobals *unit)
{
    CDwarfLineProgram program;
    if (!entry.hasStatementList || line == nullptr ||
        program.Read(line, lineSize, entry.statementList, bigEndian) != CDwarfLineProgram::LINE_OK)
        return;
    DWORD previousFile = 0;
    int currentSection = -1, hint = -1;
    for (const DwarfLineRow &row : program.GetRows()) {
        if (row.file != previousFile) {
            previousFile = row.file;
            Dwarf2UnitGlobals::LineEvent file;
            file.file = row.file;
            file.name = program.GetFileName(row.file);
            if (file.name.IsEmpty())
                continue;
            file.directory = Dwarf2LineFileDirectory(program, row.file, entry.compilationDirectory);
            unit->lines.push_back(file);
            unit->lineTableHasFiles = true;
            currentSection = -1;
        }
        // The address of an end of sequence is the first behind the code.
        if (row.endSequence || row.line == 0)
            continue;
        const int section = FindSectionRecord(sections, row.address, &hint);
        if (section >= 0 && section != currentSection) {
            Dwarf2UnitGlobals::LineEvent relation;
            relation.section = section;
            unit->lines.push_back(relation);
            currentSection = section;
        }
    }
}

void AddFunction(const Dwarf2EntryValues &entry, bool inlined, const std::vector<SectionTag> &sections,
                 Dwarf2UnitGlobals *unit, Scope *scope)
{
    scope->inFunction = true;
    scope->scope = entry.offset;
    // The module pass counts the same entries, so that both number functions alike.
    if (!entry.hasLow || entry.name.IsEmpty())
        return;
    Dwarf2UnitGlobals::Function function;
    function.name = entry.name;
    function.offset = entry.offset;
    function.low = entry.low;
    function.length = entry.hasHigh ? entry.high - entry.low : 0;
    function.returnType = entry.hasType ? entry.type : 0;
    function.external = entry.external && !inlined;
    function.inlined = inlined;
    int hint = -1;
    function.section = FindSectionRecord(sections, entry.low, &hint);
    unit->items.push_back({true, unit->functions.size()});
    unit->functions.push_back(function);
    scope->function = unit->functions.size();
}

void AddVariable(const Dwarf2EntryValues &entry, const Scope &scope, Dwarf2UnitGlobals *unit)
{
    if (!entry.hasLocation || !entry.location.complete || entry.location.lastOperator != DW_OP_addr ||
        entry.name.IsEmpty())
        return;
    Dwarf2UnitGlobals::Variable variable;
    variable.name = entry.name;
    variable.type = entry.hasType ? static_cast<LONG>(entry.type) : kNoIndex;
    variable.address = entry.location.place.AddressValue;
    if (entry.hasBitSize && entry.bitSize == 1 && entry.hasByteSize && entry.byteSize == 1 && entry.hasBitOffset) {
        variable.mode = 0x40000001;
        variable.extra = entry.bitOffset;
    }
    variable.function = scope.function;
    if (scope.inFunction && !entry.external) {
        variable.symbolId = 3;
        variable.scope = scope.scope;
    } else {
        variable.symbolId = entry.external ? 5 : 4;
    }
    unit->items.push_back({false, unit->variables.size()});
    unit->variables.push_back(variable);
}

} // namespace

CString Dwarf2LineFileDirectory(const CDwarfLineProgram &program, DWORD file, const CString &compilationDirectory)
{
    CString directory = program.GetFileDirectory(file);
    if (directory.IsEmpty())
        return compilationDirectory;
    if (directory[0] == '/' || directory[0] == '\\' || compilationDirectory.IsEmpty() ||
        (directory.GetLength() > 1 && directory[1] == ':'))
        return directory;
    return compilationDirectory + "/" + directory;
}

int FindSectionRecord(const std::vector<SectionTag> &sections, DWORD address, int *hint)
{
    auto holds = [&](const SectionTag &section) {
        return section.AddressMode == 1 && address - section.AddressValue < section.Length;
    };
    if (*hint >= 0 && static_cast<size_t>(*hint) < sections.size() && holds(sections[*hint]))
        return *hint;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (holds(sections[i])) {
            *hint = static_cast<int>(i);
            return *hint;
        }
    }
    return -1;
}

void ReadDwarf2UnitGlobals(CDwarf2EntryReader &reader, DWORD offset, const BYTE *line, DWORD lineSize,
                           const std::vector<SectionTag> &sections, Dwarf2UnitGlobals *unit)
{
    unit->offset = offset;
    if (reader.BeginUnit(offset) != CDwarf2EntryReader::UNIT_OK) {
        unit->readable = false;
        unit->diagnostic = reader.GetDiagnostic();
        return;
    }
    // Entries beyond this offset could not be numbered in the database.
    if (reader.GetUnit().end - offset > static_cast<DWORD>(kMaxPackedNumber) + 1) {
        unit->readable = false;
        unit->diagnostic.Format("unit at %#x is larger than its entries can be numbered; the unit is not read", offset);
        return;
    }
    Dwarf2Qualifiers qualifiers;
    std::vector<Scope> scopes;
    Scope outermost;
    bool first = true;
    while (reader.NextEntry()) {
        if (reader.GetAbbreviationCode() == 0) {
            if (!scopes.empty())
                scopes.pop_back();
            continue;
        }
        const Scope &around = scopes.empty() ? outermost : scopes.back();
        const DWORD tag = reader.GetTag();
        const DWORD entryOffset = reader.GetEntryOffset();
        const bool children = reader.HasChildren();
        if (!around.qualifier.IsEmpty() &&
            (tag == DW_TAG_subprogram || tag == DW_TAG_variable || tag == DW_TAG_member))
            qualifiers[entryOffset] = around.qualifier;
        Scope inner = around;

        if (first) {
            // Everything of the unit hangs from its first entry, the unit itself.
            first = false;
            if (tag != DW_TAG_compile_unit)
                return;
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry);
            unit->isCompileUnit = true;
            if (entry.hasName)
                unit->name = entry.name;
            unit->compilationDirectory = entry.compilationDirectory;
            ReadLineEvents(entry, line, lineSize, reader.IsBigEndian(), sections, unit);
        } else if (tag == DW_TAG_subprogram || tag == DW_TAG_inlined_subroutine) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry, &qualifiers);
            AddFunction(entry, tag == DW_TAG_inlined_subroutine, sections, unit, &inner);
        } else if (tag == DW_TAG_lexical_block) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry);
            if (entry.hasLow && entry.hasHigh && entry.high != 0)
                inner.scope = entryOffset;
        } else if (tag == DW_TAG_variable) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry, &qualifiers);
            AddVariable(entry, around, unit);
        } else if (tag == DW_TAG_structure_type || tag == DW_TAG_class_type || tag == DW_TAG_union_type ||
                   tag == DW_TAG_namespace) {
            Dwarf2EntryValues entry;
            ReadDwarf2EntryValues(reader, &entry);
            if (!entry.name.IsEmpty())
                inner.qualifier = around.qualifier.IsEmpty() ? entry.name : around.qualifier + "::" + entry.name;
        }
        if (children)
            scopes.push_back(inner);
    }
    // A walk that stops before the unit's end met an entry it cannot read.
    if (!reader.GetDiagnostic().IsEmpty()) {
        unit->readable = false;
        unit->diagnostic = reader.GetDiagnostic() + "; the unit is not read";
    }
}
