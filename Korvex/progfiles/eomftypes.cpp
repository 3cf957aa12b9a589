// The types of the EOMF globals level: written on demand, program-wide.
#include "eomfglobals.h"

#include <packedindex.h>
#include <symdbstrings.h>
#include <typewriters.h>

BOOL CEOMFGlobals::ReadType(DWORD type, EomfTypeDescriptor *descriptor) const
{
    const DWORD offset = GetTypeOffset(type);
    if (offset == 0)
        return FALSE;
    CEomfCursor cursor = MakeCursor();
    EomfRecord record;
    return cursor.First(offset, &record) == CEomfCursor::RECORD && ReadEomfTypeDescriptor(record, descriptor);
}

LONG CEOMFGlobals::TakeTypeNumber()
{
    return m_nNextTypeNumber++;
}

void CEOMFGlobals::WriteTypeOnDemand(DWORD type)
{
    // A work list, not recursion: a chain of thousands of pointers costs memory in
    // proportion to the file, never stack.
    std::vector<DWORD> pending{type};
    while (!pending.empty()) {
        const DWORD next = pending.back();
        pending.pop_back();
        if (next < 128 || GetTypeOffset(next) == 0)
            continue;
        const size_t slot = next - 128;
        if (m_typeMarks.size() <= slot)
            m_typeMarks.resize(slot + 1, 0);
        // Marked before its parts are written: a structure that points to itself is
        // written once.
        if (m_typeMarks[slot])
            continue;
        m_typeMarks[slot] = 1;
        if (SeekKey(m_types, IDS_DB_TYPEINDEXKEY, CdbVariant(PackTypeIndex(0, static_cast<LONG>(next)))))
            continue;
        EomfTypeDescriptor descriptor;
        if (ReadType(next, &descriptor))
            WriteTypeRows(next, descriptor, &pending);
    }
}

LONG CEOMFGlobals::WriteComponents(DWORD list, DWORD owner, std::vector<DWORD> *pending)
{
    EomfTypeDescriptor components;
    if (list < 128 || !ReadType(list, &components) || components.Kind != EOMF_TYPE_COMPONENTS)
        return 0;
    for (const EomfComponent &component : components.Components) {
        if (component.ParameterKind == 0 && component.Bit == 0) {
            StructMemberRecordTag member;
            member.Name = component.Name;
            member.Number = TakeTypeNumber();
            member.Type = component.Type;
            member.Offset = static_cast<LONG>(component.Value * 8);
            member.Owner = static_cast<LONG>(owner);
            WriteStructMemberRecord(member, m_types, TRUE);
        } else {
            TypeLinkRecordTag link;
            link.Number = TakeTypeNumber();
            link.Type = component.Type;
            link.Owner = static_cast<LONG>(owner);
            WriteTypeLinkRecord(link, m_types, TRUE);
        }
        pending->push_back(component.Type);
    }
    return static_cast<LONG>(components.Components.size());
}

namespace {

LONG CountComponents(const EomfTypeDescriptor &list)
{
    return list.Kind == EOMF_TYPE_COMPONENTS ? static_cast<LONG>(list.Components.size()) : 0;
}

} // namespace

void CEOMFGlobals::WriteTypeRows(DWORD type, const EomfTypeDescriptor &descriptor, std::vector<DWORD> *pending)
{
    const LONG number = static_cast<LONG>(type);
    switch (descriptor.Kind) {
    case EOMF_TYPE_POINTER: {
        const BYTE a = descriptor.Attribute;
        PointerTypeRecordTag pointer;
        pointer.Number = number;
        pointer.TargetType = descriptor.Type;
        pointer.Kind = a < 3 ? 1 : a <= 4 ? 0 : (a == 9 || a == 0xD) ? 2 : 1;
        WritePointerTypeRecord(pointer, m_types, TRUE);
        pending->push_back(descriptor.Type);
        break;
    }
    case EOMF_TYPE_ARRAY: {
        if (!descriptor.BoundsFit || descriptor.Bounds.empty())
            break;
        // The first dimension is the type itself, each further one the element of the
        // one before, the last one's element the element type.
        std::vector<LONG> numbers{number};
        for (size_t i = 1; i < descriptor.Bounds.size(); ++i)
            numbers.push_back(TakeTypeNumber());
        for (size_t i = 0; i < descriptor.Bounds.size(); ++i) {
            ArrayRecordTag array;
            array.Number = numbers[i];
            array.ElementType = i + 1 < numbers.size() ? numbers[i + 1] : descriptor.Type;
            array.Count = static_cast<LONG>(descriptor.Bounds[i]);
            WriteArrayTypeRecord(array, m_types, TRUE);
        }
        pending->push_back(descriptor.Type);
        break;
    }
    case EOMF_TYPE_FUNCTION: {
        EomfTypeDescriptor list;
        const LONG count = descriptor.List >= 128 && ReadType(descriptor.List, &list) ? CountComponents(list) : 0;
        FunctionTypeRecordTag function;
        function.Number = number;
        function.ResultType = descriptor.Type;
        function.ParameterCount = count;
        function.Extra = -1;
        WriteFunctionTypeRecord(function, m_types, TRUE);
        WriteComponents(descriptor.List, type, pending);
        pending->push_back(descriptor.Type);
        break;
    }
    case EOMF_TYPE_STRUCT: {
        EomfTypeDescriptor list;
        CompoundTypeRecordTag compound;
        compound.Name = descriptor.Name;
        compound.Number = number;
        compound.Bits = static_cast<LONG>(descriptor.Size * 8);
        compound.Count = descriptor.List >= 128 && ReadType(descriptor.List, &list) ? CountComponents(list) : 0;
        if (descriptor.Attribute == 2)
            WriteUnionTypeRecord(compound, m_types, TRUE);
        else
            WriteStructTypeRecord(compound, m_types, TRUE);
        WriteComponents(descriptor.List, type, pending);
        break;
    }
    case EOMF_TYPE_BITFIELD: {
        BitFieldTypeRecordTag bitField;
        bitField.Number = number;
        bitField.Data[0] = descriptor.BitWidth;
        bitField.Data[1] = descriptor.BitOffset;
        bitField.Data[2] = (descriptor.Type == 0x42 || descriptor.Type == 0x44 || descriptor.Type == 0x46) ? 1 : 0;
        WriteBitFieldTypeRecord(bitField, m_types, TRUE);
        pending->push_back(descriptor.Type);
        break;
    }
    default: // a component list is written only as part of its owner
        break;
    }
}

DWORD CEOMFGlobals::TypeSize(DWORD type)
{
    uint64_t factor = 1;
    // An array's element may be an array again; the steps are bounded, so that an
    // array that names itself ends.
    for (int step = 0; step < 64; ++step) {
        switch (type) {
        case 0x42:
        case 0x43:
            return static_cast<DWORD>(factor);
        case 0x46:
        case 0x47:
        case 0x48:
            return static_cast<DWORD>(factor * 4 > 0xFFFFFFFFu ? 0xFFFFFFFFu : factor * 4);
        case 0x49:
            return static_cast<DWORD>(factor * 8 > 0xFFFFFFFFu ? 0xFFFFFFFFu : factor * 8);
        default:
            break;
        }
        EomfTypeDescriptor descriptor;
        if (type < 128 || !ReadType(type, &descriptor))
            return static_cast<DWORD>(factor * 2 > 0xFFFFFFFFu ? 0xFFFFFFFFu : factor * 2);
        uint64_t size = 2;
        switch (descriptor.Kind) {
        case EOMF_TYPE_POINTER: {
            const BYTE a = descriptor.Attribute;
            size = (a == 5 || a == 6 || a == 9 || a == 0xD) ? 4 : 2;
            break;
        }
        case EOMF_TYPE_STRUCT:
            size = descriptor.Size;
            break;
        case EOMF_TYPE_ARRAY:
            if (descriptor.BoundsFit) {
                for (DWORD bound : descriptor.Bounds)
                    factor = factor * bound > 0xFFFFFFFFu ? 0x100000000ull : factor * bound;
                type = descriptor.Type;
                continue;
            }
            break;
        default:
            break;
        }
        const uint64_t total = factor * size;
        return static_cast<DWORD>(total > 0xFFFFFFFFu ? 0xFFFFFFFFu : total);
    }
    return 0xFFFFFFFFu;
}
