// The writers of Types rows. Each appends one row through an open (or openable) Types
// recordset: TypeIndex = the packed number, ModulIndex = the record's module, TypeID
// after the writer. With `sharedTypes` TRUE every index it packs has module part 0 (the
// types that all modules share); ModulIndex still names the record's module.
//
// A number that does not fit a packed index is refused (CQelIndexRangeException)
// before anything is written. Finding a type before adding it is the reader's duty.
#pragma once

#include "loaderrecords.h"
#include "symboltables.h"

// FALSE, writing nothing, when the name and size are no base type (basetypetable.h).
BOOL WriteBaseTypeRecord(const BaseTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
// The same for a reader that knows whether the type holds a sign: without `mayHoldSign`
// the name's code gives way to the unsigned code of its size. The table's names are C's,
// and one of them has no sign of its own: a plain "char" is unsigned where the compiler
// says so (ARM), though the table, made for targets where it is signed, reads it signed.
BOOL WriteBaseTypeRecordSigned(const BaseTypeRecordTag &record, BOOL mayHoldSign, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteTypedefRecord(const TypedefRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteBitFieldTypeRecord(const BitFieldTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WritePointerTypeRecord(const PointerTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteArrayTypeRecord(const ArrayRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteStructTypeRecord(const CompoundTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteUnionTypeRecord(const CompoundTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteEnumTypeRecord(const CompoundTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteFunctionTypeRecord(const FunctionTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteTypeLinkRecord(const TypeLinkRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteStructMemberRecord(const StructMemberRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteEnumMemberRecord(const EnumMemberRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
void WriteQualifiedTypeRecord(const QualifiedTypeRecordTag &record, CDBTypeInfo &rs, BOOL sharedTypes);
