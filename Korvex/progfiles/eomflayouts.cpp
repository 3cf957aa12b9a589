#include "eomflayouts.h"

#include "symbolcodes.h"

BOOL ReadEomfData(const EomfRecord &record, EomfData *data)
{
    CDataCursor body = record.Body();
    const BYTE high = body.ReadU8();
    const WORD low = body.ReadU16();
    data->SectionType = body.ReadU8();
    if (!body)
        return FALSE;
    data->Address = (DWORD(high) << 16) + low;
    data->Length = static_cast<DWORD>(body.GetRemaining());
    data->Data = body.GetPosition();
    return TRUE;
}

DWORD EomfSectionDef::ByteLength() const
{
    if (Kind() != 0)
        return Length;
    return static_cast<DWORD>((uint64_t(BitPosition()) + Length + 7) / 8);
}

BOOL ReadEomfSectionDef(const EomfRecord &record, EomfSectionDef *section)
{
    CDataCursor body = record.Body();
    section->Attributes = body.ReadU8();
    section->Flags = body.ReadU8();
    const WORD high = body.ReadU16();
    const WORD low = body.ReadU16();
    section->Address = (DWORD(high) << 16) | low;
    section->Length = record.Type == EOMF_XSECDEF ? body.ReadU32() : body.ReadU16();
    if (section->Flags & 0x02)
        section->Length = 65535;
    section->NameIndex = ReadEomfIndex(body);
    section->ClassIndex = ReadEomfIndex(body);
    return body ? TRUE : FALSE;
}

DWORD EomfSectionKind(BYTE type)
{
    switch (type & 3) {
    case 2:
        return TYSE_CODE;
    case 3:
        return TYSE_CONST;
    default:
        return TYSE_DATA;
    }
}

BOOL ReadEomfSymbols(const EomfRecord &record, EomfSymbols *symbols)
{
    CDataCursor body = record.Body();
    symbols->BlockRelative = FALSE;
    symbols->Block = 0;
    symbols->Base = 0;
    if (record.Type == EOMF_DEBSYM && (body.ReadU8() & 7) == 2) {
        symbols->BlockRelative = TRUE;
        symbols->Block = ReadEomfIndex(body);
    } else {
        symbols->Base = ReadEomfBaseAddress(body);
    }
    symbols->Entries.clear();
    while (body && !body.AtEnd()) {
        EomfSymbol entry;
        entry.Name = ReadEomfName(body);
        entry.Value = body.ReadU16();
        entry.Info = body.ReadU8();
        entry.Type = ReadEomfIndex(body);
        symbols->Entries.push_back(entry);
    }
    return body ? TRUE : FALSE;
}

BOOL ReadEomfBlock(const EomfRecord &record, EomfBlock *block)
{
    CDataCursor body = record.Body();
    block->Base = ReadEomfBaseAddress(body);
    block->Name = ReadEomfName(body);
    block->Offset = body.ReadU16();
    block->Length = body.ReadU16();
    block->Flags = body.ReadU8();
    block->Type = 0;
    if (!block->Name.IsEmpty()) {
        body.Skip(2);
        block->Type = ReadEomfIndex(body);
    }
    return body ? TRUE : FALSE;
}

BOOL ReadEomfLines(const EomfRecord &record, EomfLines *lines)
{
    CDataCursor body = record.Body();
    lines->Base = ReadEomfBaseAddress(body);
    lines->Lines.clear();
    while (body && !body.AtEnd()) {
        EomfLine line;
        line.Line = body.ReadU16() & 0x7FFF;
        line.Offset = body.ReadU16();
        lines->Lines.push_back(line);
    }
    return body ? TRUE : FALSE;
}

BOOL ReadEomfComment(const EomfRecord &record, EomfComment *comment)
{
    CDataCursor body = record.Body();
    comment->Class = body.ReadU8() & 0x7F;
    comment->NoPurge = (body.ReadU8() & 0x80) != 0;
    if (!body)
        return FALSE;
    const size_t length = body.GetRemaining();
    comment->Text = CString(reinterpret_cast<LPCSTR>(body.ReadBlock(length)), static_cast<int>(length));
    // A text ends at its first zero, as the tools write it.
    comment->Text = CString(static_cast<LPCSTR>(comment->Text));
    return TRUE;
}

namespace {

BOOL ReadComponents(CDataCursor &body, EomfTypeDescriptor *type)
{
    const WORD count = body.ReadU16();
    for (WORD i = 0; i < count && body; ++i) {
        EomfComponent component;
        component.Type = body.ReadU16();
        component.Value = body.ReadU32();
        component.ParameterKind = body.ReadU8();
        component.Bit = body.ReadU8();
        component.Name = ReadEomfName(body);
        if (body)
            type->Components.push_back(component);
    }
    return body ? TRUE : FALSE;
}

} // namespace

BOOL ReadEomfTypeDescriptor(const EomfRecord &record, EomfTypeDescriptor *type)
{
    *type = EomfTypeDescriptor();
    CDataCursor body = record.Body();
    type->Kind = body.ReadU8();
    switch (type->Kind) {
    case EOMF_TYPE_COMPONENTS:
        return ReadComponents(body, type);
    case EOMF_TYPE_POINTER:
        type->Attribute = BYTE(body.ReadU8() + body.ReadU8());
        body.Skip(2);
        type->Type = body.ReadU16();
        break;
    case EOMF_TYPE_ARRAY: {
        const BYTE count = body.ReadU8();
        type->Attribute = body.ReadU8();
        type->Type = body.ReadU16();
        if (body && size_t(count) * 4 + 5 == size_t(record.Length) - 1) {
            type->BoundsFit = TRUE;
            for (BYTE i = 0; i < count; ++i)
                type->Bounds.push_back(body.ReadU32());
        }
        break;
    }
    case EOMF_TYPE_FUNCTION:
        type->Attribute = body.ReadU8();
        type->Type = body.ReadU16();
        type->List = body.ReadU16();
        break;
    case EOMF_TYPE_STRUCT:
        type->Attribute = body.ReadU8();
        type->Size = body.ReadU32();
        type->List = body.ReadU16();
        type->Name = ReadEomfName(body);
        break;
    case EOMF_TYPE_BITFIELD:
        type->Type = body.ReadU16();
        type->BitOffset = body.ReadU8();
        type->BitWidth = body.ReadU8();
        break;
    default:
        return FALSE;
    }
    return body ? TRUE : FALSE;
}
