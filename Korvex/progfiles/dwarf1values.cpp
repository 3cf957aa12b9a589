#include "dwarf1values.h"

namespace {

// Attribute names: the code without its form.
enum : WORD {
    AT_sibling = 0x0010,
    AT_location = 0x0020,
    AT_name = 0x0030,
    AT_fund_type = 0x0050,
    AT_mod_fund_type = 0x0060,
    AT_user_def_type = 0x0070,
    AT_mod_u_d_type = 0x0080,
    AT_subscr_data = 0x00A0,
    AT_byte_size = 0x00B0,
    AT_bit_offset = 0x00C0,
    AT_bit_size = 0x00D0,
    AT_element_list = 0x00F0,
    AT_stmt_list = 0x0100,
    AT_low_pc = 0x0110,
    AT_high_pc = 0x0120,
    AT_language = 0x0130,
    AT_member = 0x0140,
    AT_comp_dir = 0x01B0,
    AT_abstract_origin = 0x02B0,
    AT_location_list = 0x2E20,
    AT_sfnames = 0x8000,
    AT_srcinfo = 0x8010,
    AT_body_begin = 0x8040,
    AT_body_end = 0x8050,
    AT_source_info = 0x8100,
};

const BYTE FMT_ET = 8;

// An origin may have an origin; real chains are one link long, so this only ends a loop.
const int MAX_ORIGIN_CHAIN = 8;

bool IsNumber(WORD form)
{
    return form == DWARF1_FORM_ADDR || form == DWARF1_FORM_REF || form == DWARF1_FORM_DATA2 ||
           form == DWARF1_FORM_DATA4 || form == DWARF1_FORM_DATA8;
}

bool IsBlock(WORD form)
{
    return form == DWARF1_FORM_BLOCK2 || form == DWARF1_FORM_BLOCK4;
}

// Takes one attribute into `values`; with `origin` only what the entry left unset.
void TakeAttribute(const Dwarf1Attribute &a, const Dwarf1Sections &sections, bool origin, Dwarf1EntryValues *v,
                   DWORD *nextOrigin)
{
    const WORD form = Dwarf1Form(a.code);
    const WORD name = a.code & 0xFFF0;
    const bool number = IsNumber(form);
    const bool block = IsBlock(form) && a.block != nullptr;
    auto set = [&](bool &has, DWORD &field) {
        if (number && !(origin && has)) {
            has = true;
            field = a.value;
        }
    };
    switch (name) {
    case AT_sibling:
        if (!origin && number && a.value < sections.debugSize) {
            v->hasSibling = true;
            v->sibling = a.value;
        }
        break;
    case AT_location:
        if (block && !(origin && v->hasLocation)) {
            v->hasLocation = true;
            v->location = DecodeDwarf1Location(a.block, a.value);
            v->memberLocation = DecodeDwarf1Location(a.block, a.value, CAddressValue());
        }
        break;
    case AT_name:
        if (form == DWARF1_FORM_STRING && !(origin && v->hasName)) {
            v->hasName = true;
            v->name = a.string;
        }
        break;
    case AT_fund_type:
    case AT_user_def_type:
        if (number && !(origin && v->type.present) && (name == AT_fund_type || a.value < sections.debugSize)) {
            v->type = Dwarf1Type();
            v->type.present = true;
            v->type.user = name == AT_user_def_type;
            v->type.value = a.value;
        }
        break;
    case AT_mod_fund_type:
    case AT_mod_u_d_type: {
        Dwarf1ModifiedType modified;
        const bool user = name == AT_mod_u_d_type;
        if (block && !(origin && v->type.present) && DecodeDwarf1ModifiedType(a.block, a.value, user, &modified) &&
            (!user || modified.type < sections.debugSize)) {
            v->type.present = true;
            v->type.user = user;
            v->type.value = modified.type;
            v->type.modifiers = std::move(modified.modifiers);
        }
        break;
    }
    case AT_subscr_data:
        if (block && !(origin && v->subscripts != nullptr)) {
            v->subscripts = a.block;
            v->subscriptsLength = a.value;
        }
        break;
    case AT_element_list:
        if (block && !(origin && v->elements != nullptr)) {
            v->elements = a.block;
            v->elementsLength = a.value;
        }
        break;
    case AT_byte_size:
        set(v->hasByteSize, v->byteSize);
        break;
    case AT_bit_offset:
        set(v->hasBitOffset, v->bitOffset);
        break;
    case AT_bit_size:
        set(v->hasBitSize, v->bitSize);
        break;
    case AT_stmt_list:
        set(v->hasStatementList, v->statementList);
        break;
    case AT_low_pc:
        set(v->hasLow, v->low);
        break;
    case AT_high_pc:
        set(v->hasHigh, v->high);
        break;
    case AT_language:
        set(v->hasLanguage, v->language);
        break;
    case AT_member:
        if (number && a.value < sections.debugSize)
            set(v->hasMember, v->member);
        break;
    case AT_comp_dir:
        if (form == DWARF1_FORM_STRING && !(origin && !v->compilationDirectory.IsEmpty()))
            v->compilationDirectory = a.string;
        break;
    case AT_abstract_origin:
        if (number && a.value < sections.debugSize)
            *nextOrigin = a.value;
        break;
    case AT_location_list:
        if (form == DWARF1_FORM_DATA4)
            set(v->hasLocationList, v->locationList);
        break;
    case AT_sfnames:
        set(v->hasNames, v->names);
        break;
    case AT_srcinfo:
    case AT_source_info:
        set(v->hasSourceInfo, v->sourceInfo);
        break;
    case AT_body_begin:
        set(v->hasBodyBegin, v->bodyBegin);
        break;
    case AT_body_end:
        set(v->hasBodyEnd, v->bodyEnd);
        break;
    default:
        break;
    }
}

// A reader whose first entry is the one at `offset` of ".debug".
Dwarf1Sections SectionsFrom(const Dwarf1Sections &sections, DWORD offset)
{
    Dwarf1Sections from = sections;
    from.debug = sections.debug + offset;
    from.debugSize = sections.debugSize - offset;
    return from;
}

} // namespace

void ReadDwarf1EntryValues(CDwarf1EntryReader &reader, const Dwarf1Sections &sections, Dwarf1EntryValues *values)
{
    *values = Dwarf1EntryValues();
    values->offset = reader.GetEntryOffset();
    values->length = reader.GetEntryLength();
    values->tag = reader.GetTag();
    DWORD origin = 0xFFFFFFFF;
    Dwarf1Attribute a;
    while (reader.NextAttribute(&a))
        TakeAttribute(a, sections, false, values, &origin);
    const bool subroutine = values->tag == DWARF1_TAG_GLOBAL_SUBROUTINE || values->tag == DWARF1_TAG_SUBROUTINE;
    for (int link = 0; subroutine && origin < sections.debugSize && link < MAX_ORIGIN_CHAIN; ++link) {
        CDwarf1EntryReader at(SectionsFrom(sections, origin));
        origin = 0xFFFFFFFF;
        if (!at.NextEntry() || at.IsNull())
            break;
        while (at.NextAttribute(&a))
            TakeAttribute(a, sections, true, values, &origin);
    }
}

bool ReadDwarf1EntryAt(const Dwarf1Sections &sections, DWORD offset, Dwarf1EntryValues *values)
{
    if (offset >= sections.debugSize)
        return false;
    CDwarf1EntryReader reader(SectionsFrom(sections, offset));
    if (!reader.NextEntry() || reader.IsNull())
        return false;
    *values = Dwarf1EntryValues();
    values->offset = offset;
    values->length = reader.GetEntryLength();
    values->tag = reader.GetTag();
    DWORD origin = 0;
    Dwarf1Attribute a;
    while (reader.NextAttribute(&a))
        TakeAttribute(a, sections, false, values, &origin);
    return true;
}

std::vector<Dwarf1Unit> FindDwarf1Units(const Dwarf1Sections &sections)
{
    std::vector<Dwarf1Unit> units;
    CDwarf1EntryReader reader(sections);
    DWORD end = 0;
    while (reader.NextEntry()) {
        end = reader.GetEntryOffset() + reader.GetEntryLength();
        if (reader.IsNull() || reader.GetTag() != DWARF1_TAG_COMPILE_UNIT)
            continue;
        if (!units.empty())
            units.back().end = reader.GetEntryOffset();
        units.push_back({reader.GetEntryOffset(), 0});
    }
    if (!units.empty())
        units.back().end = end;
    return units;
}

DWORD Dwarf1ChildrenEnd(const Dwarf1EntryValues &entry, DWORD unitEnd)
{
    if (entry.hasSibling && entry.sibling > entry.offset && entry.sibling <= unitEnd)
        return entry.sibling;
    return unitEnd;
}

bool DecodeDwarf1Subscripts(const BYTE *block, size_t length, Dwarf1Subscripts *subscripts)
{
    CDataCursor cursor(block, length, false);
    while (!cursor.AtEnd()) {
        const BYTE format = cursor.ReadU8();
        if (format == FMT_ET) {
            const WORD code = cursor.ReadU16();
            Dwarf1Type &element = subscripts->element;
            element = Dwarf1Type();
            switch (code & 0xFFF0) {
            case AT_fund_type:
                element.value = Dwarf1Form(code) == DWARF1_FORM_DATA2 ? cursor.ReadU16() : cursor.ReadU32();
                break;
            case AT_user_def_type:
                element.user = true;
                element.value = cursor.ReadU32();
                break;
            case AT_mod_fund_type:
            case AT_mod_u_d_type: {
                const WORD size = cursor.ReadU16();
                Dwarf1ModifiedType modified;
                element.user = (code & 0xFFF0) == AT_mod_u_d_type;
                if (!DecodeDwarf1ModifiedType(cursor.ReadBlock(size), size, element.user, &modified))
                    return false;
                element.value = modified.type;
                element.modifiers = std::move(modified.modifiers);
                break;
            }
            default:
                return false;
            }
            element.present = static_cast<bool>(cursor);
            return element.present;
        }
        if (format > FMT_ET)
            return false;
        // FMT_FT_* index by a 2-byte fundamental type, FMT_UT_* by a 4-byte reference;
        // bit 1 marks a low bound given as a location block, bit 0 a high one.
        cursor.Skip(format >= 4 ? 4 : 2);
        Dwarf1Dimension dimension;
        LONG *bounds[2] = {&dimension.low, &dimension.high};
        for (int i = 0; i < 2; ++i) {
            if ((format & (2 >> i)) != 0) {
                cursor.Skip(cursor.ReadU16());
                dimension.constantBounds = false;
            } else {
                *bounds[i] = static_cast<LONG>(cursor.ReadU32());
            }
        }
        if (!cursor)
            return false;
        subscripts->dimensions.push_back(dimension);
    }
    return false; // no element type
}

bool DecodeDwarf1Elements(const BYTE *block, size_t length, std::vector<Dwarf1Element> *elements)
{
    CDataCursor cursor(block, length, false);
    while (!cursor.AtEnd()) {
        const LONG value = static_cast<LONG>(cursor.ReadU32());
        LPCSTR name = cursor.ReadString();
        if (!cursor)
            return false;
        elements->push_back({value, name});
    }
    return true;
}

bool ReadDwarf1LineTable(const BYTE *line, size_t size, DWORD offset, DWORD first, DWORD until,
                         std::vector<Dwarf1LineEntry> *entries)
{
    CDataCursor cursor(line, size, false);
    if (!cursor.Seek(offset))
        return false;
    const DWORD length = cursor.ReadU32();
    const DWORD base = cursor.ReadU32();
    if (!cursor || length < 8 || length - 8 > cursor.GetRemaining())
        return false;
    const DWORD start = offset + 8;
    const DWORD end = start + (length - 8) / 10 * 10;
    first = first == 0 ? start : first;
    until = until == 0 ? end : until;
    // A bound that is not an entry's start would read the entries out of step.
    if (first < start || until > end || first > until || (first - start) % 10 != 0 || (until - start) % 10 != 0)
        return false;
    cursor.Seek(first);
    for (DWORD at = first; at < until; at += 10) {
        Dwarf1LineEntry entry;
        entry.line = cursor.ReadU32();
        entry.column = cursor.ReadU16();
        entry.delta = cursor.ReadU32();
        entry.address = base + entry.delta;
        entries->push_back(entry);
    }
    return true;
}

bool ReadDwarf1SourceInfo(const BYTE *srcinfo, size_t srcinfoSize, const BYTE *sfnames, size_t sfnamesSize,
                          DWORD offset, DWORD names, Dwarf1SourceInfo *info)
{
    CDataCursor cursor(srcinfo, srcinfoSize, false);
    if (!cursor.Seek(offset))
        return false;
    info->lineTable = cursor.ReadU32();
    const DWORD block = cursor.ReadU32();
    cursor.Skip(12); // start and end address, time stamp
    if (!cursor || block != names || names >= sfnamesSize)
        return false;
    while (cursor.GetRemaining() >= 8) {
        const DWORD lineOffset = cursor.ReadU32();
        const DWORD nameOffset = cursor.ReadU32();
        if (lineOffset == 0xFFFFFFFF)
            break;
        if (nameOffset == 0xFFFFFFFF) {
            info->endedByName = true;
            break;
        }
        if (nameOffset >= sfnamesSize - names)
            break;
        const BYTE *name = sfnames + names + nameOffset;
        const size_t room = sfnamesSize - names - nameOffset;
        if (memchr(name, 0, room) == nullptr)
            break;
        if (!info->files.empty())
            info->files.back().lineEnd = lineOffset;
        info->files.push_back({reinterpret_cast<LPCSTR>(name), lineOffset, 0});
    }
    return true;
}
