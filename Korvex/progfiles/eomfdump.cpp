// The dump of the EOMF records whose handlers change nothing of the reader's state.
#include "dumpnames.h"
#include "eomflayouts.h"
#include "eomfnames.h"
#include "eomfsections.h"

#include <ctime>

namespace {

LPCSTR Name(const QEL_VALUE_NAME *table, DWORD value)
{
    return LookupValueName(table, &value);
}

} // namespace

void CEOMFSections::DumpRecord(const EomfRecord &record)
{
    CDataCursor body = record.Body();
    switch (record.Type) {
    case EOMF_LHEADR:
        DumpPrintf("Name: %s\n", static_cast<LPCSTR>(ReadEomfName(body)));
        break;
    case EOMF_DEPLST:
        DumpDependencies(record);
        break;
    case EOMF_COMMENT: {
        EomfComment comment;
        if (!ReadEomfComment(record, &comment)) {
            NoticeShortRecord(record);
            break;
        }
        DumpPrintf("%s (%s):\n\t%s\n", Name(g_eomfCommentClassNames, comment.Class),
                   comment.NoPurge ? "NOPURGE" : "PURGE", static_cast<LPCSTR>(comment.Text));
        break;
    }
    case EOMF_GRPDEF: {
        body.Skip(1);
        const CString name = GetLName(ReadEomfIndex(body));
        if (!name.IsEmpty())
            DumpPrintf("Name:\t\t%s\n", static_cast<LPCSTR>(name));
        else
            DumpPrintf("unnamed\n");
        DumpPrintf("Sections:\t");
        while (body && !body.AtEnd()) {
            body.ReadU8();
            const WORD section = ReadEomfIndex(body);
            if (body)
                DumpPrintf("%u ", section);
        }
        DumpPrintf("\n");
        break;
    }
    case EOMF_LINNUM: {
        EomfLines lines;
        if (!ReadEomfLines(record, &lines)) {
            NoticeShortRecord(record);
            break;
        }
        for (const EomfLine &line : lines.Lines)
            DumpPrintf("%5u: %6Xh\n", line.Line, lines.Base + line.Offset);
        break;
    }
    case EOMF_PUBDEF:
    case EOMF_LOCSYM:
    case EOMF_GLBDEF:
    case EOMF_DEBSYM:
        DumpSymbols(record);
        break;
    case EOMF_PEDATA:
    case EOMF_VECTAB:
        DumpData(record);
        break;
    case EOMF_TYPNEW:
        DumpTypeDescriptor(record);
        break;
    case EOMF_REGDEF:
        DumpRegisters(record);
        break;
    case EOMF_PECDEF: {
        const WORD mask = body.ReadU16();
        DumpPrintf("Used PEC channels:\t");
        for (int channel = 0; channel < 8; ++channel)
            if (mask & (1u << channel))
                DumpPrintf("PEC%u ", channel);
        DumpPrintf("\n");
        break;
    }
    case EOMF_SSKDEF:
        DumpPrintf("Stack size:\t%s\n", Name(g_eomfStackSizeNames, body.ReadU8() & 7));
        break;
    case EOMF_MODINF: {
        const BYTE flags = body.ReadU8();
        DumpPrintf("%s%s%s  %s%s%s\n", (flags & 1) ? "segmented  " : "non segmented  ",
                   (flags & 2) ? "case  " : "no case  ", Name(g_eomfMemoryModelNames, (flags >> 2) & 7),
                   (flags & 0x20) ? "MOD167  " : "no MOD167  ", (flags & 0x40) ? "float  " : "no float  ",
                   (flags & 0x80) ? "double  " : "no double  ");
        break;
    }
    case 0x30: case 0x72: case 0x7C: case 0x8A: case 0x8C: case 0xA6: case 0xA8: case 0xAA:
    case 0xB2: case 0xB4: case 0xB8: case 0xBA: case 0xE0: case 0xE1: case 0xE2:
        break;
    default:
        DumpPrintf("Unknown record type\n");
        break;
    }
}

void CEOMFSections::DumpDependencies(const EomfRecord &record)
{
    CDataCursor body = record.Body();
    while (body && !body.AtEnd()) {
        const BYTE kind = body.ReadU8();
        if (kind == 0xFF) {
            const CString name = ReadEomfLongName(body);
            if (body)
                DumpPrintf("%s:\n\t%s\n", Name(g_eomfDependencyKindNames, kind), static_cast<LPCSTR>(name));
            continue;
        }
        body.Skip(1);
        const time_t stamp = static_cast<time_t>(body.ReadU32());
        const CString name = ReadEomfName(body);
        if (!body)
            break;
        DumpPrintf("%s:\n\t%s", Name(g_eomfDependencyKindNames, kind), static_cast<LPCSTR>(name));
        struct tm local;
        char text[32];
        if (localtime_r(&stamp, &local) != nullptr && strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &local) != 0)
            DumpPrintf("\n\t%s\n", text);
        else
            DumpPrintf("\n\t?\n");
    }
    if (!body)
        NoticeShortRecord(record);
}

void CEOMFSections::DumpTypeIndex(LPCSTR indexFormat, LPCSTR nameFormat, DWORD type)
{
    if (type >= 128)
        DumpPrintf(indexFormat, type);
    else
        DumpPrintf(nameFormat, Name(g_eomfBaseTypeNames, type));
}

void CEOMFSections::DumpSymbols(const EomfRecord &record)
{
    EomfSymbols symbols;
    if (!ReadEomfSymbols(record, &symbols)) {
        NoticeShortRecord(record);
        return;
    }
    if (symbols.BlockRelative)
        DumpPrintf("Block index:\t%u (%s)\n", symbols.Block, static_cast<LPCSTR>(GetModuleName()));
    else
        DumpPrintf("Base address:\t%Xh\n", symbols.Base);
    for (const EomfSymbol &symbol : symbols.Entries) {
        const DWORD v = symbol.Value;
        const DWORD base = symbols.Base;
        DumpPrintf("\t#\n\tName:\t\t\t%s\n", static_cast<LPCSTR>(symbol.Name));
        DumpPrintf("\tKind of:\t\t%s\n", Name(g_eomfSymbolKindNames, symbol.Kind()));
        const DWORD signedValue = symbol.IsFlagged() ? DWORD(0) - v : v;
        switch (symbol.Kind()) {
        case EOMF_SYMBOL_BIT:
            if (symbol.IsFlagged())
                DumpPrintf("\tLocation:\t\tR%u.%u\n", v, symbol.BitNumber());
            else if (symbols.BlockRelative)
                DumpPrintf("\tLocation:\t\t%X.%u\n", v, symbol.BitNumber());
            else
                DumpPrintf("\tLocation:\t\t%X.%u (%X.%u)\n", v, symbol.BitNumber(), base + v, symbol.BitNumber());
            break;
        case EOMF_SYMBOL_VARIABLE:
        case EOMF_SYMBOL_LABEL:
            if (symbols.BlockRelative)
                DumpPrintf("\tLocation:\t\t%Xh\n", signedValue);
            else
                DumpPrintf("\tLocation:\t\t%Xh (%Xh)\n", signedValue, base + signedValue);
            break;
        case EOMF_SYMBOL_REGBANK:
            DumpPrintf("\tLocation:\t\t%Xh\n", v);
            break;
        case EOMF_SYMBOL_INTERRUPT:
        case EOMF_SYMBOL_CONSTANT:
            DumpPrintf("\tValue:\t\t\t%u\n", v);
            break;
        case EOMF_SYMBOL_REGISTER:
            switch (symbol.Type) {
            case 0x42:
            case 0x43:
                DumpPrintf("\tLocation:\t\tR%c%u\n", (v & 1) ? 'H' : 'L', v / 2);
                break;
            case 0x46:
            case 0x47:
            case 0x48:
                DumpPrintf("\tLocation:\t\tR%uR%u\n", v, v + 1);
                break;
            case 0x49:
                DumpPrintf("\tLocation:\t\tR%uR%uR%uR%u\n", v, v + 1, v + 2, v + 3);
                break;
            default:
                DumpPrintf("\tLocation:\t\tR%u\n", v);
                break;
            }
            break;
        default: // EOMF_SYMBOL_STACK
            DumpPrintf("\tLocation:\t\t[R0%c#%u]\n", symbol.IsFlagged() ? '-' : '+', v);
            break;
        }
        DumpTypeIndex("\tTypeIndex:\t\t%u\n", "\tType:\t\t\t%s\n", symbol.Type);
    }
}

void CEOMFSections::DumpBlock(const EomfRecord &record)
{
    EomfBlock block;
    if (!ReadEomfBlock(record, &block)) {
        NoticeShortRecord(record);
        return;
    }
    DumpPrintf("BlockIndex:\t\t%u (%s)\n", static_cast<unsigned>(GetBlockCounter()),
               static_cast<LPCSTR>(GetModuleName()));
    DumpPrintf("Base address:\t%Xh\n", block.Base);
    DumpPrintf("Name:\t\t\t%s%s\n", static_cast<LPCSTR>(block.Name), block.IsProcedure() ? " (procedure)" : "");
    DumpPrintf("Offset:\t\t\t%Xh (%Xh)\n", block.Offset, block.Base + block.Offset);
    DumpPrintf("Length:\t\t\t%Xh (%Xh)\n", block.Length, block.Base + block.Offset + block.Length - 1);
    if (!block.Name.IsEmpty())
        DumpTypeIndex("TypeIndex:\t\t%u\n", "Type:\t\t\t%s\n", block.Type);
}

void CEOMFSections::DumpData(const EomfRecord &record)
{
    EomfData data;
    if (!ReadEomfData(record, &data))
        return; // the first pass has refused the file
    DumpPrintf("Address:\t\t%Xh\n", data.Address);
    DumpPrintf("Length:\t\t\t%Xh (%Xh)\n", data.Length, data.Address + data.Length - 1);
    DumpPrintf("Type:\t\t\t%s\n", Name(g_eomfSectionTypeNames, data.SectionType));
    DumpPrintf("Data:\n");
    DumpHex(data.Address, data.Data, data.Length);
}

void CEOMFSections::DumpComponents(const EomfTypeDescriptor &type)
{
    DumpPrintf("Components:\t\t%u", static_cast<unsigned>(type.Components.size()));
    for (const EomfComponent &component : type.Components) {
        DumpPrintf("\n\t#\n");
        DumpPrintf("\tName:\t\t%s\n", static_cast<LPCSTR>(component.Name));
        DumpTypeIndex("\tTypeIndex:\t%u\n", "\tType:\t\t%s\n", component.Type);
        if (component.ParameterKind == 0 && component.Bit == 0) {
            DumpPrintf("\tOffset:\t\t%u", component.Value);
            continue;
        }
        DumpPrintf("\tParameter:\t%s ", Name(g_eomfParameterKindNames, component.ParameterKind));
        switch (component.ParameterKind) {
        case 1:
            DumpPrintf("R%u.%u", component.Value, component.Bit);
            break;
        case 2:
            DumpPrintf("[R0+#%u]", component.Value);
            break;
        case 3:
            DumpPrintf("R%u", component.Value);
            break;
        default:
            DumpPrintf("Unexpected kind of function parameter");
            break;
        }
    }
}

void CEOMFSections::DumpTypeDescriptor(const EomfRecord &record)
{
    const DWORD index = m_nNextType++;
    if (!IsDumping())
        return;
    CDataCursor body = record.Body();
    const BYTE kind = body.ReadU8();
    DumpPrintf("TypeIndex:\t\t%u\n", index);
    DumpPrintf("Kind of:\t\t%s\n", Name(g_eomfTypeDescriptorNames, kind));
    EomfTypeDescriptor type;
    if (!ReadEomfTypeDescriptor(record, &type)) {
        if (body && kind >= EOMF_TYPE_COMPONENTS && kind <= EOMF_TYPE_BITFIELD)
            NoticeShortRecord(record);
        else
            DumpPrintf("Unknown type descriptor\n");
        return;
    }
    switch (type.Kind) {
    case EOMF_TYPE_COMPONENTS:
        DumpComponents(type);
        break;
    case EOMF_TYPE_POINTER:
        DumpPrintf("Attribute:\t\t%s\n", Name(g_eomfPointerAttributeNames, type.Attribute));
        DumpTypeIndex("TypeIndex:\t\t%u", "Type:\t\t\t%s", type.Type);
        break;
    case EOMF_TYPE_ARRAY:
        DumpPrintf("Attribute:\t\t%s\n", Name(g_eomfArrayAttributeNames, type.Attribute));
        DumpTypeIndex("TypeIndex:\t\t%u", "Type:\t\t\t%s", type.Type);
        DumpPrintf("\nDimension:\t\t");
        for (DWORD bound : type.Bounds)
            DumpPrintf("[%u]", bound);
        break;
    case EOMF_TYPE_FUNCTION:
        DumpPrintf("Attribute:\t\t%s\n", Name(g_eomfFunctionAttributeNames, type.Attribute));
        DumpTypeIndex("TypeIndex:\t\t%u", "Type:\t\t\t%s", type.Type);
        DumpPrintf("\n");
        DumpTypeIndex("ParameterIndex:\t%u", "Parameter:\t\t%s", type.List);
        break;
    case EOMF_TYPE_STRUCT:
        DumpPrintf("Name:\t\t\t%s (%s)\n", static_cast<LPCSTR>(type.Name), Name(g_eomfStructKindNames, type.Attribute));
        DumpPrintf("Size:\t\t\t%u\n", type.Size);
        DumpPrintf("MemberIndex:\t%u", type.List);
        break;
    default: // EOMF_TYPE_BITFIELD
        DumpTypeIndex("TypeIndex:\t\t%u\n", "Type:\t\t\t%s\n", type.Type);
        DumpPrintf("Offset:\t\t\t%u\n", type.BitOffset);
        DumpPrintf("Width:\t\t\t%u", type.BitWidth);
        break;
    }
    DumpPrintf("\n");
}

void CEOMFSections::DumpRegisters(const EomfRecord &record)
{
    CDataCursor body = record.Body();
    const BYTE physical = body.ReadU8();
    if (physical == 0)
        DumpPrintf("Physical address:\t%Xh\n", body.ReadU16());
    else
        DumpPrintf("Logical address\n");
    DumpPrintf("Name:\t\t\t\t%s\n", static_cast<LPCSTR>(ReadEomfName(body)));
    const WORD privateMask = body.ReadU16();
    DumpPrintf("Private register:\t");
    for (int r = 0; r < 16; ++r)
        if (privateMask & (1u << r))
            DumpPrintf("R%u ", r);
    DumpPrintf("\n");
    const BYTE areas = body.ReadU8();
    DumpPrintf("Common areas:\t\t%u\n", areas);
    for (BYTE area = 0; area < areas && body; ++area) {
        const CString name = ReadEomfName(body);
        const WORD mask = body.ReadU16();
        DumpPrintf("\t#\n\tName:\t\t\t%s\n\tCommon register:\t", static_cast<LPCSTR>(name));
        for (int r = 0; r < 16; ++r)
            if (mask & (1u << r))
                DumpPrintf("R%u ", r);
        DumpPrintf("\n");
    }
    if (!body)
        NoticeShortRecord(record);
}
