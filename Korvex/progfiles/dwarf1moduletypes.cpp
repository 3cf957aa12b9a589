// The types of the DWARF 1.1 module pass. A type is named by its entry's offset in the
// unit; fundamental types by their fixed numbers, written first; the pointers that type
// modifiers make by the modifying entry's offset plus 1, plus 2, ...; the inner
// dimensions of an array and the storage of a bit-field by synthetic numbers, counted
// down below the fundamental ones.
#include "elffile.h"

#include <packedindex.h>
#include <typewriters.h>

#include "dwarf1modulestate.h"
#include "dwarf1types.h"

namespace {

// Typedef chains are short; this only stops a loop that a damaged file builds.
const int MAX_TYPEDEF_CHAIN = 64;

} // namespace

void CELFFile::WriteDwarf1FundamentalTypes()
{
    for (const Dwarf1FundamentalType &fundamental : Dwarf1FundamentalTypes()) {
        BaseTypeRecordTag base;
        base.Modul = m_nModul;
        base.Name = fundamental.name;
        base.Number = fundamental.number;
        base.Bits = fundamental.bits;
        WriteBaseTypeRecord(base, m_types, FALSE);
    }
}

LONG CELFFile::Dwarf1ModuleType(const Dwarf1Type &type, DWORD entryOffset, const Dwarf1ModuleState &state)
{
    std::vector<Dwarf1PointerRow> pointers;
    const LONG number =
        Dwarf1TypeNumber(type, state.InUnit(entryOffset), state.unit.offset, state.unit.end, &pointers);
    for (const Dwarf1PointerRow &row : pointers) {
        PointerTypeRecordTag pointer;
        pointer.Modul = m_nModul;
        pointer.Number = row.number;
        pointer.TargetType = row.target;
        pointer.Kind = 2;
        WritePointerTypeRecord(pointer, m_types, FALSE);
    }
    return number;
}

void CELFFile::WriteDwarf1TypeEntry(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state)
{
    const LONG number = static_cast<LONG>(state.InUnit(entry.offset));
    const LONG given = Dwarf1ModuleType(entry.type, entry.offset, state);
    const LONG type = given == kNoIndex ? DWARF1_VOID_TYPE : given;
    Dwarf1ModuleState::Open open;
    open.end = Dwarf1ChildrenEnd(entry, state.unit.end);
    open.number = number;
    switch (entry.tag) {
    case DWARF1_TAG_POINTER_TYPE: {
        PointerTypeRecordTag pointer;
        pointer.Modul = m_nModul;
        pointer.Number = number;
        pointer.TargetType = type;
        pointer.Kind = 2;
        WritePointerTypeRecord(pointer, m_types, FALSE);
        return;
    }
    case DWARF1_TAG_TYPEDEF: {
        TypedefRecordTag name;
        name.Modul = m_nModul;
        name.Name = Dwarf1Name(entry.name, state.language);
        name.Number = number;
        name.NamedType = type;
        WriteTypedefRecord(name, m_types, FALSE);
        return;
    }
    case DWARF1_TAG_SUBROUTINE_TYPE:
        open.kind = Dwarf1ModuleState::FUNCTION_TYPE;
        open.resultType = type;
        break;
    default:
        open.kind = Dwarf1ModuleState::COMPOUND;
        open.isUnion = entry.tag == DWARF1_TAG_UNION_TYPE;
        open.name = Dwarf1Name(entry.name, state.language);
        if (open.name.IsEmpty())
            open.name = open.isUnion ? "_unnamed_union" : "_unnamed_struct";
        open.bits = entry.hasByteSize ? static_cast<LONG>(entry.byteSize * 8) : 0;
        break;
    }
    // The type's row follows its members or parameters, when its children end. Nesting
    // deeper than any program's leaves the children to the type around it.
    if (state.opens.size() >= MAX_DWARF1_NESTING) {
        state.opens.push_back(open);
        CloseDwarf1Construct(state);
        return;
    }
    if (!state.opens.empty() && open.end > state.opens.back().end)
        open.end = state.opens.back().end;
    state.opens.push_back(open);
}

void CELFFile::CloseDwarf1Construct(Dwarf1ModuleState &state)
{
    const Dwarf1ModuleState::Open open = state.opens.back();
    state.opens.pop_back();
    if (open.kind == Dwarf1ModuleState::FUNCTION_TYPE) {
        FunctionTypeRecordTag function;
        function.Modul = m_nModul;
        function.Number = open.number;
        function.ResultType = open.resultType;
        function.ParameterCount = open.count;
        function.Extra = 0;
        WriteFunctionTypeRecord(function, m_types, FALSE);
    } else if (open.kind == Dwarf1ModuleState::COMPOUND) {
        CompoundTypeRecordTag compound;
        compound.Modul = m_nModul;
        compound.Name = open.name;
        compound.Number = open.number;
        compound.Bits = open.bits;
        compound.Count = open.count;
        if (open.isUnion)
            WriteUnionTypeRecord(compound, m_types, FALSE);
        else
            WriteStructTypeRecord(compound, m_types, FALSE);
    }
}

void CELFFile::WriteDwarf1Array(const Dwarf1EntryValues &entry, const Dwarf1ModuleState &state)
{
    Dwarf1Subscripts subscripts;
    if (entry.subscripts == nullptr ||
        !DecodeDwarf1Subscripts(entry.subscripts, entry.subscriptsLength, &subscripts) ||
        subscripts.dimensions.empty())
        return;
    const LONG element = Dwarf1ModuleType(subscripts.element, entry.offset, state);
    // The outermost dimension is the entry's own type; each inner one takes a synthetic
    // number, and the innermost holds the elements.
    LONG number = static_cast<LONG>(state.InUnit(entry.offset));
    for (size_t i = 0; i < subscripts.dimensions.size(); ++i) {
        const bool innermost = i + 1 == subscripts.dimensions.size();
        ArrayRecordTag dimension;
        dimension.Modul = m_nModul;
        dimension.Number = number;
        dimension.ElementType = innermost ? (element == kNoIndex ? DWARF1_VOID_TYPE : element) : TakeSyntheticNumber();
        dimension.Count = subscripts.dimensions[i].Count();
        WriteArrayTypeRecord(dimension, m_types, FALSE);
        number = dimension.ElementType;
    }
}

void CELFFile::WriteDwarf1Enumeration(const Dwarf1EntryValues &entry, const Dwarf1ModuleState &state)
{
    std::vector<Dwarf1Element> elements;
    if (entry.elements != nullptr)
        DecodeDwarf1Elements(entry.elements, entry.elementsLength, &elements);
    const LONG number = static_cast<LONG>(state.InUnit(entry.offset));
    CompoundTypeRecordTag enumeration;
    enumeration.Modul = m_nModul;
    enumeration.Name = Dwarf1Name(entry.name, state.language);
    if (enumeration.Name.IsEmpty())
        enumeration.Name = "_unnamed_enumeration";
    enumeration.Number = number;
    enumeration.Bits = entry.hasByteSize ? static_cast<LONG>(entry.byteSize * 8) : 0;
    enumeration.Count = static_cast<LONG>(elements.size());
    WriteEnumTypeRecord(enumeration, m_types, FALSE);
    // The list runs from the last enumerator to the first; the rows are numbered in the
    // order of the declaration, after the entry (every element is longer than a byte, so
    // the numbers stay inside the entry).
    LONG next = number;
    for (auto element = elements.rbegin(); element != elements.rend(); ++element) {
        EnumMemberRecordTag member;
        member.Modul = m_nModul;
        member.Name = element->name;
        member.Number = ++next;
        member.Value = element->value;
        member.Owner = number;
        WriteEnumMemberRecord(member, m_types, FALSE);
    }
}

bool CELFFile::IsDwarf1SignedMember(const Dwarf1Type &type, const Dwarf1ModuleState &state) const
{
    Dwarf1Type at = type;
    for (int step = 0; step < MAX_TYPEDEF_CHAIN && at.present && at.modifiers.empty(); ++step) {
        if (!at.user)
            return IsDwarf1SignedType(at.value);
        auto named = state.typedefs.find(at.value);
        if (named == state.typedefs.end())
            return false;
        at = named->second;
    }
    return false;
}

void CELFFile::WriteDwarf1Member(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state)
{
    Dwarf1ModuleState::Open &owner = state.opens.back();
    const bool inheritance = entry.tag == DWARF1_TAG_INHERITANCE;
    LONG type = Dwarf1ModuleType(entry.type, entry.offset, state);
    LONG bitOffset = entry.hasLocation ? static_cast<LONG>(entry.memberLocation.AddressValue * 8) : 0;
    if (entry.hasByteSize || entry.hasBitOffset || entry.hasBitSize) {
        const LONG storage = static_cast<LONG>(entry.byteSize * 8);
        LONG position = storage - static_cast<LONG>(entry.bitSize) - static_cast<LONG>(entry.bitOffset);
        if (position < 0 && storage > 0) {
            bitOffset -= storage;
            position += storage;
        }
        BitFieldTypeRecordTag bitField;
        bitField.Modul = m_nModul;
        bitField.Number = TakeSyntheticNumber();
        bitField.Data[0] = static_cast<LONG>(entry.bitSize);
        bitField.Data[1] = position;
        bitField.Data[2] = IsDwarf1SignedMember(entry.type, state) ? 1 : 0;
        WriteBitFieldTypeRecord(bitField, m_types, FALSE);
        type = bitField.Number;
    }
    StructMemberRecordTag member;
    member.Modul = m_nModul;
    member.Name = inheritance ? CString("base_class") : Dwarf1Name(entry.name, state.language);
    member.Number = static_cast<LONG>(state.InUnit(entry.offset));
    member.Type = type;
    member.Offset = bitOffset;
    member.Owner = owner.number;
    WriteStructMemberRecord(member, m_types, FALSE);
    if (!inheritance)
        ++owner.count;
}
