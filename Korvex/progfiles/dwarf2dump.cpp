#include "dwarf2dump.h"

#include "dumplines.h"
#include "dumpnames.h"
#include "dwarf2codes.h"
#include "dwarflineprogram.h"

namespace {

// The table that names the values of an attribute, or null.
const QEL_VALUE_NAME *NamesOfValues(DWORD attribute)
{
    switch (attribute) {
    case DW_AT_language:
        return g_dwarfLanguageNames;
    case DW_AT_inline:
        return g_dwarfInlineNames;
    case DW_AT_encoding:
        return g_dwarfEncodingNames;
    case DW_AT_visibility:
        return g_dwarfVisibilityNames;
    case DW_AT_identifier_case:
        return g_dwarfIdentifierCaseNames;
    case DW_AT_calling_convention:
        return g_dwarfCallingConventionNames;
    case DW_AT_accessibility:
        return g_dwarfAccessibilityNames;
    case DW_AT_virtuality:
        return g_dwarfVirtualityNames;
    case DW_AT_ordering:
        return g_dwarfOrderingNames;
    default:
        return nullptr;
    }
}

void DumpLineTable(CQelTargetFile &out, const BYTE *line, size_t lineSize, DWORD offset, bool bigEndian)
{
    CDwarfLineProgram table;
    CDwarfLineProgram::Status status = table.Read(line, lineSize, offset, bigEndian);
    out.DumpPrintf("\nLine table at %#x of .debug_line:\n", offset);
    if (status == CDwarfLineProgram::LINE_UNKNOWN_VERSION) {
        out.DumpPrintf("\t%s\n\n", static_cast<LPCSTR>(table.GetDiagnostic()));
        return;
    }
    CDumpLines lines(out);
    out.DumpPrintf("\tFiles:\n");
    for (size_t i = 0; i < table.GetFiles().size(); ++i)
        out.DumpPrintf("\t#%2.2d:%*s\n", static_cast<int>(i + 1), 36, static_cast<LPCSTR>(table.GetFiles()[i].name));
    for (const DwarfLineRow &row : table.GetRows()) {
        out.DumpPrintf("\n");
        lines.Hex("\tAddress:", row.address);
        out.DumpPrintf("\n");
        if (row.endSequence) {
            lines.Text("\tLine:", "end of sequence");
            continue;
        }
        lines.Signed("\tLine:", static_cast<LONG>(row.line));
        lines.Text("\tFile:", table.GetFileName(row.file));
        lines.Text("\tType:", "SFTY_REALSOURCE_DEFAULT");
    }
    if (status != CDwarfLineProgram::LINE_OK)
        out.DumpPrintf("\t%s\n", static_cast<LPCSTR>(table.GetDiagnostic()));
    out.DumpPrintf("\n");
}

} // namespace

CString FormatDwarf2Attribute(const CDwarf2EntryReader &reader)
{
    const Dwarf2Attribute &a = reader.GetAttribute();
    CString form = ValueName(g_dwarfFormNames, a.form);
    CString text;
    const QEL_VALUE_NAME *names = NamesOfValues(a.name);
    if (names != nullptr && a.block == nullptr && a.string == nullptr) {
        text.Format("%s (%s)", static_cast<LPCSTR>(form), static_cast<LPCSTR>(ValueName(names, a.value)));
        return text;
    }
    switch (a.form) {
    case DW_FORM_data2:
    case DW_FORM_ref2:
        text.Format("%s (%#4.4x)", static_cast<LPCSTR>(form), a.value);
        break;
    case DW_FORM_data1:
    case DW_FORM_flag:
    case DW_FORM_ref1:
        text.Format("%s (%#2.2x)", static_cast<LPCSTR>(form), a.value);
        break;
    case DW_FORM_sdata:
        text.Format("%s (%lld)", static_cast<LPCSTR>(form), static_cast<long long>(a.signedValue));
        break;
    case DW_FORM_data8:
    case DW_FORM_ref8:
        text.Format("%s (%#x) (%#x)", static_cast<LPCSTR>(form), a.value, a.value2);
        break;
    case DW_FORM_string:
    case DW_FORM_strp:
        text.Format("%s ('%s')", static_cast<LPCSTR>(form), a.string != nullptr ? a.string : "");
        break;
    case DW_FORM_block:
    case DW_FORM_block1:
    case DW_FORM_block2:
    case DW_FORM_block4: {
        text.Format("%s (%u byte block)", static_cast<LPCSTR>(form), a.value);
        if (a.hasLocation) {
            CString operations;
            DecodeDwarf2Location(a.block, a.value, reader.GetUnit().addressSize, reader.IsBigEndian(), &operations);
            text += " " + operations;
        }
        break;
    }
    default:
        text.Format("%s (%#x)", static_cast<LPCSTR>(form), a.value);
        break;
    }
    if (a.hasLocationList) {
        for (const Dwarf2LocationListEntry &entry : a.locationList) {
            CString range;
            range.Format(" [%#x, %#x) (%u, %#x, %#x)", entry.begin, entry.end, entry.location.place.AddressMode,
                         entry.location.place.AddressValue, entry.location.place.AddressExtra);
            text += range;
        }
    }
    return text;
}

void DumpDwarf2Units(CQelTargetFile &out, const Dwarf2Sections &sections, const BYTE *line, size_t lineSize)
{
    CDwarf2EntryReader reader(sections);
    for (DWORD offset = 0;;) {
        CDwarf2EntryReader::UnitStatus status = reader.BeginUnit(offset);
        if (status == CDwarf2EntryReader::UNIT_END)
            break;
        const Dwarf2UnitHeader &unit = reader.GetUnit();
        if (status == CDwarf2EntryReader::UNIT_MALFORMED) {
            out.DumpPrintf("%s\n\n", static_cast<LPCSTR>(reader.GetDiagnostic()));
            break;
        }
        if (status == CDwarf2EntryReader::UNIT_SKIPPED) {
            out.DumpPrintf("%s\n\n", static_cast<LPCSTR>(reader.GetDiagnostic()));
            offset = unit.end;
            continue;
        }
        out.DumpPrintf("Compilation unit at %#x: length %#x, version %u, abbreviations at %#x, address size %u\n\n",
                       unit.offset, unit.length, unit.version, unit.abbrevOffset, unit.addressSize);
        bool hasLineTable = false;
        DWORD lineOffset = 0;
        while (reader.NextEntry()) {
            if (reader.GetAbbreviationCode() == 0) {
                out.DumpPrintf("NULL entry\n");
                continue;
            }
            out.DumpPrintf("%s (%x)\n", static_cast<LPCSTR>(ValueName(g_dwarfTagNames, reader.GetTag())),
                           reader.GetEntryOffset());
            out.DumpPrintf("%s\n", static_cast<LPCSTR>(ValueName(g_dwarfChildrenNames, reader.HasChildren())));
            bool isUnit = reader.GetTag() == DW_TAG_compile_unit;
            while (reader.NextAttribute()) {
                const Dwarf2Attribute &a = reader.GetAttribute();
                out.DumpPrintf("%4s%s: %s\n", "", static_cast<LPCSTR>(ValueName(g_dwarfAttributeNames, a.name)),
                               static_cast<LPCSTR>(FormatDwarf2Attribute(reader)));
                if (isUnit && a.name == DW_AT_stmt_list && a.block == nullptr) {
                    hasLineTable = true;
                    lineOffset = a.value;
                }
            }
            out.DumpPrintf("\n");
        }
        if (!reader.GetDiagnostic().IsEmpty())
            out.DumpPrintf("%s\n", static_cast<LPCSTR>(reader.GetDiagnostic()));
        if (hasLineTable && line != nullptr)
            DumpLineTable(out, line, lineSize, lineOffset, sections.bigEndian);
        out.DumpPrintf("\n");
        out.FlushDump();
        offset = unit.end;
    }
}
