#include "dwarf1dump.h"

#include "dumplines.h"
#include "dumpnames.h"

namespace {

// Attribute codes with their forms.
enum : WORD {
    AT_location = 0x0023,
    AT_fund_type = 0x0055,
    AT_mod_fund_type = 0x0063,
    AT_user_def_type = 0x0072,
    AT_mod_u_d_type = 0x0083,
    AT_ordering = 0x0095,
    AT_subscr_data = 0x00A3,
    AT_element_list = 0x00F4,
    AT_language = 0x0136,
    AT_string_length = 0x0193,
    AT_return_addr = 0x02A3,
    AT_low_pc = 0x0111,
};

const WORD TAG_compile_unit = 0x11;

// The location-list attribute of the producers that write ".debug_loc_ext": its name
// part, with a 4-byte offset into that section.
const WORD AT_location_list = 0x2E20;

enum : BYTE {
    FMT_FT_C_C = 0,
    FMT_ET = 8,
};

CString ModifierText(const Dwarf1ModifiedType &type)
{
    CString text;
    for (BYTE modifier : type.modifiers)
        text += ValueName(g_dwarf1ModifierNames, modifier) + " ";
    return text;
}

// A subscript bound: a 4-byte constant, or a location block with a 2-byte length.
CString BoundText(CDataCursor &cursor, bool isExpression)
{
    CString text;
    if (isExpression) {
        WORD length = cursor.ReadU16();
        const BYTE *block = cursor.ReadBlock(length);
        CString operations;
        DecodeDwarf1Location(block, block != nullptr ? length : 0, &operations);
        text = "(" + operations + " )";
    } else {
        text.Format("%d", static_cast<LONG>(cursor.ReadU32()));
    }
    return text;
}

// The subscript data of an array: per dimension its format, index type and bounds, then
// FMT_ET with the element type as an attribute of its own.
CString SubscriptText(const BYTE *block, DWORD length)
{
    CDataCursor cursor(block, length, false);
    CString text;
    while (!cursor.AtEnd()) {
        BYTE format = cursor.ReadU8();
        text += ValueName(g_dwarf1SubscriptFormatNames, format) + " ";
        if (format == FMT_ET) {
            WORD code = cursor.ReadU16();
            text += ValueName(g_dwarf1AttributeNames, code) + " ";
            CString element;
            if (Dwarf1Form(code) == DWARF1_FORM_DATA2)
                element = ValueName(g_dwarf1FundamentalTypeNames, cursor.ReadU16());
            else if (Dwarf1Form(code) == DWARF1_FORM_REF)
                element.Format("%#x", cursor.ReadU32());
            else if (Dwarf1Form(code) == DWARF1_FORM_BLOCK2) {
                WORD typeLength = cursor.ReadU16();
                Dwarf1ModifiedType type;
                if (DecodeDwarf1ModifiedType(cursor.ReadBlock(typeLength), typeLength, code == AT_mod_u_d_type, &type))
                    element = ModifierText(type) +
                              (code == AT_mod_u_d_type ? CString() : ValueName(g_dwarf1FundamentalTypeNames, type.type));
            }
            text += element + "] ";
            break;
        }
        if (format > FMT_ET)
            break;
        bool userIndex = format >= 4;
        if (userIndex)
            text.Format("%s%#x ", static_cast<LPCSTR>(text), cursor.ReadU32());
        else
            text += ValueName(g_dwarf1FundamentalTypeNames, cursor.ReadU16()) + " ";
        BYTE bounds = format & 3;
        CString low = BoundText(cursor, (bounds & 2) != 0);
        CString high = BoundText(cursor, (bounds & 1) != 0);
        text += "[" + low + ":" + high + "] ";
        if (!cursor)
            break;
    }
    if (cursor.HasFailed())
        text += "(cut off)";
    return text;
}

CString ElementListText(const BYTE *block, DWORD length)
{
    CDataCursor cursor(block, length, false);
    CString text;
    while (!cursor.AtEnd()) {
        LONG value = static_cast<LONG>(cursor.ReadU32());
        LPCSTR name = cursor.ReadString();
        if (!cursor)
            break;
        CString element;
        element.Format("%d,%s;", value, name);
        text += element;
    }
    return text;
}

CString AttributeText(const Dwarf1Attribute &a, const Dwarf1Sections &sections, DWORD base)
{
    CString text;
    switch (a.code) {
    case AT_fund_type:
        return ValueName(g_dwarf1FundamentalTypeNames, a.value);
    case AT_mod_fund_type:
    case AT_mod_u_d_type: {
        Dwarf1ModifiedType type;
        bool user = a.code == AT_mod_u_d_type;
        if (!DecodeDwarf1ModifiedType(a.block, a.value, user, &type))
            return "(no type)";
        text = ModifierText(type);
        if (user)
            text.Format("%s%#x", static_cast<LPCSTR>(text), type.type);
        else
            text += ValueName(g_dwarf1FundamentalTypeNames, type.type);
        return text;
    }
    case AT_location:
    case AT_string_length:
    case AT_return_addr:
        DecodeDwarf1Location(a.block, a.value, &text);
        return text;
    case AT_subscr_data:
        return SubscriptText(a.block, a.value);
    case AT_element_list:
        return ElementListText(a.block, a.value);
    case AT_language:
        return ValueName(g_dwarfLanguageNames, a.value);
    case AT_ordering:
        return ValueName(g_dwarfOrderingNames, a.value);
    default:
        break;
    }
    if ((a.code & 0xFFF0) == AT_location_list && Dwarf1Form(a.code) == DWARF1_FORM_DATA4) {
        std::vector<Dwarf1LifetimeEntry> entries;
        ReadDwarf1LocationList(sections.locExt, sections.locExtSize, a.value, base, &entries, &text);
        return text;
    }
    switch (Dwarf1Form(a.code)) {
    case DWARF1_FORM_STRING:
        return a.string;
    case DWARF1_FORM_ADDR:
        text.Format("%#x", a.value);
        break;
    case DWARF1_FORM_REF:
        text.Format("<%u>", a.value);
        break;
    case DWARF1_FORM_DATA2:
    case DWARF1_FORM_DATA4:
        text.Format("%u (%#x)", a.value, a.value);
        break;
    case DWARF1_FORM_DATA8:
        text.Format("%#x %#x", a.value, a.value2);
        break;
    default:
        text.Format("%u byte block", a.value);
        break;
    }
    return text;
}

} // namespace

void DumpDwarf1Entries(CQelTargetFile &out, const Dwarf1Sections &sections)
{
    CDwarf1EntryReader reader(sections);
    // Location lists count from the unit's low address.
    DWORD base = 0;
    while (reader.NextEntry()) {
        // A compilation unit's entry ends the unit before it.
        if (!reader.IsNull() && reader.GetTag() == TAG_compile_unit)
            out.FlushDump();
        out.DumpPrintf("%6u: <%u> ", reader.GetEntryOffset(), reader.GetEntryLength());
        if (reader.IsNull()) {
            out.DumpPrintf("NULL entry\n");
            continue;
        }
        out.DumpPrintf("%s\n", static_cast<LPCSTR>(ValueName(g_dwarfTagNames, reader.GetTag())));
        Dwarf1Attribute a;
        while (reader.NextAttribute(&a)) {
            if (reader.GetTag() == TAG_compile_unit && a.code == AT_low_pc)
                base = a.value;
            out.DumpPrintf("%8s%s: %s\n", "", static_cast<LPCSTR>(ValueName(g_dwarf1AttributeNames, a.code)),
                           static_cast<LPCSTR>(AttributeText(a, sections, base)));
        }
    }
    out.DumpPrintf("\n");
}

void DumpDwarf1LineTables(CQelTargetFile &out, const BYTE *line, size_t size)
{
    CDumpLines lines(out);
    CDataCursor cursor(line, size, false);
    while (cursor.GetRemaining() >= 8) {
        DWORD tableOffset = static_cast<DWORD>(cursor.GetOffset());
        DWORD length = cursor.ReadU32();
        DWORD base = cursor.ReadU32();
        // The length counts the 8 bytes of the header; a shorter one cannot be stepped over.
        if (length < 8 || length - 8 > cursor.GetRemaining()) {
            out.DumpPrintf("\t[%4.4u:] Bad table length %u\n\n", tableOffset, length);
            break;
        }
        out.DumpPrintf("\t[%4.4u:] Base address:%#*x\n\n", tableOffset, 40 - 20, base);
        CDataCursor table = cursor.ReadSubCursor(length - 8);
        while (table.GetRemaining() >= 10) {
            DWORD rowOffset = tableOffset + 8 + static_cast<DWORD>(table.GetOffset());
            DWORD lineNumber = table.ReadU32();
            WORD column = table.ReadU16();
            DWORD delta = table.ReadU32();
            out.DumpPrintf("\t[%4.4u:] Line:%*d\n", rowOffset, 40 - 12, static_cast<LONG>(lineNumber));
            if (column == 0xFFFF)
                lines.Text("\tColumn:", "SOURCE_NO_POS");
            else
                lines.Signed("\tColumn:", column);
            lines.Hex("\tDelta:", delta);
            lines.Hex("\tResulting address:", base + delta);
            out.DumpPrintf("\n");
        }
    }
    out.DumpPrintf("\n");
}

void DumpDwarf1SourceInfo(CQelTargetFile &out, const BYTE *srcinfo, size_t size)
{
    CDumpLines lines(out);
    CDataCursor cursor(srcinfo, size, false);
    while (cursor.GetRemaining() >= 20) {
        DWORD offset = static_cast<DWORD>(cursor.GetOffset());
        DWORD lineOffset = cursor.ReadU32();
        DWORD namesOffset = cursor.ReadU32();
        DWORD start = cursor.ReadU32();
        DWORD end = cursor.ReadU32();
        cursor.ReadU32(); // the producer's time stamp
        out.DumpPrintf("\t[%4.4u:] Header:\n", offset);
        lines.Unsigned("\tOffset in '.line':", lineOffset);
        lines.Unsigned("\tOffset in '.debug_sfnames':", namesOffset);
        lines.Hex("\tStart address:", start);
        lines.Hex("\tEnd address:", end);
        out.DumpPrintf("\tEntrys:\n");
        // Pairs of a '.line' offset and a name offset in the unit's name block, up to a
        // pair whose first or second word is -1.
        while (cursor.GetRemaining() >= 8) {
            DWORD entryLine = cursor.ReadU32();
            DWORD entryName = cursor.ReadU32();
            if (entryLine == 0xFFFFFFFF || entryName == 0xFFFFFFFF)
                break;
            out.DumpPrintf("\t\tLine entries at %u, name at %u\n", entryLine, entryName);
        }
        out.DumpPrintf("\n");
    }
}
