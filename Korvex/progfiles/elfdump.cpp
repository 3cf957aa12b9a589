#include "elfdump.h"

#include "datacursor.h"
#include "dumplines.h"
#include "dumpnames.h"
#include "dwarf1dump.h"
#include "dwarf2dump.h"

#include <cstring>

namespace {

// The debugging sections whose contents the dump shows as bytes.
const char *const kHexDumpedSections[] = {
    ".debug_loc_ext", ".debug_line", ".debug_abbrev", ".debug_frame", ".debug_loc", ".debug_macinfo", ".VarEd_Info",
};

bool IsHexDumped(LPCSTR name)
{
    for (const char *listed : kHexDumpedSections) {
        if (strcmp(name, listed) == 0)
            return true;
    }
    return false;
}

} // namespace

BOOL CElfDumper::DumpFile()
{
    if (!m_image.IsAttached())
        return FALSE;
    DumpHeader();
    for (UINT i = 0; i < m_image.GetProgramHeaderCount(); ++i)
        DumpProgramHeader(i);
    for (UINT i = 0; i < m_image.GetSectionCount(); ++i) {
        if (!DumpSection(i))
            return FALSE;
        // What is dumped of a file that breaks the reader later is on disk by then.
        m_out.FlushDump();
    }
    DumpDebugInformation();
    return TRUE;
}

void CElfDumper::DumpHeader()
{
    CDumpLines lines(m_out);
    const ELF_HEADER &h = m_image.GetElfHeader();
    m_out.DumpPrintf("ELF magic:%#*x %c%c%c\n", 30, h.e_ident[0], h.e_ident[1], h.e_ident[2], h.e_ident[3]);
    lines.Text("Class:", ValueName(g_elfClassNames, h.e_ident[EI_CLASS]));
    lines.Text("Data:", ValueName(g_elfDataNames, h.e_ident[EI_DATA]));
    lines.Text("Version:", ValueName(g_elfVersionNames, h.e_ident[EI_VERSION]));
    lines.Text("Type:", ValueName(g_elfTypeNames, h.e_type));
    lines.Text("Machine:", ValueName(g_elfMachineNames, h.e_machine));
    lines.Text("Version:", ValueName(g_elfVersionNames, h.e_version));
    lines.Hex("Program entry point:", h.e_entry);
    lines.Hex("Program header table offset:", h.e_phoff);
    lines.Hex("Section header table offset:", h.e_shoff);
    lines.Hex("Machine flags:", h.e_flags);
    lines.Hex("Header size:", h.e_ehsize);
    lines.Hex("Program header size:", h.e_phentsize);
    lines.Hex("Program headers:", h.e_phnum);
    lines.Hex("Section header size:", h.e_shentsize);
    lines.Hex("Section headers:", h.e_shnum);
    lines.Hex("String table index:", h.e_shstrndx);
}

void CElfDumper::DumpProgramHeader(UINT index)
{
    ELF_PROGRAM_HEADER p;
    if (!m_image.GetProgramHeader(index, &p))
        return;
    CDumpLines lines(m_out);
    m_out.DumpPrintf("\n");
    lines.Signed("Program Record:", static_cast<LONG>(index));
    lines.Text("Type:", ValueName(g_elfSegmentTypeNames, p.p_type));
    lines.Hex("Offset:", p.p_offset);
    lines.Hex("Virtual address:", p.p_vaddr);
    lines.Hex("Physical address:", p.p_paddr);
    lines.Unsigned("Size in file:", p.p_filesz);
    lines.Unsigned("Size in target:", p.p_memsz);
    lines.Text("Flags:", ValueName(g_elfSegmentFlagNames, p.p_flags));
    lines.Unsigned("Alignment:", p.p_align);
}

BOOL CElfDumper::DumpSection(UINT index)
{
    ELF_SECTION_HEADER s;
    LPCSTR name = m_image.GetSectionName(index);
    if (!m_image.GetSectionHeader(index, &s) || name == nullptr)
        return FALSE;
    CDumpLines lines(m_out);
    m_out.DumpPrintf("\n");
    lines.Signed("Section Record:", static_cast<LONG>(index));
    lines.Text("Name:", name);
    lines.Text("Type:", ValueName(g_elfSectionTypeNames, s.sh_type));
    lines.Hex("Address:", s.sh_addr);
    lines.Text("Attributes:", ValueName(g_elfSectionFlagNames, s.sh_flags));
    lines.Hex("Offset:", s.sh_offset);
    lines.Unsigned("Size:", s.sh_size);
    lines.Hex("Link:", s.sh_link);
    lines.Hex("Info:", s.sh_info);
    lines.Unsigned("Alignment:", s.sh_addralign);
    lines.Unsigned("Size of fixed-size entry:", s.sh_entsize);
    m_out.DumpPrintf("\nContent:\n\n");
    if (s.sh_size == 0)
        return TRUE;

    DWORD size = 0;
    const BYTE *data = m_image.GetSectionData(index, &size);
    if (s.sh_type == SHT_STRTAB || strcmp(name, ".debug_str") == 0) {
        DumpStrings(data, size, "%5u: %s\n");
    } else if (s.sh_type == SHT_SYMTAB) {
        DumpSymbols(index);
    } else if (strcmp(name, ".line") == 0) {
        DumpDwarf1LineTables(m_out, data, size);
    } else if (strcmp(name, ".debug") == 0 || strcmp(name, ".debug_info") == 0) {
        m_out.DumpPrintf("See end of file\n\n");
    } else if (strcmp(name, ".debug_sfnames") == 0) {
        DumpStrings(data, size, "\t%4.4u: %s\n");
    } else if (strcmp(name, ".debug_srcinfo") == 0) {
        DumpDwarf1SourceInfo(m_out, data, size);
    } else if (strcmp(name, ".debug_pubnames") == 0) {
        DumpPublicNames(data, size);
    } else if (strcmp(name, ".debug_aranges") == 0) {
        // The unit ranges come from the units themselves.
    } else if (IsHexDumped(name)) {
        m_out.DumpHex(s.sh_addr, data, size);
    } else if (s.sh_type != SHT_NOBITS && ((s.sh_flags & SHF_ALLOC) != 0 || s.sh_flags == 0)) {
        m_out.DumpHex(s.sh_addr, data, size);
    }
    return TRUE;
}

void CElfDumper::DumpStrings(const BYTE *data, DWORD size, LPCSTR format)
{
    DWORD offset = 0;
    while (offset < size) {
        const char *text = reinterpret_cast<const char *>(data + offset);
        const void *zero = memchr(text, 0, size - offset);
        DWORD length = zero != nullptr ? static_cast<DWORD>(static_cast<const char *>(zero) - text) : size - offset;
        // A last text that the section cuts off is shown as far as it goes.
        m_out.DumpPrintf(format, offset, static_cast<LPCSTR>(CString(text, static_cast<int>(length))));
        offset += length + 1;
    }
    m_out.DumpPrintf("\n");
}

void CElfDumper::DumpSymbols(UINT section)
{
    CDumpLines lines(m_out);
    DWORD count = m_image.GetSymbolCount(section);
    for (DWORD i = 0; i < count; ++i) {
        ELF_SYMBOL symbol;
        if (!m_image.GetSymbol(section, i, &symbol))
            break;
        LPCSTR name = m_image.GetSymbolName(section, symbol);
        lines.Text("\tName:", name != nullptr ? name : "");
        lines.Hex("\tValue:", symbol.st_value);
        lines.Unsigned("\tSize:", symbol.st_size);
        lines.Text("\tBinding:", ValueName(g_elfSymbolBindingNames, ElfSymbolBinding(symbol.st_info)));
        lines.Text("\tType:", ValueName(g_elfSymbolTypeNames, ElfSymbolType(symbol.st_info)));
        lines.Hex("\tOther:", symbol.st_other);
        CString related;
        LPCSTR sectionName = nullptr;
        if (symbol.st_shndx != 0 && symbol.st_shndx < 0xFF00)
            sectionName = m_image.GetSectionName(symbol.st_shndx);
        related = sectionName != nullptr ? CString(sectionName) : ValueName(g_elfSpecialSectionNames, symbol.st_shndx);
        lines.Text("\tRelated Section:", related);
        m_out.DumpPrintf("\n");
    }
}

void CElfDumper::DumpPublicNames(const BYTE *data, DWORD size)
{
    CDataCursor cursor(data, size, m_image.IsBigEndian() != FALSE);
    while (!cursor.AtEnd()) {
        DWORD length = cursor.ReadU32();
        if (!cursor || length == 0 || length >= 0xFFFFFFF0)
            break;
        CDataCursor set = cursor.ReadSubCursor(length);
        WORD version = set.ReadU16();
        DWORD infoOffset = set.ReadU32();
        set.ReadU32(); // the length of the unit in ".debug_info"
        if (!set)
            break;
        m_out.DumpPrintf("  Version:                             %d\n", version);
        m_out.DumpPrintf("  Offset into .debug_info section:     %x\n", infoOffset);
        m_out.DumpPrintf("\n    Offset\tName\n");
        for (;;) {
            DWORD offset = set.ReadU32();
            if (!set || offset == 0)
                break;
            LPCSTR name = set.ReadString();
            if (!set)
                break;
            m_out.DumpPrintf("    %x\t\t%s\n", offset, name);
        }
        m_out.DumpPrintf("\n");
    }
}

const BYTE *CElfDumper::SectionData(LPCSTR name, size_t *size) const
{
    *size = 0;
    // The scan keeps the last section of a name; so does the dump.
    int found = -1;
    for (UINT i = 0; i < m_image.GetSectionCount(); ++i) {
        LPCSTR sectionName = m_image.GetSectionName(i);
        if (sectionName != nullptr && strcmp(sectionName, name) == 0)
            found = static_cast<int>(i);
    }
    if (found < 0)
        return nullptr;
    DWORD length = 0;
    const BYTE *data = m_image.GetSectionData(found, &length);
    *size = length;
    return data;
}

void CElfDumper::DumpDebugInformation()
{
    // A ".debug" with contents makes the file DWARF 1.1, whatever else it carries.
    size_t size = 0;
    const BYTE *debug = SectionData(".debug", &size);
    if (debug != nullptr) {
        m_out.DumpPrintf("DWARF11 (.debug section):\n\n");
        Dwarf1Sections sections;
        sections.debug = debug;
        sections.debugSize = size;
        sections.locExt = SectionData(".debug_loc_ext", &sections.locExtSize);
        DumpDwarf1Entries(m_out, sections);
        return;
    }
    Dwarf2Sections sections;
    sections.info = SectionData(".debug_info", &sections.infoSize);
    sections.abbrev = SectionData(".debug_abbrev", &sections.abbrevSize);
    sections.str = SectionData(".debug_str", &sections.strSize);
    sections.loc = SectionData(".debug_loc", &sections.locSize);
    sections.bigEndian = m_image.IsBigEndian() != FALSE;
    if (sections.info == nullptr || sections.abbrev == nullptr)
        return;
    m_out.DumpPrintf("DWARF20 (.debug_info section):\n\n");
    size_t lineSize = 0;
    const BYTE *line = SectionData(".debug_line", &lineSize);
    DumpDwarf2Units(m_out, sections, line, lineSize);
}
