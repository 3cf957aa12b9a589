#include "elfimage.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <utility>
#include <vector>

BOOL CElfImage::Fail(LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_strError.FormatV(format, args);
    va_end(args);
    m_pData = nullptr;
    m_nSize = 0;
    m_header = ELF_HEADER{};
    return FALSE;
}

WORD CElfImage::ReadHalf(const BYTE *p) const
{
    return m_bBigEndian ? static_cast<WORD>((p[0] << 8) | p[1]) : static_cast<WORD>((p[1] << 8) | p[0]);
}

DWORD CElfImage::ReadWord(const BYTE *p) const
{
    if (m_bBigEndian)
        return (DWORD(p[0]) << 24) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 8) | p[3];
    return (DWORD(p[3]) << 24) | (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
}

BOOL CElfImage::Attach(const BYTE *data, uint64_t size)
{
    Detach();
    if (data == nullptr || size < ELF32_HEADER_SIZE)
        return Fail("The file is too short for an ELF header (%llu bytes).", static_cast<unsigned long long>(size));
    if (data[0] != 0x7F || data[1] != 'E' || data[2] != 'L' || data[3] != 'F')
        return Fail("The file is no ELF file.");
    if (data[EI_CLASS] != ELFCLASS32)
        return Fail("The ELF file is not of 32-bit class (class %u).", data[EI_CLASS]);
    m_bBigEndian = data[EI_DATA] == ELFDATA2MSB;
    m_pData = data;
    m_nSize = size;

    ELF_HEADER &h = m_header;
    memcpy(h.e_ident, data, EI_NIDENT);
    const BYTE *p = data + EI_NIDENT;
    h.e_type = ReadHalf(p);
    h.e_machine = ReadHalf(p + 2);
    h.e_version = ReadWord(p + 4);
    h.e_entry = ReadWord(p + 8);
    h.e_phoff = ReadWord(p + 12);
    h.e_shoff = ReadWord(p + 16);
    h.e_flags = ReadWord(p + 20);
    h.e_ehsize = ReadHalf(p + 24);
    h.e_phentsize = ReadHalf(p + 26);
    h.e_phnum = ReadHalf(p + 28);
    h.e_shentsize = ReadHalf(p + 30);
    h.e_shnum = ReadHalf(p + 32);
    h.e_shstrndx = ReadHalf(p + 34);
    if (!CheckTables())
        return FALSE;
    m_strError.Empty();
    return TRUE;
}

void CElfImage::Detach()
{
    m_pData = nullptr;
    m_nSize = 0;
    m_bBigEndian = FALSE;
    m_header = ELF_HEADER{};
}

BOOL CElfImage::CheckTables()
{
    const ELF_HEADER &h = m_header;
    if (h.e_phnum != 0) {
        if (h.e_phentsize < ELF32_PROGRAM_HEADER_SIZE)
            return Fail("The ELF program header entries are too small (%u bytes).", h.e_phentsize);
        if (!InFile(h.e_phoff, uint64_t(h.e_phnum) * h.e_phentsize))
            return Fail("The ELF program header table (%u entries at %#x) lies outside the file.", h.e_phnum,
                        h.e_phoff);
    }
    if (h.e_shnum != 0) {
        if (h.e_shentsize < ELF32_SECTION_HEADER_SIZE)
            return Fail("The ELF section header entries are too small (%u bytes).", h.e_shentsize);
        if (!InFile(h.e_shoff, uint64_t(h.e_shnum) * h.e_shentsize))
            return Fail("The ELF section header table (%u entries at %#x) lies outside the file.", h.e_shnum,
                        h.e_shoff);
        if (h.e_shstrndx >= h.e_shnum)
            return Fail("The ELF section-name table index %u lies outside the section table.", h.e_shstrndx);
    }
    for (UINT n = 0; n < h.e_phnum; ++n) {
        ELF_PROGRAM_HEADER segment;
        GetProgramHeader(n, &segment);
        if (segment.p_filesz != 0 && !InFile(segment.p_offset, segment.p_filesz))
            return Fail("The contents of ELF segment %u lie outside the file.", n);
    }
    // The contents of loadable sections, by file offset, to see that no two share bytes.
    std::vector<std::pair<uint64_t, uint64_t>> loaded;
    for (UINT n = 0; n < h.e_shnum; ++n) {
        ELF_SECTION_HEADER section;
        GetSectionHeader(n, &section);
        if ((section.sh_flags & SHF_ALLOC) != 0 && section.sh_type != SHT_NOBITS && section.sh_size != 0)
            loaded.emplace_back(section.sh_offset, uint64_t(section.sh_offset) + section.sh_size);
        if (section.sh_type != SHT_NOBITS && section.sh_size != 0 && !InFile(section.sh_offset, section.sh_size))
            return Fail("The contents of ELF section %u lie outside the file.", n);
        if (section.sh_type == SHT_SYMTAB && section.sh_size != 0) {
            if (section.sh_entsize < ELF32_SYMBOL_SIZE)
                return Fail("The ELF symbol table %u has entries of %u bytes.", n, section.sh_entsize);
            if (section.sh_link >= h.e_shnum)
                return Fail("The ELF symbol table %u names no string table.", n);
        }
    }
    // A linker never lays two loadable sections over the same bytes; a file that does
    // would make every download block as large as the address space it claims.
    std::sort(loaded.begin(), loaded.end());
    uint64_t reached = 0;
    for (const auto &contents : loaded) {
        if (contents.first < reached)
            return Fail("Two loadable ELF sections share their contents at file offset %#llx.",
                        static_cast<unsigned long long>(contents.first));
        reached = std::max(reached, contents.second);
    }
    return TRUE;
}

BOOL CElfImage::GetProgramHeader(UINT index, ELF_PROGRAM_HEADER *header) const
{
    *header = ELF_PROGRAM_HEADER{};
    if (!IsAttached() || index >= m_header.e_phnum)
        return FALSE;
    const BYTE *p = m_pData + m_header.e_phoff + uint64_t(index) * m_header.e_phentsize;
    header->p_type = ReadWord(p);
    header->p_offset = ReadWord(p + 4);
    header->p_vaddr = ReadWord(p + 8);
    header->p_paddr = ReadWord(p + 12);
    header->p_filesz = ReadWord(p + 16);
    header->p_memsz = ReadWord(p + 20);
    header->p_flags = ReadWord(p + 24);
    header->p_align = ReadWord(p + 28);
    return TRUE;
}

BOOL CElfImage::GetSectionHeader(UINT index, ELF_SECTION_HEADER *header) const
{
    *header = ELF_SECTION_HEADER{};
    if (!IsAttached() || index >= m_header.e_shnum)
        return FALSE;
    const BYTE *p = m_pData + m_header.e_shoff + uint64_t(index) * m_header.e_shentsize;
    DWORD *fields[] = {&header->sh_name,   &header->sh_type, &header->sh_flags, &header->sh_addr,
                       &header->sh_offset, &header->sh_size, &header->sh_link,  &header->sh_info,
                       &header->sh_addralign, &header->sh_entsize};
    for (DWORD *field : fields) {
        *field = ReadWord(p);
        p += 4;
    }
    return TRUE;
}

DWORD CElfImage::GetSectionSize(UINT index) const
{
    ELF_SECTION_HEADER section;
    GetSectionHeader(index, &section);
    return section.sh_size;
}

const BYTE *CElfImage::GetSectionData(UINT index, DWORD *size) const
{
    if (size != nullptr)
        *size = 0;
    ELF_SECTION_HEADER section;
    if (!GetSectionHeader(index, &section) || section.sh_type == SHT_NOBITS || section.sh_size == 0 ||
        !InFile(section.sh_offset, section.sh_size))
        return nullptr;
    if (size != nullptr)
        *size = section.sh_size;
    return m_pData + section.sh_offset;
}

const BYTE *CElfImage::GetSegmentData(UINT index, DWORD *size) const
{
    if (size != nullptr)
        *size = 0;
    ELF_PROGRAM_HEADER segment;
    if (!GetProgramHeader(index, &segment) || segment.p_filesz == 0 || !InFile(segment.p_offset, segment.p_filesz))
        return nullptr;
    if (size != nullptr)
        *size = segment.p_filesz;
    return m_pData + segment.p_offset;
}

LPCSTR CElfImage::GetString(DWORD offset, int section) const
{
    UINT index = section < 0 ? m_header.e_shstrndx : static_cast<UINT>(section);
    DWORD size = 0;
    const BYTE *table = GetSectionData(index, &size);
    if (table == nullptr || offset >= size || memchr(table + offset, 0, size - offset) == nullptr)
        return nullptr;
    return reinterpret_cast<LPCSTR>(table + offset);
}

LPCSTR CElfImage::GetSectionName(UINT index) const
{
    ELF_SECTION_HEADER section;
    if (!GetSectionHeader(index, &section))
        return nullptr;
    return GetString(section.sh_name, -1);
}

int CElfImage::FindSection(LPCSTR name) const
{
    for (UINT n = 0; n < GetSectionCount(); ++n) {
        LPCSTR sectionName = GetSectionName(n);
        if (sectionName != nullptr && strcmp(sectionName, name) == 0)
            return static_cast<int>(n);
    }
    return -1;
}

DWORD CElfImage::GetSymbolCount(UINT section) const
{
    ELF_SECTION_HEADER header;
    if (!GetSectionHeader(section, &header) || header.sh_type != SHT_SYMTAB || header.sh_entsize < ELF32_SYMBOL_SIZE ||
        !InFile(header.sh_offset, header.sh_size))
        return 0;
    return header.sh_size / header.sh_entsize;
}

BOOL CElfImage::GetSymbol(UINT section, DWORD index, ELF_SYMBOL *symbol) const
{
    *symbol = ELF_SYMBOL{};
    if (index >= GetSymbolCount(section))
        return FALSE;
    ELF_SECTION_HEADER header;
    GetSectionHeader(section, &header);
    const BYTE *p = m_pData + header.sh_offset + uint64_t(index) * header.sh_entsize;
    symbol->st_name = ReadWord(p);
    symbol->st_value = ReadWord(p + 4);
    symbol->st_size = ReadWord(p + 8);
    symbol->st_info = p[12];
    symbol->st_other = p[13];
    symbol->st_shndx = ReadHalf(p + 14);
    return TRUE;
}

LPCSTR CElfImage::GetSymbolName(UINT section, const ELF_SYMBOL &symbol) const
{
    ELF_SECTION_HEADER header;
    if (!GetSectionHeader(section, &header))
        return nullptr;
    return GetString(symbol.st_name, static_cast<int>(header.sh_link));
}
