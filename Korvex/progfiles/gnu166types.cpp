// The module pass's types: the trees of the stabs type parser as Types rows.
#include "gnu166file.h"

#include <packedindex.h>
#include <typewriters.h>

#include <climits>

namespace {

// The stabs number of a typeinfo node: a number node's value, a definition's first child.
LONG NumberOf(const CQelDBXNode *node)
{
    if (node == nullptr)
        return -1;
    if (node->Kind == DBX_NODE_NUMBER)
        return node->Value;
    if (node->Kind == DBX_NODE_INNER && node->Child[0] != nullptr && node->Child[0]->Kind == DBX_NODE_NUMBER)
        return node->Child[0]->Value;
    return -1;
}

// A type that a row refers to; kNoIndex for a number that the database cannot pack, so
// that one odd string costs its reference, not the module.
LONG Reference(LONG number)
{
    return number >= 0 && number <= kMaxPackedNumber ? number : kNoIndex;
}

// The size in bits that a range's bounds give a base type; 0 for none.
LONG RangeBits(LONG lower, LONG upper)
{
    if ((lower == -32768 && upper == 32767) || (lower == 0 && upper == 65535))
        return 16;
    // The unsigned 32-bit maximum that stabs writes saturates to this too.
    if (upper == INT32_MAX)
        return 32;
    if ((lower == -128 && upper == 127) || (lower == 0 && upper == 127) || (lower == 0 && upper == 255))
        return 8;
    if (lower == 4 && upper == 0)
        return 32;
    if (lower == 8 && upper == 0)
        return 64;
    return 0;
}

} // namespace

void CGNU166File::ParseTypes(const CString &typePart, const CString &name)
{
    // A bare type number defines nothing.
    if (typePart.Find('=') < 0)
        return;
    const CQelDBXNode *root = m_parser.Parse(typePart, 0);
    if (root != nullptr)
        WriteType(root, name);
}

BOOL CGNU166File::TakeTypeNumber(LONG number)
{
    if (number < 0 || m_writtenTypes.count(number) != 0)
        return FALSE;
    if (number >= 0x20000) {
        SetNotice("module %d: stabs type %ld lies among the reader's own type numbers and is not written", m_nModul,
                  static_cast<long>(number));
        return FALSE;
    }
    m_writtenTypes.insert(number);
    return TRUE;
}

LONG CGNU166File::WriteType(const CQelDBXNode *node, const CString &name)
{
    const LONG number = NumberOf(node);
    if (node == nullptr || node->Kind != DBX_NODE_INNER)
        return number;
    const CQelDBXNode *info = node->Child[1];
    switch (node->Value) {
    case D_VOIDNUMBER: {
        const LONG other = NumberOf(info);
        if (!TakeTypeNumber(number))
            break;
        if (other == number) {
            BaseTypeRecordTag record;
            record.Modul = m_nModul;
            record.Name = name;
            record.Number = number;
            record.Bits = 0;
            WriteBaseTypeRecord(record, m_types, FALSE);
        } else {
            // An alias: a typedef keeps the variables of the name typed.
            TypedefRecordTag record;
            record.Modul = m_nModul;
            record.Name = name;
            record.Number = number;
            record.NamedType = Reference(other);
            WriteTypedefRecord(record, m_types, FALSE);
        }
        break;
    }
    case DBX_RANGE_TYPE:
        WriteRange(number, info, name);
        break;
    case DBX_STRUCT_TYPE:
    case DBX_UNION_TYPE:
        WriteCompound(number, info, name, node->Value == DBX_UNION_TYPE);
        break;
    case DBX_ENUM_TYPE:
        WriteEnum(number, info, name);
        break;
    case DBX_ARRAY_TYPE: {
        const LONG element = Reference(WriteType(info->Child[3], ""));
        if (element > 0 && TakeTypeNumber(number)) {
            ArrayRecordTag record;
            record.Modul = m_nModul;
            record.Number = number;
            record.ElementType = element;
            // The lower bound is not used; a count beyond 32 bits is cut.
            const int64_t count = int64_t(info->Child[2]->Value) + 1;
            record.Count = static_cast<LONG>(count > INT32_MAX ? INT32_MAX : count);
            WriteArrayTypeRecord(record, m_types, FALSE);
        }
        break;
    }
    case DBX_POINTER_TYPE: {
        const LONG target = Reference(WriteType(info->Child[0], ""));
        if (target > 0 && number > 0 && TakeTypeNumber(number)) {
            PointerTypeRecordTag record;
            record.Modul = m_nModul;
            record.Number = number;
            record.TargetType = target;
            record.Kind = PointerKind(info->Value, info->Child[0], target);
            WritePointerTypeRecord(record, m_types, FALSE);
        }
        break;
    }
    case DBX_FUNCTION_TYPE: {
        const LONG result = Reference(WriteType(info->Child[0], ""));
        if (TakeTypeNumber(number)) {
            m_functionTypes.insert(number);
            FunctionTypeRecordTag record;
            record.Modul = m_nModul;
            record.Number = number;
            record.ResultType = result;
            record.ParameterCount = -1;
            record.Extra = -1;
            WriteFunctionTypeRecord(record, m_types, FALSE);
        }
        break;
    }
    default:
        break;
    }
    return number;
}

void CGNU166File::WriteRange(LONG number, const CQelDBXNode *range, const CString &name)
{
    const LONG bits = RangeBits(range->Child[1]->Value, range->Child[2]->Value);
    if (bits == 0 || m_writtenTypes.count(number) != 0)
        return;
    BaseTypeRecordTag record;
    record.Modul = m_nModul;
    record.Name = name;
    record.Number = number;
    record.Bits = bits;
    // A range whose name and size are no base type of the database gives no row.
    if (!TakeTypeNumber(number))
        return;
    WriteBaseTypeRecord(record, m_types, FALSE);
    if (bits == 16 && name == "int")
        m_nIntType = number;
    else if (bits == 16 && name == "unsigned int")
        m_nUnsignedType = number;
}

void CGNU166File::WriteCompound(LONG number, const CQelDBXNode *info, const CString &name, BOOL isUnion)
{
    LONG count = 0;
    for (const CQelDBXNode *member = info->Child[1]; member != nullptr; member = member->Child[3])
        ++count;
    if (count == 0 || !TakeTypeNumber(number))
        return;
    CompoundTypeRecordTag compound;
    compound.Modul = m_nModul;
    compound.Name = name.IsEmpty() ? CString("_unnamed_struct_") : name;
    compound.Number = number;
    compound.Bits = static_cast<LONG>(static_cast<DWORD>(info->Child[0]->Value) * 8u);
    compound.Count = count;
    if (isUnion)
        WriteUnionTypeRecord(compound, m_types, FALSE);
    else
        WriteStructTypeRecord(compound, m_types, FALSE);

    for (const CQelDBXNode *member = info->Child[1]; member != nullptr; member = member->Child[3]) {
        const CQelDBXNode *variable = member->Child[0];
        LONG type = Reference(WriteType(variable->Child[1], ""));
        LONG offset = member->Child[1]->Value;
        const LONG size = member->Child[2]->Value;
        if ((type == m_nIntType || type == m_nUnsignedType) && type >= 0 && size < 16) {
            BitFieldTypeRecordTag bitField;
            bitField.Modul = m_nModul;
            bitField.Number = TakeRunningNumber();
            bitField.Data[0] = size;
            bitField.Data[1] = offset % 8;
            bitField.Data[2] = type == m_nIntType ? 1 : 0;
            WriteBitFieldTypeRecord(bitField, m_types, FALSE);
            type = bitField.Number;
            offset -= offset % 8;
        }
        StructMemberRecordTag record;
        record.Modul = m_nModul;
        record.Name = variable->Child[0]->Text.c_str();
        record.Number = TakeRunningNumber();
        record.Type = type;
        record.Offset = offset;
        record.Owner = number;
        WriteStructMemberRecord(record, m_types, FALSE);
    }
}

void CGNU166File::WriteEnum(LONG number, const CQelDBXNode *info, const CString &name)
{
    LONG count = 0;
    for (const CQelDBXNode *item = info->Child[0]; item != nullptr; item = item->Child[3])
        ++count;
    if (count == 0 || !TakeTypeNumber(number))
        return;
    CompoundTypeRecordTag enumeration;
    enumeration.Modul = m_nModul;
    enumeration.Name = name.IsEmpty() ? CString("_unnamed_enum_") : name;
    enumeration.Number = number;
    enumeration.Bits = 16;
    enumeration.Count = count;
    WriteEnumTypeRecord(enumeration, m_types, FALSE);
    for (const CQelDBXNode *item = info->Child[0]; item != nullptr; item = item->Child[3]) {
        EnumMemberRecordTag record;
        record.Modul = m_nModul;
        record.Name = item->Child[0]->Text.c_str();
        record.Number = TakeRunningNumber();
        record.Value = item->Child[1]->Value;
        record.Owner = number;
        WriteEnumMemberRecord(record, m_types, FALSE);
    }
}

LONG CGNU166File::PointerKind(LONG op, const CQelDBXNode *target, LONG targetNumber) const
{
    const BOOL function = (target != nullptr && target->Kind == DBX_NODE_INNER && target->Value == DBX_FUNCTION_TYPE) ||
                          m_functionTypes.count(targetNumber) != 0;
    switch (op) {
    case D_NEARPOINTERINFO:
        return 0;
    case D_HUGEPOINTERINFO:
        return 2;
    case D_FARPOINTERINFO:
        return function ? 2 : 1;
    default:
        break;
    }
    switch (GetHeader().Model) {
    case GNU166_MODEL_SMALL:
    case GNU166_MODEL_COMPACT:
        return 0;
    case GNU166_MODEL_SPECIAL_MEDIUM:
        return function ? 2 : 0;
    case GNU166_MODEL_LARGE:
        return function ? 2 : 1;
    default:
        return 1;
    }
}
