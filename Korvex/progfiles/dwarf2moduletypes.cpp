// The types of the DWARF 2 module pass. A type is named by its entry's offset in the
// unit, packed with the module; a type that has no entry of its own (a bit-field's
// storage, the base type behind a name the base-type table does not know) takes a
// synthetic number, counted down from the top of the packed range.
#include "elffile.h"

#include <packedindex.h>
#include <typewriters.h>

#include "dwarf2codes.h"
#include "dwarf2modulescope.h"

namespace {

bool IsIntegerEncoding(DWORD encoding)
{
    return encoding == DW_ATE_boolean || encoding == DW_ATE_signed || encoding == DW_ATE_signed_char ||
           encoding == DW_ATE_unsigned || encoding == DW_ATE_unsigned_char;
}

bool IsUnsignedEncoding(DWORD encoding)
{
    return encoding == DW_ATE_boolean || encoding == DW_ATE_unsigned || encoding == DW_ATE_unsigned_char;
}

// The C name of an integer of `bits` that means the same on every target ("int" and
// "unsigned" are the target's word, which a `_Bool` of 8 bits is not); empty for a size
// that C has no such name for.
CString IntegerName(bool isUnsigned, LONG bits)
{
    switch (bits) {
    case 8: return isUnsigned ? "unsigned char" : "signed char";
    case 16: return isUnsigned ? "unsigned short" : "short";
    case 32: return isUnsigned ? "unsigned long" : "long";
    case 64: return isUnsigned ? "unsigned long long" : "long long";
    default: return CString();
    }
}

// Names for encodings, for a base type whose own name the base-type table lacks. An
// integer takes the C name of its size and sign: the stored name is what a cast's keyword
// finds, so it must be the C type it stands for.
CString EncodingName(DWORD encoding, LONG bits)
{
    if (IsIntegerEncoding(encoding))
        return IntegerName(IsUnsignedEncoding(encoding), bits);
    switch (encoding) {
    case 0: return "void";
    case 1: return "machine address";
    case 3: return "complex float";
    case 4: return "float";
    case 9: return "imaginary float";
    case 0xFF: return "user defined";
    default: {
        CString name;
        name.Format("Value(?): %#8.8hx", static_cast<unsigned short>(encoding));
        return name;
    }
    }
}

// Typedefs, qualifiers and bit-field chains are short; this only stops a loop that a
// damaged file builds.
const int MAX_ALIAS_CHAIN = 64;

} // namespace

LONG CELFFile::TakeSyntheticNumber()
{
    if (m_nSyntheticType <= m_nLowestSynthetic)
        throw new CQelIndexRangeException(m_nModul, m_nSyntheticType);
    return m_nSyntheticType--;
}

BOOL CELFFile::IsSignedType(DWORD type) const
{
    for (int step = 0; step < MAX_ALIAS_CHAIN; ++step) {
        auto base = m_baseEncodings.find(type);
        if (base != m_baseEncodings.end())
            return base->second == DW_ATE_signed || base->second == DW_ATE_signed_char;
        if (m_signedEnumerations.count(type) != 0)
            return TRUE;
        auto alias = m_typeAliases.find(type);
        if (alias == m_typeAliases.end())
            return FALSE;
        type = alias->second;
    }
    return FALSE;
}

void CELFFile::WriteBaseType(const Dwarf2EntryValues &entry)
{
    if (entry.name.IsEmpty() || entry.encoding == 0xFF || !entry.hasByteSize || entry.byteSize == 0)
        return;
    BaseTypeRecordTag base;
    base.Modul = m_nModul;
    base.Name = entry.name;
    base.Number = static_cast<LONG>(entry.offset);
    base.Bits = static_cast<LONG>(entry.byteSize * 8);
    // The encoding, not the name, says whether the type holds a sign.
    const BOOL mayHoldSign = !IsUnsignedEncoding(entry.encoding);
    if (WriteBaseTypeRecordSigned(base, mayHoldSign, m_types, FALSE))
        return;

    // A name the table does not know ("_Bool"): the type is what its encoding says, under
    // its own name.
    base.Number = TakeSyntheticNumber();
    base.Name = EncodingName(entry.encoding, base.Bits);
    if (!WriteBaseTypeRecordSigned(base, mayHoldSign, m_types, FALSE))
        return;
    TypedefRecordTag name;
    name.Modul = m_nModul;
    name.Name = entry.name;
    name.Number = static_cast<LONG>(entry.offset);
    name.NamedType = base.Number;
    WriteTypedefRecord(name, m_types, FALSE);
}

void CELFFile::WriteTypeReference(const Dwarf2EntryValues &entry)
{
    // An entry without a type refers to void (`void *`, `typedef void VOID`): number 0,
    // the module's void.
    const LONG type = entry.hasType ? static_cast<LONG>(entry.type) : 0;
    const LONG number = static_cast<LONG>(entry.offset);
    switch (entry.tag) {
    case DW_TAG_typedef: {
        TypedefRecordTag record;
        record.Modul = m_nModul;
        record.Name = entry.name;
        record.Number = number;
        record.NamedType = type;
        WriteTypedefRecord(record, m_types, FALSE);
        break;
    }
    case DW_TAG_pointer_type: {
        PointerTypeRecordTag record;
        record.Modul = m_nModul;
        record.Number = number;
        record.TargetType = type;
        record.Kind = 2;
        WritePointerTypeRecord(record, m_types, FALSE);
        break;
    }
    default: {
        QualifiedTypeRecordTag record;
        record.Modul = m_nModul;
        record.Qualifier = entry.tag == DW_TAG_const_type ? 0 : 1;
        record.Number = number;
        record.QualifiedType = type;
        WriteQualifiedTypeRecord(record, m_types, FALSE);
        break;
    }
    }
}

void CELFFile::AddDimension(const Dwarf2EntryValues &entry, ModuleScope &array)
{
    LONG count = 0;
    if (entry.hasCount)
        count = static_cast<LONG>(entry.count);
    else if (entry.hasUpperBound)
        count = static_cast<LONG>(entry.upperBound) + 1;
    if (count < 1)
        return;
    ArrayRecordTag &last = array.dimensions.back();
    if (last.Count == 0) {
        last.Count = count;
        return;
    }
    ArrayRecordTag dimension;
    dimension.Modul = m_nModul;
    dimension.Number = static_cast<LONG>(entry.offset);
    dimension.ElementType = 0;
    dimension.Count = count;
    array.dimensions.push_back(dimension);
}

void CELFFile::WriteArray(ModuleScope &array)
{
    // The array's own number names the outermost dimension, each further subrange's
    // number an inner one, and the innermost refers to the element type: a 2 by 3 array
    // is an array of 2 arrays of 3.
    std::vector<ArrayRecordTag> &e = array.dimensions;
    const size_t n = e.size();
    if (n == 0)
        return;
    std::swap(e[n - 1].Number, e[0].Number);
    for (size_t i = n - 1; i >= 1; --i)
        e[i].ElementType = e[i - 1].Number;
    for (size_t i = n, j = 0; i-- > 0; ++j) {
        ArrayRecordTag record = e[i];
        record.Count = e[j].Count;
        WriteArrayTypeRecord(record, m_types, FALSE);
    }
}

void CELFFile::WriteEnumerator(const Dwarf2EntryValues &entry, ModuleScope &enumeration)
{
    ++enumeration.count;
    if (entry.name.IsEmpty())
        return;
    EnumMemberRecordTag record;
    record.Modul = m_nModul;
    record.Name = entry.name;
    record.Number = static_cast<LONG>(entry.offset);
    record.Value = static_cast<LONG>(entry.constValue);
    record.Owner = static_cast<LONG>(enumeration.offset);
    WriteEnumMemberRecord(record, m_types, FALSE);
}

void CELFFile::WriteMember(const Dwarf2EntryValues &entry, ModuleScope &compound)
{
    // A structure member without an offset is a static member, which has no place in
    // the structure; a union's members all start at 0.
    LONG bitOffset = compound.isUnion ? 0 : -1;
    if (entry.hasMemberLocation)
        bitOffset = static_cast<LONG>(entry.memberLocation * 8);
    if (!entry.hasType || bitOffset < 0)
        return;
    LONG type = static_cast<LONG>(entry.type);
    if (entry.hasByteSize && entry.hasBitOffset && entry.hasBitSize) {
        const LONG storageBits = static_cast<LONG>(entry.byteSize * 8);
        const LONG width = static_cast<LONG>(entry.bitSize);
        LONG position = storageBits - entry.bitOffset - width;
        if (position < 0) {
            bitOffset -= storageBits;
            position += storageBits;
        }
        BitFieldTypeRecordTag bitField;
        bitField.Modul = m_nModul;
        bitField.Number = TakeSyntheticNumber();
        bitField.Data[0] = width;
        bitField.Data[1] = position;
        bitField.Data[2] = IsSignedType(entry.type) ? 1 : 0;
        WriteBitFieldTypeRecord(bitField, m_types, FALSE);
        type = bitField.Number;
    }
    StructMemberRecordTag member;
    member.Modul = m_nModul;
    member.Name = entry.name;
    member.Number = static_cast<LONG>(entry.offset);
    member.Type = type;
    member.Offset = bitOffset;
    member.Owner = static_cast<LONG>(compound.offset);
    WriteStructMemberRecord(member, m_types, FALSE);
    // The count is of the rows a client finds, so static members are not in it.
    ++compound.count;
}
