// The structures and numbers of 32-bit ELF files, decoded into host order.
//
// The readers never lay a structure over the file's bytes: each field is read in the
// file's byte order at its place, so the same code reads both byte orders and any
// alignment (CElfImage).
#pragma once

#include <windows.h>

// The identification bytes.
enum : BYTE {
    EI_CLASS = 4,
    EI_DATA = 5,
    EI_VERSION = 6,
    EI_NIDENT = 16,
    ELFCLASS32 = 1,
    ELFCLASS64 = 2,
    ELFDATA2LSB = 1,
    ELFDATA2MSB = 2,
    EV_CURRENT = 1,
};

enum : WORD {
    ET_REL = 1,
    ET_EXEC = 2,
    EM_ARM = 40,
    EM_TRICORE = 44,
};

// Section types and flags.
enum : DWORD {
    SHT_NULL = 0,
    SHT_PROGBITS = 1,
    SHT_SYMTAB = 2,
    SHT_STRTAB = 3,
    SHT_NOBITS = 8,
    SHF_WRITE = 1,
    SHF_ALLOC = 2,
    SHF_EXECINSTR = 4,
};

// Reserved section indexes of a symbol.
enum : WORD {
    SHN_UNDEF = 0,
    SHN_ABS = 0xFFF1,
};

// Segment types and flags.
enum : DWORD {
    PT_LOAD = 1,
    PF_X = 1,
    PF_W = 2,
    PF_R = 4,
};

// Symbol bindings and types (st_info: binding in the high nibble, type in the low one).
// STT_ARM_TFUNC is the type by which older ARM tool chains marked Thumb functions; EABI
// tool chains mark them as STT_FUNC with bit 0 of the value set.
enum : BYTE {
    STB_LOCAL = 0,
    STB_GLOBAL = 1,
    STB_WEAK = 2,
    STT_NOTYPE = 0,
    STT_OBJECT = 1,
    STT_FUNC = 2,
    STT_SECTION = 3,
    STT_FILE = 4,
    STT_ARM_TFUNC = 13,
};

inline BYTE ElfSymbolBinding(BYTE info)
{
    return info >> 4;
}
inline BYTE ElfSymbolType(BYTE info)
{
    return info & 0xF;
}

// The sizes of the structures in a 32-bit file.
enum : DWORD {
    ELF32_HEADER_SIZE = 52,
    ELF32_PROGRAM_HEADER_SIZE = 32,
    ELF32_SECTION_HEADER_SIZE = 40,
    ELF32_SYMBOL_SIZE = 16,
};

struct ELF_HEADER {
    BYTE e_ident[EI_NIDENT];
    WORD e_type;
    WORD e_machine;
    DWORD e_version;
    DWORD e_entry;
    DWORD e_phoff;
    DWORD e_shoff;
    DWORD e_flags;
    WORD e_ehsize;
    WORD e_phentsize;
    WORD e_phnum;
    WORD e_shentsize;
    WORD e_shnum;
    WORD e_shstrndx;
};

struct ELF_PROGRAM_HEADER {
    DWORD p_type;
    DWORD p_offset;
    DWORD p_vaddr;
    DWORD p_paddr;
    DWORD p_filesz;
    DWORD p_memsz;
    DWORD p_flags;
    DWORD p_align;
};

struct ELF_SECTION_HEADER {
    DWORD sh_name;
    DWORD sh_type;
    DWORD sh_flags;
    DWORD sh_addr;
    DWORD sh_offset;
    DWORD sh_size;
    DWORD sh_link;
    DWORD sh_info;
    DWORD sh_addralign;
    DWORD sh_entsize;
};

struct ELF_SYMBOL {
    DWORD st_name;
    DWORD st_value;
    DWORD st_size;
    BYTE st_info;
    BYTE st_other;
    WORD st_shndx;
};
