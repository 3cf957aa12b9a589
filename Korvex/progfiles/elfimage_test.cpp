#include "elfimage.h"

#include "elftesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Section header field offsets.
const unsigned kShName = 0, kShOffset = 16, kShSize = 20, kShEntsize = 36;

TEST(ElfImage, ReadsTheSectionTableAsReadelfShowsIt)
{
    // arm-none-eabi-readelf -S arm7-mixed.elf
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    CElfImage image;
    ASSERT_TRUE(image.Attach(file.data(), file.size())) << image.GetError();
    EXPECT_FALSE(image.IsBigEndian());
    EXPECT_EQ(image.GetElfHeader().e_type, ET_EXEC);
    EXPECT_EQ(image.GetElfHeader().e_machine, EM_ARM);
    EXPECT_EQ(image.GetSectionCount(), 18u);
    EXPECT_EQ(image.GetProgramHeaderCount(), 2u);
    EXPECT_STREQ(image.GetSectionName(2), ".text");
    ELF_SECTION_HEADER text;
    ASSERT_TRUE(image.GetSectionHeader(2, &text));
    EXPECT_EQ(text.sh_type, SHT_PROGBITS);
    EXPECT_EQ(text.sh_addr, 0x68u);
    EXPECT_EQ(text.sh_offset, 0x1068u);
    EXPECT_EQ(text.sh_size, 0x108u);
    EXPECT_EQ(text.sh_flags, SHF_ALLOC | SHF_EXECINSTR);
    EXPECT_EQ(image.FindSection(".bss"), 5);
    EXPECT_EQ(image.FindSection(".debug_info"), 9);
    EXPECT_EQ(image.FindSection(".nothing"), -1);
    DWORD size = 0;
    EXPECT_EQ(image.GetSectionData(2, &size), file.data() + 0x1068);
    EXPECT_EQ(size, 0x108u);
    EXPECT_EQ(image.GetSectionData(5, &size), nullptr) << "NOBITS has no contents in the file";
    EXPECT_EQ(size, 0u);

    ELF_PROGRAM_HEADER data;
    ASSERT_TRUE(image.GetProgramHeader(1, &data));
    EXPECT_EQ(data.p_type, PT_LOAD);
    EXPECT_EQ(data.p_offset, 0x2000u);
    EXPECT_EQ(data.p_vaddr, 0x40000000u);
    EXPECT_EQ(data.p_paddr, 0x180u);
    EXPECT_EQ(data.p_filesz, 0x1Cu);
    EXPECT_EQ(data.p_memsz, 0x68u);
    EXPECT_EQ(data.p_flags, PF_R | PF_W);
}

TEST(ElfImage, ReadsABigEndianFileAlike)
{
    std::vector<BYTE> file = ReadElfSample("arm7-be.elf");
    CElfImage image;
    ASSERT_TRUE(image.Attach(file.data(), file.size())) << image.GetError();
    EXPECT_TRUE(image.IsBigEndian());
    EXPECT_EQ(image.GetElfHeader().e_machine, EM_ARM);
    EXPECT_EQ(image.GetElfHeader().e_shoff, 0x3174u);
    EXPECT_STREQ(image.GetSectionName(15), ".symtab");
    EXPECT_EQ(image.GetSymbolCount(15), 0x360u / 16);
    // Symbol 51 is main, ARM code at 0x68 (readelf -s).
    ELF_SYMBOL symbol;
    ASSERT_TRUE(image.GetSymbol(15, 51, &symbol));
    EXPECT_STREQ(image.GetSymbolName(15, symbol), "main");
    EXPECT_EQ(symbol.st_value, 0x68u);
    EXPECT_EQ(symbol.st_size, 168u);
    EXPECT_EQ(ElfSymbolType(symbol.st_info), STT_FUNC);
    EXPECT_EQ(ElfSymbolBinding(symbol.st_info), STB_GLOBAL);
    EXPECT_EQ(symbol.st_shndx, 2);
    EXPECT_FALSE(image.GetSymbol(15, 54, &symbol));
}

TEST(ElfImage, IndexesAndOffsetsPastTheFileGiveNothing)
{
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    CElfImage image;
    ASSERT_TRUE(image.Attach(file.data(), file.size()));
    ELF_SECTION_HEADER section;
    EXPECT_FALSE(image.GetSectionHeader(18, &section));
    EXPECT_EQ(image.GetSectionData(1000), nullptr);
    EXPECT_EQ(image.GetSectionSize(18), 0u);
    ELF_PROGRAM_HEADER segment;
    EXPECT_FALSE(image.GetProgramHeader(2, &segment));
    EXPECT_EQ(image.GetString(0xAE, -1), nullptr) << "at the end of .shstrtab";
    EXPECT_EQ(image.GetSymbolCount(2), 0u) << ".text is no symbol table";
}

// A copy of the sample with one change, which Attach must refuse with a reason.
void ExpectRefused(std::vector<BYTE> file, const char *why)
{
    CElfImage image;
    EXPECT_FALSE(image.Attach(file.data(), file.size())) << why;
    EXPECT_FALSE(image.IsAttached());
    EXPECT_FALSE(image.GetError().IsEmpty()) << why;
    EXPECT_EQ(image.GetSectionCount(), 0u);
}

TEST(ElfImage, RefusesDamagedFilesWithAReason)
{
    const std::vector<BYTE> good = ReadElfSample("arm7-mixed.elf");
    ExpectRefused(std::vector<BYTE>(good.begin(), good.begin() + 51), "shorter than the header");
    ExpectRefused(std::vector<BYTE>(good.begin(), good.begin() + 0x3000), "cut inside the contents");
    std::vector<BYTE> file = good;
    file[EI_CLASS] = ELFCLASS64;
    ExpectRefused(file, "64-bit class");
    file = good;
    PatchElf(file, 48, 0xFFFF, 2); // e_shnum
    ExpectRefused(file, "section count past the file");
    file = good;
    PatchElf(file, 44, 0xFFFF, 2); // e_phnum
    ExpectRefused(file, "segment count past the file");
    file = good;
    PatchElf(file, 46, 8, 2); // e_shentsize
    ExpectRefused(file, "section entries smaller than a section header");
    file = good;
    PatchElf(file, 50, 18, 2); // e_shstrndx
    ExpectRefused(file, "name table index past the table");
    file = good;
    PatchElf(file, ElfSectionField(file, 9, kShOffset), 0xFFFFFFF0u, 4);
    ExpectRefused(file, "debug section contents past the file");
    file = good;
    PatchElf(file, ElfSectionField(file, 15, kShEntsize), 0, 4);
    ExpectRefused(file, "symbol entry size 0");
    file = good;
    PatchElf(file, ElfSectionField(file, 3, kShOffset), 0x1100, 4); // .rodata over .text
    ExpectRefused(file, "loadable sections sharing bytes");
}

TEST(ElfImage, ANameOutsideItsTableIsNoName)
{
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    PatchElf(file, ElfSectionField(file, 2, kShName), 0x7FFFFFFF, 4);
    CElfImage image;
    ASSERT_TRUE(image.Attach(file.data(), file.size()));
    EXPECT_EQ(image.GetSectionName(2), nullptr);
    // A name table whose last text is not terminated gives nothing for that text.
    const DWORD tableOffset = 0x30AD, tableSize = 0xAE; // readelf -S: .shstrtab
    DWORD lastName = tableSize - 2;
    while (file[tableOffset + lastName - 1] != 0)
        --lastName;
    ASSERT_STREQ(image.GetString(lastName, -1), ".debug_frame");
    PatchElf(file, ElfSectionField(file, 17, kShSize), tableSize - 1, 4);
    ASSERT_TRUE(image.Attach(file.data(), file.size()));
    EXPECT_EQ(image.GetString(lastName, -1), nullptr);
}

} // namespace
