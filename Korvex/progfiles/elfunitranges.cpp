// The address ranges of the compilation units, by which the sections pass cuts code
// sections so that each piece carries its unit's name.
//
// Only the first entry of each unit is read. Units of versions 2 and 3 are read, as the
// DWARF 2 reader reads them; units of other versions (a C library brings DWARF 5 units
// into an ordinary link) and 64-bit units are stepped over by their length; a walk stops at a zero length or at one that leaves the
// section, so that a damaged debug section costs its unit ranges and never the load.

#include "elfsections.h"

#include "dwarf2abbrevs.h"

#include <cstring>
#include <memory>

namespace {

// A checked read position in one debug section. A read past the end reads nothing and
// marks the reader failed, which every caller tests once after a record.
class UnitReader {
public:
    UnitReader(const BYTE *data, DWORD size, BOOL bigEndian) : m_data(data), m_size(size), m_bigEndian(bigEndian) {}

    bool Ok() const { return m_ok; }
    DWORD Offset() const { return m_offset; }
    DWORD Remaining() const { return m_size - m_offset; }
    void Seek(DWORD offset)
    {
        if (offset > m_size)
            Fail();
        else
            m_offset = offset;
    }
    void Skip(uint64_t count)
    {
        if (count > Remaining())
            Fail();
        else
            m_offset += static_cast<DWORD>(count);
    }

    uint64_t Unsigned(DWORD count)
    {
        if (count > Remaining())
            return Fail();
        uint64_t value = 0;
        for (DWORD i = 0; i < count; ++i) {
            BYTE b = m_data[m_offset + (m_bigEndian ? i : count - 1 - i)];
            value = (value << 8) | b;
        }
        m_offset += count;
        return value;
    }
    BYTE U8() { return static_cast<BYTE>(Unsigned(1)); }
    WORD U16() { return static_cast<WORD>(Unsigned(2)); }
    DWORD U32() { return static_cast<DWORD>(Unsigned(4)); }

    // LEB128; groups beyond 64 bits are read and dropped.
    uint64_t Leb128()
    {
        uint64_t value = 0;
        for (unsigned shift = 0;; shift += 7) {
            BYTE b = U8();
            if (!m_ok)
                return 0;
            if (shift < 64)
                value |= uint64_t(b & 0x7F) << shift;
            if ((b & 0x80) == 0)
                return value;
        }
    }

    LPCSTR String()
    {
        const void *end = m_ok ? memchr(m_data + m_offset, 0, Remaining()) : nullptr;
        if (end == nullptr) {
            Fail();
            return "";
        }
        LPCSTR text = reinterpret_cast<LPCSTR>(m_data + m_offset);
        m_offset = static_cast<DWORD>(static_cast<const BYTE *>(end) - m_data) + 1;
        return text;
    }

private:
    uint64_t Fail()
    {
        m_ok = false;
        m_offset = m_size;
        return 0;
    }

    const BYTE *m_data;
    DWORD m_size;
    DWORD m_offset = 0;
    BOOL m_bigEndian;
    bool m_ok = true;
};

// DWARF 1.1.
const WORD TAG_compile_unit = 0x11;
const WORD AT_name = 0x0030, AT_low_pc = 0x0110, AT_high_pc = 0x0120;
enum { FORM_ADDR = 1, FORM_REF = 2, FORM_BLOCK2 = 3, FORM_BLOCK4 = 4, FORM_DATA2 = 5, FORM_DATA4 = 6, FORM_DATA8 = 7,
       FORM_STRING = 8 };

// DWARF 2.
const uint64_t DW_TAG_compile_unit = 0x11;
const uint64_t DW_AT_name = 0x03, DW_AT_low_pc = 0x11, DW_AT_high_pc = 0x12;
enum : uint64_t {
    DW_FORM_addr = 0x01, DW_FORM_block2 = 0x03, DW_FORM_block4 = 0x04, DW_FORM_data2 = 0x05, DW_FORM_data4 = 0x06,
    DW_FORM_data8 = 0x07, DW_FORM_string = 0x08, DW_FORM_block = 0x09, DW_FORM_block1 = 0x0A, DW_FORM_data1 = 0x0B,
    DW_FORM_flag = 0x0C, DW_FORM_sdata = 0x0D, DW_FORM_strp = 0x0E, DW_FORM_udata = 0x0F, DW_FORM_ref_addr = 0x10,
    DW_FORM_ref1 = 0x11, DW_FORM_ref2 = 0x12, DW_FORM_ref4 = 0x13, DW_FORM_ref8 = 0x14, DW_FORM_ref_udata = 0x15,
    DW_FORM_indirect = 0x16,
};

// Steps over a DWARF 2 attribute value of `form`; false for a form the reader does not
// know, after which nothing of the unit can be read. A reference into another unit has
// the address size in version 2 and the offset size (4) from version 3 on.
bool SkipForm(UnitReader &reader, uint64_t form, DWORD addressSize, DWORD referenceSize)
{
    // An indirect form names the form in the data; a chain of them is followed a few
    // steps only.
    for (int step = 0; form == DW_FORM_indirect && step < 4; ++step)
        form = reader.Leb128();
    switch (form) {
    case DW_FORM_addr:
        reader.Skip(addressSize);
        break;
    case DW_FORM_ref_addr:
        reader.Skip(referenceSize);
        break;
    case DW_FORM_block2:
        reader.Skip(reader.U16());
        break;
    case DW_FORM_block4:
        reader.Skip(reader.U32());
        break;
    case DW_FORM_block:
        reader.Skip(reader.Leb128());
        break;
    case DW_FORM_block1:
        reader.Skip(reader.U8());
        break;
    case DW_FORM_data1:
    case DW_FORM_flag:
    case DW_FORM_ref1:
        reader.Skip(1);
        break;
    case DW_FORM_data2:
    case DW_FORM_ref2:
        reader.Skip(2);
        break;
    case DW_FORM_data4:
    case DW_FORM_ref4:
    case DW_FORM_strp:
        reader.Skip(4);
        break;
    case DW_FORM_data8:
    case DW_FORM_ref8:
        reader.Skip(8);
        break;
    case DW_FORM_sdata:
    case DW_FORM_udata:
    case DW_FORM_ref_udata:
        reader.Leb128();
        break;
    case DW_FORM_string:
        reader.String();
        break;
    default:
        return false;
    }
    return reader.Ok();
}

} // namespace

void CELFSections::AddUnitRange(LPCSTR name, BOOL hasLow, DWORD low, DWORD high)
{
    // ARM Thumb units start at addresses that are 2 modulo 4, so only bit 0 (the Thumb
    // bit) is cleared there.
    DWORD mask = IsArm() ? ~1u : ~3u;
    low &= mask;
    high = (high & mask) + (high & 1);
    if (!hasLow || high <= low)
        return;
    SectionTag unit;
    unit.Type = 1;
    unit.AddressMode = 1;
    unit.AddressValue = low;
    unit.AddressExtra = 0;
    unit.Length = high - low;
    unit.Name = name;
    m_sectionRecords.push_back(unit);
}

void CELFSections::CollectDwarf1UnitRanges()
{
    DWORD size = 0;
    const BYTE *data = GetDebugSectionData(ELF_DEBUG, &size);
    // DWARF 1.1 is little-endian whatever the file's encoding.
    UnitReader reader(data, size, FALSE);
    while (reader.Remaining() >= 4) {
        DWORD start = reader.Offset();
        DWORD length = reader.U32();
        if (length == 0 || length > size - start)
            break;
        DWORD end = start + length;
        if (length >= 8 && reader.U16() == TAG_compile_unit) {
            LPCSTR name = "";
            BOOL hasLow = FALSE;
            DWORD low = 0, high = 0;
            UnitReader entry(data, end, FALSE);
            entry.Seek(reader.Offset());
            while (entry.Ok() && entry.Remaining() >= 2) {
                WORD attribute = entry.U16();
                switch (attribute & 0xF) {
                case FORM_ADDR: {
                    DWORD value = entry.U32();
                    if ((attribute & ~0xF) == AT_low_pc) {
                        low = value;
                        hasLow = entry.Ok();
                    } else if ((attribute & ~0xF) == AT_high_pc) {
                        high = value;
                    }
                    break;
                }
                case FORM_REF:
                case FORM_DATA4:
                    entry.Skip(4);
                    break;
                case FORM_DATA2:
                    entry.Skip(2);
                    break;
                case FORM_DATA8:
                    entry.Skip(8);
                    break;
                case FORM_BLOCK2:
                    entry.Skip(entry.U16());
                    break;
                case FORM_BLOCK4:
                    entry.Skip(entry.U32());
                    break;
                case FORM_STRING: {
                    LPCSTR text = entry.String();
                    if ((attribute & ~0xF) == AT_name && entry.Ok())
                        name = text;
                    break;
                }
                default:
                    entry.Seek(end); // an unknown form: the rest of the entry is lost
                    break;
                }
            }
            AddUnitRange(name, hasLow, low, high);
        }
        reader.Seek(end);
    }
}

void CELFSections::CollectDwarf2UnitRanges()
{
    DWORD infoSize = 0, abbrevSize = 0, stringSize = 0;
    const BYTE *info = GetDebugSectionData(ELF_DEBUG_INFO, &infoSize);
    const BYTE *abbrevData = GetDebugSectionData(ELF_DEBUG_ABBREV, &abbrevSize);
    const BYTE *strings = GetDebugSectionData(ELF_DEBUG_STR, &stringSize);
    BOOL bigEndian = GetImage().IsBigEndian();
    UnitReader reader(info, infoSize, bigEndian);
    CDwarf2AbbrevCache abbreviations(abbrevData, abbrevSize, bigEndian != FALSE);
    while (reader.Remaining() >= 4) {
        DWORD length = reader.U32();
        if (length == 0xFFFFFFFF) {
            // A 64-bit unit: its 64-bit length follows.
            uint64_t length64 = reader.Unsigned(8);
            if (!reader.Ok() || length64 == 0 || length64 > reader.Remaining())
                break;
            reader.Skip(length64);
            continue;
        }
        if (length == 0 || length >= 0xFFFFFFF0 || length > reader.Remaining())
            break;
        DWORD end = reader.Offset() + length;
        UnitReader unit(info, end, bigEndian);
        unit.Seek(reader.Offset());
        reader.Seek(end);
        WORD version = unit.U16();
        if (version != 2 && version != 3)
            continue;
        DWORD abbrevOffset = unit.U32();
        DWORD addressSize = unit.U8();
        uint64_t code = unit.Leb128();
        if (!unit.Ok() || (addressSize != 2 && addressSize != 4 && addressSize != 8))
            continue;
        if (code == 0) {
            DumpPrintf("NULL entry\n");
            continue;
        }
        // A table is built (and kept) only for a code that does not stand near its start,
        // so a damaged file costs no more per unit than the cache allows.
        Dwarf2Abbreviation early;
        std::shared_ptr<const CDwarf2AbbrevTable> table;
        const Dwarf2Abbreviation *abbreviation = &early;
        if (!CDwarf2AbbrevTable::FindEarly(abbrevData, abbrevSize, abbrevOffset, bigEndian != FALSE, code, 16, &early)) {
            table = abbreviations.Get(abbrevOffset);
            abbreviation = table->Find(code);
        }
        if (abbreviation == nullptr || abbreviation->tag != DW_TAG_compile_unit)
            continue;
        UnitReader abbrev(abbrevData, abbrevSize, bigEndian);
        abbrev.Seek(static_cast<DWORD>(abbreviation->attributesOffset));
        LPCSTR name = "";
        BOOL hasLow = FALSE;
        DWORD low = 0, high = 0;
        for (;;) {
            uint64_t attribute = abbrev.Leb128();
            uint64_t form = abbrev.Leb128();
            if (!abbrev.Ok() || (attribute == 0 && form == 0))
                break;
            if ((attribute == DW_AT_low_pc || attribute == DW_AT_high_pc) && form == DW_FORM_addr) {
                DWORD value = static_cast<DWORD>(unit.Unsigned(addressSize));
                if (attribute == DW_AT_low_pc) {
                    low = value;
                    hasLow = unit.Ok();
                } else {
                    high = value;
                }
            } else if (attribute == DW_AT_name && form == DW_FORM_string) {
                LPCSTR text = unit.String();
                if (unit.Ok())
                    name = text;
            } else if (attribute == DW_AT_name && form == DW_FORM_strp) {
                DWORD offset = unit.U32();
                if (unit.Ok() && strings != nullptr && offset < stringSize &&
                    memchr(strings + offset, 0, stringSize - offset) != nullptr)
                    name = reinterpret_cast<LPCSTR>(strings + offset);
            } else if (!SkipForm(unit, form, addressSize, version == 2 ? addressSize : 4)) {
                break;
            }
            if (!unit.Ok())
                break;
        }
        if (unit.Ok())
            AddUnitRange(name, hasLow, low, high);
    }
}
