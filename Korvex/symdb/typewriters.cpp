#include "typewriters.h"

#include "basetypetable.h"
#include "packedindex.h"

namespace {

// The row's values, packed and checked before the row is begun, so that a refusal
// leaves no record half made.
struct TypeRow {
    LONG TypeID;
    LPCSTR Name = "";
    LONG Data_1 = 0;
    LONG Data_2 = 0;
    LONG Data_3 = 0;
    LONG Data_4 = 0;
};

void AppendType(CDBTypeInfo &rs, LONG modul, LONG number, BOOL sharedTypes, const TypeRow &row)
{
    LONG typeIndex = PackIndexChecked(modul, number, sharedTypes);
    rs.AddNew();
    rs.m_TypeIndex = typeIndex;
    rs.m_ModulIndex = modul;
    rs.m_TypeID = row.TypeID;
    rs.m_Name = row.Name;
    rs.m_Data_1 = row.Data_1;
    rs.m_Data_2 = row.Data_2;
    rs.m_Data_3 = row.Data_3;
    rs.m_Data_4 = row.Data_4;
    rs.Update();
}

void WriteCompound(LONG typeID, const CompoundTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{typeID};
    row.Name = record.Name;
    row.Data_1 = record.Bits;
    row.Data_2 = record.Count;
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

} // namespace

BOOL WriteBaseTypeRecord(const BaseTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    return WriteBaseTypeRecordSigned(record, TRUE, rs, sharedTypes);
}

BOOL WriteBaseTypeRecordSigned(const BaseTypeRecordTag &record, BOOL mayHoldSign, CDBTypeInfo &rs, BOOL sharedTypes)
{
    LONG code;
    if (!FindBaseTypeCode(record.Name, record.Bits, &code))
        return FALSE;
    if (!mayHoldSign)
        code = UnsignedBaseTypeCode(code);
    TypeRow row{0};
    row.Name = record.Name;
    row.Data_1 = record.Bits;
    row.Data_2 = code;
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
    return TRUE;
}

void WriteTypedefRecord(const TypedefRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{1};
    row.Name = record.Name;
    row.Data_1 = PackIndexChecked(record.Modul, record.NamedType, sharedTypes);
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WriteBitFieldTypeRecord(const BitFieldTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{2};
    row.Data_1 = record.Data[0];
    row.Data_2 = record.Data[1];
    row.Data_3 = record.Data[2];
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WritePointerTypeRecord(const PointerTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{3};
    row.Data_1 = PackIndexChecked(record.Modul, record.TargetType, sharedTypes);
    row.Data_2 = record.Kind;
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WriteArrayTypeRecord(const ArrayRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{4};
    row.Data_1 = PackIndexChecked(record.Modul, record.ElementType, sharedTypes);
    row.Data_2 = record.Count;
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WriteStructTypeRecord(const CompoundTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    WriteCompound(5, record, rs, sharedTypes);
}

void WriteUnionTypeRecord(const CompoundTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    WriteCompound(6, record, rs, sharedTypes);
}

void WriteEnumTypeRecord(const CompoundTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    WriteCompound(7, record, rs, sharedTypes);
}

void WriteFunctionTypeRecord(const FunctionTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{9};
    row.Data_1 = PackIndexChecked(record.Modul, record.ResultType, sharedTypes);
    row.Data_2 = record.ParameterCount;
    row.Data_3 = record.Extra;
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WriteTypeLinkRecord(const TypeLinkRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{10};
    row.Data_1 = PackIndexChecked(record.Modul, record.Type, sharedTypes);
    row.Data_4 = PackIndexChecked(record.Modul, record.Owner, sharedTypes);
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WriteStructMemberRecord(const StructMemberRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{11};
    row.Name = record.Name;
    row.Data_1 = PackIndexChecked(record.Modul, record.Type, sharedTypes);
    row.Data_2 = record.Offset;
    row.Data_4 = PackIndexChecked(record.Modul, record.Owner, sharedTypes);
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WriteEnumMemberRecord(const EnumMemberRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{12};
    row.Name = record.Name;
    row.Data_1 = record.Value;
    row.Data_4 = PackIndexChecked(record.Modul, record.Owner, sharedTypes);
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}

void WriteQualifiedTypeRecord(const QualifiedTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes)
{
    TypeRow row{14};
    row.Data_1 = PackIndexChecked(record.Modul, record.QualifiedType, sharedTypes);
    row.Data_2 = record.Qualifier;
    AppendType(rs, record.Modul, record.Number, sharedTypes, row);
}
