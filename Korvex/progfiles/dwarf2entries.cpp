#include "dwarf2entries.h"

#include "dwarf2codes.h"

#include <cstdarg>

namespace {

// DW_FORM_indirect names the form in the data; a chain of them is no real producer's.
const int MAX_INDIRECT_DEPTH = 4;

bool IsBlockForm(DWORD form)
{
    return form == DW_FORM_block || form == DW_FORM_block1 || form == DW_FORM_block2 || form == DW_FORM_block4;
}

} // namespace

CDwarf2EntryReader::CDwarf2EntryReader(const Dwarf2Sections &sections)
    : m_sections(sections), m_abbrevCache(sections.abbrev, sections.abbrevSize, sections.bigEndian)
{
}

CDwarf2EntryReader::UnitStatus CDwarf2EntryReader::FailUnit(UnitStatus status, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_strDiagnostic.FormatV(format, args);
    va_end(args);
    m_info = CDataCursor();
    m_bInEntry = false;
    return status;
}

CDwarf2EntryReader::UnitStatus CDwarf2EntryReader::BeginUnit(DWORD offset)
{
    m_unit = Dwarf2UnitHeader();
    m_unit.offset = offset;
    m_unit.end = static_cast<DWORD>(m_sections.infoSize);
    m_strDiagnostic.Empty();
    m_bInEntry = false;
    m_bFirstEntry = true;
    m_bUnitReadable = false;
    m_nUnitBase = 0;
    CDataCursor cursor(m_sections.info, m_sections.infoSize, m_sections.bigEndian);
    if (!cursor.Seek(offset) || cursor.AtEnd())
        return FailUnit(UNIT_END, "no unit at %#x", offset);
    m_unit.length = cursor.ReadU32();
    if (!cursor)
        return FailUnit(UNIT_MALFORMED, "unit at %#x: its header is cut off", offset);
    if (m_unit.length == 0xFFFFFFFF) {
        // A 64-bit unit: its real length follows in 8 bytes, by which it is stepped over.
        uint64_t length = cursor.ReadUnsigned(8);
        if (cursor && length <= cursor.GetRemaining())
            m_unit.end = static_cast<DWORD>(cursor.GetOffset() + length);
        return FailUnit(UNIT_SKIPPED, "unit at %#x is a 64-bit unit, not read", offset);
    }
    if (m_unit.length >= 0xFFFFFFF0)
        return FailUnit(UNIT_MALFORMED, "unit at %#x has the reserved length %#x", offset, m_unit.length);
    if (m_unit.length > cursor.GetRemaining())
        return FailUnit(UNIT_MALFORMED, "unit at %#x runs past the end of .debug_info", offset);
    m_unit.end = static_cast<DWORD>(cursor.GetOffset() + m_unit.length);
    CDataCursor unit = cursor.ReadSubCursor(m_unit.length);
    m_unit.version = unit.ReadU16();
    if (unit && m_unit.version != 2 && m_unit.version != 3)
        return FailUnit(UNIT_SKIPPED, "unit at %#x has version %u, not read", offset, m_unit.version);
    m_unit.abbrevOffset = unit.ReadU32();
    m_unit.addressSize = unit.ReadU8();
    if (!unit)
        return FailUnit(UNIT_MALFORMED, "unit at %#x: its header is cut off", offset);
    if (m_unit.addressSize != 2 && m_unit.addressSize != 4)
        return FailUnit(UNIT_SKIPPED, "unit at %#x has addresses of %u bytes, not read", offset, m_unit.addressSize);
    m_abbreviations = m_abbrevCache.Get(m_unit.abbrevOffset);
    if (!m_abbreviations->IsComplete() && m_abbreviations->GetCount() == 0)
        return FailUnit(UNIT_MALFORMED, "unit at %#x: no abbreviations at %#x of .debug_abbrev", offset,
                        m_unit.abbrevOffset);
    // Entry offsets are the unit's own: a cursor over the whole unit from its length on.
    m_info = CDataCursor(m_sections.info + offset, m_unit.end - offset, m_sections.bigEndian);
    m_info.Seek(4 + unit.GetOffset());
    m_bUnitReadable = true;
    return UNIT_OK;
}

bool CDwarf2EntryReader::JumpToEntry(DWORD offset)
{
    // A reference that led into damage must not cost the walk that followed it, so the
    // cursor is made anew over the unit, whose header was sound.
    const DWORD first = 11; // behind the unit header
    const DWORD size = m_unit.end - m_unit.offset;
    if (!m_bUnitReadable || offset < first || offset > size)
        return false;
    m_info = CDataCursor(m_sections.info + m_unit.offset, size, m_sections.bigEndian);
    m_info.Seek(offset);
    m_bInEntry = false;
    m_strDiagnostic.Empty();
    return true;
}

void CDwarf2EntryReader::SkipAttributes()
{
    while (m_bInEntry) {
        DWORD name = static_cast<DWORD>(m_abbrevCursor.ReadULEB128());
        DWORD form = static_cast<DWORD>(m_abbrevCursor.ReadULEB128());
        if (!m_abbrevCursor || name == 0 || form == 0 || m_info.AtEnd()) {
            m_bInEntry = false;
            m_bFirstEntry = false;
            return;
        }
        m_attribute.name = name;
        // The unit base comes from the first entry, read or not.
        if (!ReadValue(form, 0)) {
            m_strDiagnostic.Format("entry at %#x: attribute %#x of form %#x cut off or not known",
                                   m_unit.offset + m_nEntryOffset, name, form);
            m_info = CDataCursor();
            m_bInEntry = false;
            return;
        }
        if (m_bFirstEntry && name == DW_AT_low_pc)
            m_nUnitBase = m_attribute.value;
    }
}

bool CDwarf2EntryReader::NextEntry()
{
    SkipAttributes();
    m_bInEntry = false;
    m_attribute = Dwarf2Attribute();
    m_kept = Dwarf2KeptValues();
    if (m_info.GetData() == nullptr || m_info.AtEnd())
        return false;
    m_nEntryOffset = static_cast<DWORD>(m_info.GetOffset());
    m_nCode = m_info.ReadULEB128();
    if (!m_info) {
        m_strDiagnostic.Format("entry at %#x: cut off by the unit's end", m_unit.offset + m_nEntryOffset);
        return false;
    }
    m_nTag = 0;
    m_bHasChildren = false;
    if (m_nCode == 0)
        return true;
    const Dwarf2Abbreviation *abbreviation = m_abbreviations->Find(m_nCode);
    if (abbreviation == nullptr) {
        m_strDiagnostic.Format("entry at %#x: abbreviation %llu is not in the unit's table",
                               m_unit.offset + m_nEntryOffset, static_cast<unsigned long long>(m_nCode));
        m_info = CDataCursor();
        return false;
    }
    m_nTag = abbreviation->tag;
    m_bHasChildren = abbreviation->hasChildren;
    m_abbrevCursor = CDataCursor(m_sections.abbrev, m_sections.abbrevSize, m_sections.bigEndian);
    m_abbrevCursor.Seek(abbreviation->attributesOffset);
    m_bInEntry = true;
    return true;
}

int CDwarf2EntryReader::NextAttribute()
{
    if (!m_bInEntry)
        return 0;
    DWORD name = static_cast<DWORD>(m_abbrevCursor.ReadULEB128());
    DWORD form = static_cast<DWORD>(m_abbrevCursor.ReadULEB128());
    if (!m_abbrevCursor || name == 0 || form == 0 || m_info.AtEnd()) {
        m_bInEntry = false;
        m_bFirstEntry = false;
        return 0;
    }
    m_attribute = Dwarf2Attribute();
    m_attribute.name = name;
    if (!ReadValue(form, 0)) {
        m_strDiagnostic.Format("entry at %#x: attribute %#x of form %#x cut off or not known",
                               m_unit.offset + m_nEntryOffset, name, form);
        // The rest of the unit cannot be found without this value's length.
        m_info = CDataCursor();
        m_bInEntry = false;
        return 0;
    }
    KeepValue();
    return 1;
}

bool CDwarf2EntryReader::ReadValue(DWORD form, int depth)
{
    Dwarf2Attribute &a = m_attribute;
    a.form = form;
    switch (form) {
    case DW_FORM_addr:
    case DW_FORM_ref_addr:
        a.value = static_cast<DWORD>(m_info.ReadUnsigned(m_unit.addressSize));
        break;
    case DW_FORM_block2:
        a.value = m_info.ReadU16();
        a.block = m_info.ReadBlock(a.value);
        break;
    case DW_FORM_block4:
        a.value = m_info.ReadU32();
        a.block = m_info.ReadBlock(a.value);
        break;
    case DW_FORM_block1:
        a.value = m_info.ReadU8();
        a.block = m_info.ReadBlock(a.value);
        break;
    case DW_FORM_block: {
        uint64_t length = m_info.ReadULEB128();
        if (length > m_info.GetRemaining())
            return false;
        a.value = static_cast<DWORD>(length);
        a.block = m_info.ReadBlock(a.value);
        break;
    }
    case DW_FORM_data2:
    case DW_FORM_ref2:
        a.value = m_info.ReadU16();
        break;
    case DW_FORM_data4:
    case DW_FORM_ref4:
        a.value = m_info.ReadU32();
        break;
    case DW_FORM_data8:
    case DW_FORM_ref8: {
        uint64_t value = m_info.ReadUnsigned(8);
        a.value = static_cast<DWORD>(value);
        a.value2 = static_cast<DWORD>(value >> 32);
        break;
    }
    case DW_FORM_string:
        a.string = m_info.ReadString();
        break;
    case DW_FORM_data1:
    case DW_FORM_flag:
    case DW_FORM_ref1:
        a.value = m_info.ReadU8();
        break;
    case DW_FORM_sdata:
        a.signedValue = m_info.ReadSLEB128();
        a.value = static_cast<DWORD>(a.signedValue);
        break;
    case DW_FORM_strp: {
        a.value = m_info.ReadU32();
        CDataCursor strings(m_sections.str, m_sections.strSize, m_sections.bigEndian);
        // A file without ".debug_str", or an offset outside it, gives an empty text.
        a.string = strings.Seek(a.value) ? strings.ReadString() : "";
        break;
    }
    case DW_FORM_udata:
    case DW_FORM_ref_udata:
        a.value = static_cast<DWORD>(m_info.ReadULEB128());
        break;
    case DW_FORM_indirect: {
        DWORD actual = static_cast<DWORD>(m_info.ReadULEB128());
        if (!m_info || depth >= MAX_INDIRECT_DEPTH)
            return false;
        return ReadValue(actual, depth + 1);
    }
    default:
        return false;
    }
    return static_cast<bool>(m_info);
}

void CDwarf2EntryReader::KeepValue()
{
    Dwarf2Attribute &a = m_attribute;
    switch (a.name) {
    case DW_AT_ordering:
        m_kept.orderingOrConvention = a.value;
        break;
    case DW_AT_calling_convention:
        m_kept.orderingOrConvention = a.value >= 0x40 && a.value <= 0xFF ? 0xFF : a.value;
        break;
    case DW_AT_language:
        m_kept.language = a.value;
        break;
    case DW_AT_visibility:
        m_kept.visibility = a.value;
        break;
    case DW_AT_inline:
        m_kept.inlineKind = a.value;
        break;
    case DW_AT_accessibility:
        m_kept.accessibility = a.value;
        break;
    case DW_AT_encoding:
        m_kept.encoding = a.value >= 0x80 && a.value <= 0xFF ? 0xFF : a.value;
        break;
    case DW_AT_identifier_case:
        m_kept.identifierCase = a.value;
        break;
    case DW_AT_virtuality:
        m_kept.virtuality = a.value;
        break;
    case DW_AT_low_pc:
        if (m_bFirstEntry)
            m_nUnitBase = a.value;
        break;
    case DW_AT_location:
    case DW_AT_frame_base:
        if (a.form == DW_FORM_data4) {
            a.hasLocationList = true;
            if (!m_bReadLocationLists)
                break;
            ReadDwarf2LocationList(m_sections.loc, m_sections.locSize, a.value, m_unit.addressSize,
                                   m_sections.bigEndian, m_nUnitBase, &a.locationList);
        } else if (a.form == DW_FORM_block1 || a.form == DW_FORM_block) {
            a.hasLocation = true;
            a.location = DecodeDwarf2Location(a.block, a.value, m_unit.addressSize, m_sections.bigEndian);
        }
        break;
    case DW_AT_lower_bound:
    case DW_AT_upper_bound:
    case DW_AT_data_member_location:
        if (IsBlockForm(a.form)) {
            a.hasLocation = true;
            a.location = DecodeDwarf2Location(a.block, a.value, m_unit.addressSize, m_sections.bigEndian);
        }
        break;
    default:
        if (a.name >= DW_AT_vtable_elem_location && a.name <= DW_AT_stride && IsBlockForm(a.form)) {
            a.hasLocation = true;
            a.location = DecodeDwarf2Location(a.block, a.value, m_unit.addressSize, m_sections.bigEndian);
        }
        break;
    }
}
