#include "dwarf2entryvalues.h"

#include "dwarf2codes.h"

namespace {

// No producer chains more than a concrete instance, its abstract origin and a
// declaration; a longer chain, or a loop, is a damaged file.
const int MAX_REFERENCE_CHAIN = 8;

DWORD EncodingOf(DWORD value)
{
    return value >= 0x80 && value <= 0xFF ? 0xFF : value;
}

// The value of a bound, count or member offset: a constant form, or the constant that a
// location block leaves.
bool ConstantOf(const Dwarf2Attribute &a, DWORD *value)
{
    if (a.block != nullptr) {
        if (!a.hasLocation || !a.location.complete || a.location.place.AddressMode != 0)
            return false;
        *value = a.location.place.AddressValue;
        return true;
    }
    *value = a.value;
    return a.string == nullptr;
}

struct References {
    bool hasOrigin = false;
    DWORD origin = 0;
    bool hasDeclaration = false;
    DWORD declaration = 0; // DW_AT_specification: the declaration a definition completes
};

void ReadAttributes(CDwarf2EntryReader &reader, Dwarf2EntryValues *v, References *references)
{
    while (reader.NextAttribute()) {
        const Dwarf2Attribute &a = reader.GetAttribute();
        switch (a.name) {
        case DW_AT_name:
            if (a.string != nullptr) {
                v->name = a.string;
                v->hasName = true;
            }
            break;
        case DW_AT_low_pc:
            v->hasLow = true;
            v->low = a.value;
            break;
        case DW_AT_high_pc:
            v->hasHigh = true;
            v->high = a.value;
            break;
        case DW_AT_external:
            v->external = a.value != 0;
            break;
        case DW_AT_type:
            v->hasType = Dwarf2UnitReference(a, reader.GetUnit(), &v->type);
            break;
        case DW_AT_byte_size:
            v->hasByteSize = ConstantOf(a, &v->byteSize);
            break;
        case DW_AT_bit_offset:
            v->hasBitOffset = true;
            v->bitOffset = a.form == DW_FORM_sdata ? static_cast<LONG>(a.signedValue) : static_cast<LONG>(a.value);
            break;
        case DW_AT_bit_size:
            v->hasBitSize = ConstantOf(a, &v->bitSize);
            break;
        case DW_AT_data_member_location:
            v->hasMemberLocation = ConstantOf(a, &v->memberLocation);
            break;
        case DW_AT_upper_bound:
            v->hasUpperBound = ConstantOf(a, &v->upperBound);
            break;
        case DW_AT_count:
            v->hasCount = ConstantOf(a, &v->count);
            break;
        case DW_AT_const_value:
            v->hasConstValue = a.block == nullptr && a.string == nullptr;
            v->constValue = a.value;
            v->constValueForm = a.form;
            break;
        case DW_AT_stmt_list:
            v->hasStatementList = true;
            v->statementList = a.value;
            break;
        case DW_AT_comp_dir:
            if (a.string != nullptr)
                v->compilationDirectory = a.string;
            break;
        case DW_AT_encoding:
            v->encoding = EncodingOf(a.value);
            break;
        case DW_AT_location:
            v->hasLocation = a.hasLocation;
            v->location = a.location;
            v->hasLocationList = a.hasLocationList;
            v->locationList = a.locationList;
            break;
        case DW_AT_frame_base:
            v->hasFrameBase = a.hasLocation;
            v->frameBase = a.location;
            v->hasFrameBaseList = a.hasLocationList;
            v->frameBaseList = a.locationList;
            break;
        case DW_AT_abstract_origin:
            references->hasOrigin = Dwarf2UnitReference(a, reader.GetUnit(), &references->origin);
            break;
        case DW_AT_specification:
            references->hasDeclaration = Dwarf2UnitReference(a, reader.GetUnit(), &references->declaration);
            break;
        default:
            break;
        }
    }
}

// Takes from `from`, the entry at `offset`, what `to` lacks.
void FillGaps(Dwarf2EntryValues *to, const Dwarf2EntryValues &from, DWORD offset, bool byDeclaration,
              const Dwarf2Qualifiers *qualifiers)
{
    if (!to->hasName && from.hasName) {
        to->name = from.name;
        to->hasName = true;
        if (byDeclaration && qualifiers != nullptr) {
            auto qualifier = qualifiers->find(offset);
            if (qualifier != qualifiers->end())
                to->name = qualifier->second + "::" + to->name;
        }
    }
    if (!to->hasType && from.hasType) {
        to->hasType = true;
        to->type = from.type;
    }
    to->external = to->external || from.external;
}

} // namespace

bool Dwarf2UnitReference(const Dwarf2Attribute &attribute, const Dwarf2UnitHeader &unit, DWORD *offset)
{
    DWORD reference = attribute.value;
    if (attribute.form == DW_FORM_ref_addr) {
        if (reference < unit.offset)
            return false;
        reference -= unit.offset;
    } else if (attribute.form == DW_FORM_ref8 && attribute.value2 != 0) {
        return false;
    }
    if (reference >= unit.end - unit.offset)
        return false;
    *offset = reference;
    return true;
}

void ReadDwarf2EntryValues(CDwarf2EntryReader &reader, Dwarf2EntryValues *values, const Dwarf2Qualifiers *qualifiers)
{
    values->tag = reader.GetTag();
    values->offset = reader.GetEntryOffset();
    values->hasChildren = reader.HasChildren();
    References references;
    ReadAttributes(reader, values, &references);
    // An entry that could not be read whole leaves no place to come back to: the walk
    // ends there, and following its references would start it again further up.
    if ((!references.hasOrigin && !references.hasDeclaration) || !reader.GetDiagnostic().IsEmpty())
        return;

    const DWORD resume = reader.GetPosition();
    DWORD visited[MAX_REFERENCE_CHAIN];
    int chain = 0;
    while (chain < MAX_REFERENCE_CHAIN && (references.hasOrigin || references.hasDeclaration)) {
        const bool byDeclaration = !references.hasOrigin;
        const DWORD target = byDeclaration ? references.declaration : references.origin;
        bool loop = target == values->offset;
        for (int i = 0; i < chain; ++i)
            loop = loop || visited[i] == target;
        if (loop || !reader.JumpToEntry(target) || !reader.NextEntry() || reader.GetAbbreviationCode() == 0)
            break;
        visited[chain++] = target;
        Dwarf2EntryValues referenced;
        references = References();
        ReadAttributes(reader, &referenced, &references);
        FillGaps(values, referenced, target, byDeclaration, qualifiers);
    }
    reader.JumpToEntry(resume);
}
