// The type records of the Tasking module pass.
#include "taskingfile.h"

#include <basetypetable.h>
#include <packedindex.h>
#include <typewriters.h>

#include "taskingmodulepass.h"

namespace {

const LONG kOneBitType = 256;
const LONG kMemberNumbers = 0x10000; // members and enumerators, above the 16-bit type numbers

// Of the base-type codes, those of the signed integers: char, short, long, the 16- and
// 32-bit int and long long.
BOOL IsSignedBaseType(LONG code)
{
    return code == 1 || code == 3 || code == 5 || code == 9 || code == 11 || code == 107;
}

} // namespace

BOOL CTaskingOutFile::IsNewType(ModulePass &pass, LONG number)
{
    if (pass.types.insert(PackIndexChecked(pass.modul, number, FALSE)).second)
        return TRUE;
    SetNotice("module %d: record %u defines type %d again", static_cast<int>(pass.modul), GetCurrentRecord(),
              static_cast<int>(number));
    return FALSE;
}

BOOL CTaskingOutFile::DispatchType(ModulePass &pass, DWORD index, const TaskingNameRecord &record)
{
    const LONG number = record.Descriptor;
    const LONG member = kMemberNumbers + static_cast<LONG>(index - pass.firstRecord);
    // A construct whose end never came is dropped when the next one of its kind begins.
    auto begin = [&](BOOL &open, LPCSTR what) {
        if (open)
            SetNotice("module %d: record %u begins a %s while the last one has not ended", static_cast<int>(pass.modul),
                      index, what);
        open = TRUE;
    };
    auto outside = [&](LPCSTR what) {
        SetNotice("module %d: record %u is %s outside its type", static_cast<int>(pass.modul), index, what);
    };
    switch (record.Kind()) {
    case TASKING_ARRAY_BEGIN:
        begin(pass.arrayOpen, "array");
        pass.array = ArrayRecordTag();
        pass.array.Modul = pass.modul;
        pass.array.Number = number;
        pass.array.ElementType = static_cast<LONG>(record.Value & 0xFFFF);
        pass.lowerBound = static_cast<LONG>(record.Value >> 16);
        break;
    case TASKING_ARRAY_END: {
        if (!pass.arrayOpen) {
            outside("an array end");
            break;
        }
        pass.arrayOpen = FALSE;
        const int64_t count = int64_t(record.Value) + 1 - pass.lowerBound;
        pass.array.Count = count > 0 ? static_cast<LONG>(count) : 0;
        if (IsNewType(pass, pass.array.Number))
            WriteArrayTypeRecord(pass.array, m_types, FALSE);
        break;
    }
    case TASKING_BIT_TYPE:
        if (!IsNewType(pass, number))
            break;
        if (number == kOneBitType && record.Value == 0x10000) {
            BaseTypeRecordTag bit;
            bit.Modul = pass.modul;
            bit.Name = "bit";
            bit.Number = number;
            bit.Bits = 1;
            WriteBaseTypeRecord(bit, m_types, FALSE);
        } else {
            BitFieldTypeRecordTag field;
            field.Modul = pass.modul;
            field.Number = number;
            // The rows say width, bit offset and sign, as the type query reads them; the
            // record's base type (bits 16-31) gives only the sign.
            field.Data[0] = static_cast<LONG>(record.Value & 0xFF);
            field.Data[1] = static_cast<LONG>((record.Value >> 8) & 0xFF);
            field.Data[2] = pass.signedTypes.count(static_cast<LONG>(record.Value >> 16)) != 0 ? 1 : 0;
            WriteBitFieldTypeRecord(field, m_types, FALSE);
        }
        break;
    case TASKING_TYPEDEF: {
        TypedefRecordTag name;
        name.Modul = pass.modul;
        name.Name = GetString();
        name.Number = number;
        name.NamedType = static_cast<LONG>(record.Value);
        if (IsNewType(pass, number))
            WriteTypedefRecord(name, m_types, FALSE);
        break;
    }
    case TASKING_ENUM_BEGIN:
        begin(pass.enumerationOpen, "enumeration");
        pass.enumeration = CompoundTypeRecordTag();
        pass.enumeration.Modul = pass.modul;
        pass.enumeration.Name = GetString();
        pass.enumeration.Number = number;
        break;
    case TASKING_ENUM_MEMBER: {
        if (!pass.enumerationOpen) {
            outside("an enumerator");
            break;
        }
        EnumMemberRecordTag value;
        value.Modul = pass.modul;
        value.Name = GetString();
        value.Number = member;
        value.Value = static_cast<LONG>(record.Value);
        value.Owner = pass.enumeration.Number;
        WriteEnumMemberRecord(value, m_types, FALSE);
        ++pass.enumeration.Count;
        break;
    }
    case TASKING_ENUM_END:
        if (!pass.enumerationOpen) {
            outside("an enumeration end");
            break;
        }
        pass.enumerationOpen = FALSE;
        pass.enumeration.Bits = static_cast<LONG>(record.Value);
        if (IsNewType(pass, pass.enumeration.Number))
            WriteEnumTypeRecord(pass.enumeration, m_types, FALSE);
        break;
    case TASKING_STRUCT_BEGIN:
    case TASKING_UNION_BEGIN:
        begin(pass.compoundOpen, record.Kind() == TASKING_STRUCT_BEGIN ? "structure" : "union");
        pass.compound = CompoundTypeRecordTag();
        pass.compound.Modul = pass.modul;
        pass.compound.Name = GetString();
        pass.compound.Number = number;
        break;
    case TASKING_MEMBER: {
        if (!pass.compoundOpen) {
            outside("a member");
            break;
        }
        StructMemberRecordTag field;
        field.Modul = pass.modul;
        field.Name = GetString();
        field.Number = member;
        field.Type = number;
        field.Offset = static_cast<LONG>(record.Value);
        field.Owner = pass.compound.Number;
        WriteStructMemberRecord(field, m_types, FALSE);
        ++pass.compound.Count;
        break;
    }
    case TASKING_STRUCT_END:
    case TASKING_UNION_END:
        if (!pass.compoundOpen) {
            outside("a structure or union end");
            break;
        }
        pass.compoundOpen = FALSE;
        pass.compound.Bits = static_cast<LONG>(record.Value);
        if (!IsNewType(pass, pass.compound.Number))
            break;
        if (record.Kind() == TASKING_STRUCT_END)
            WriteStructTypeRecord(pass.compound, m_types, FALSE);
        else
            WriteUnionTypeRecord(pass.compound, m_types, FALSE);
        break;
    case TASKING_POINTER: {
        PointerTypeRecordTag pointer;
        pointer.Modul = pass.modul;
        pointer.Number = number;
        pointer.TargetType = static_cast<LONG>(record.Value & 0xFFFF);
        if ((record.Value & (1u << 17)) != 0)
            pointer.Kind = (record.Value & (1u << 19)) != 0 && (record.Value & (7u << 20)) == 0 ? 2 : 1;
        if (IsNewType(pass, number))
            WritePointerTypeRecord(pointer, m_types, FALSE);
        break;
    }
    case TASKING_BASE_TYPE: {
        BaseTypeRecordTag base;
        base.Modul = pass.modul;
        base.Name = GetString();
        base.Number = number;
        base.Bits = static_cast<LONG>(record.Value >> 16);
        if (!IsNewType(pass, number))
            break;
        LONG code = 0;
        if (!FindBaseTypeCode(base.Name, base.Bits, &code) || !WriteBaseTypeRecord(base, m_types, FALSE)) {
            SetNotice("module %d: record %u: \"%s\" of %d bits is no base type", static_cast<int>(pass.modul), index,
                      static_cast<LPCSTR>(base.Name), static_cast<int>(base.Bits));
            break;
        }
        if (IsSignedBaseType(code))
            pass.signedTypes.insert(number);
        break;
    }
    case TASKING_FUNCTION_TYPE: {
        FunctionTypeRecordTag function;
        function.Modul = pass.modul;
        function.Number = number;
        function.ResultType = static_cast<LONG>(record.Value);
        if (IsNewType(pass, number))
            WriteFunctionTypeRecord(function, m_types, FALSE);
        break;
    }
    default:
        break;
    }
    return TRUE;
}
