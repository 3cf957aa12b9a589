#include "dumpnames.h"

const QEL_VALUE_NAME g_elfTypeNames[] = {
    {0, "ET_NONE"}, {1, "ET_REL"}, {2, "ET_EXEC"}, {3, "ET_DYN"}, {4, "ET_CORE"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfMachineNames[] = {
    {0, "EM_NONE"}, {1, "EM_M32"}, {2, "EM_SPARC"},    {3, "EM_386"}, {4, "EM_68K"}, {5, "EM_88K"},
    {7, "EM_860"},  {8, "EM_MIPS"}, {44, "EM_TRICORE"}, {40, "EM_ARM"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfVersionNames[] = {
    {0, "EV_NONE"}, {1, "EV_CURRENT"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfClassNames[] = {
    {0, "ELFCLASSNONE"}, {1, "ELFCLASS32"}, {2, "ELFCLASS64"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfDataNames[] = {
    {0, "ELFDATANONE"}, {1, "ELFDATA2LSB"}, {2, "ELFDATA2MSB"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfSpecialSectionNames[] = {
    {0, "SHN_UNDEF"}, {0xFFF1, "SHN_ABS"}, {0xFFF2, "SHN_COMMON"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfSectionTypeNames[] = {
    {0, "SHT_NULL"},    {1, "SHT_PROGBITS"}, {2, "SHT_SYMTAB"}, {3, "SHT_STRTAB"},
    {4, "SHT_RELA"},    {5, "SHT_HASH"},     {6, "SHT_DYNAMIC"}, {7, "SHT_NOTE"},
    {8, "SHT_NOBITS"},  {9, "SHT_REL"},      {10, "SHT_SHLIB"},  {11, "SHT_DYNSYM"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_elfSectionFlagNames[] = {
    {0, "SHF_NONE"},
    {1, "SHF_WRITE"},
    {2, "SHF_ALLOC"},
    {3, "SHF_WRITE_ALLOC"},
    {4, "SHF_EXECINSTR"},
    {5, "SHF_WRITE_EXECINSTR"},
    {6, "SHF_ALLOC_EXECINSTR"},
    {7, "SHF_WRITE_ALLOC_EXECINSTR"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_elfSegmentTypeNames[] = {
    {0, "PT_NULL"}, {1, "PT_LOAD"},  {2, "PT_DYNAMIC"}, {3, "PT_INTERP"},
    {4, "PT_NOTE"}, {5, "PT_SHLIB"}, {6, "PT_PHDR"},    {0, nullptr},
};

const QEL_VALUE_NAME g_elfSegmentFlagNames[] = {
    {0, "PF_NONE"}, {1, "PF_X"},   {2, "PF_W"},   {3, "PF_X_W"},   {4, "PF_R"},
    {5, "PF_X_R"},  {6, "PF_W_R"}, {7, "PF_X_W_R"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfSymbolBindingNames[] = {
    {0, "STB_LOCAL"}, {1, "STB_GLOBAL"}, {2, "STB_WEAK"}, {0, nullptr},
};

const QEL_VALUE_NAME g_elfSymbolTypeNames[] = {
    {0, "STT_NOTYPE"}, {1, "STT_OBJECT"},      {2, "STT_FUNC"},         {3, "STT_SECTION"},
    {4, "STT_FILE"},   {13, "STT_THUMB_FUNC"}, {15, "STT_THUMB_LABEL"}, {0, nullptr},
};
