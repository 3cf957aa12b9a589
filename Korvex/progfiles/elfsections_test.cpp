#include "elfsections.h"

#include <debugserver.h>
#include <hostreports.h>
#include <hostsymbolpartners.h>

#include "elfcheck.h"
#include "elftesting.h"
#include "symbolcodes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

using QelHost::CHostDebugServer;
using QelHost::HostDownloadBlock;

struct Record {
    LONG type;
    DWORD mode, value, extra, length;
    std::string name;
    bool operator==(const Record &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Record &r)
{
    char text[160];
    snprintf(text, sizeof text, "{%ld, %lu, %#lx, %#lx, %#lx, \"%s\"}", static_cast<long>(r.type),
             static_cast<unsigned long>(r.mode), static_cast<unsigned long>(r.value),
             static_cast<unsigned long>(r.extra), static_cast<unsigned long>(r.length), r.name.c_str());
    return out << text;
}

std::vector<Record> Records(const CELFSections &reader)
{
    std::vector<Record> records;
    for (const SectionTag &tag : reader.GetSectionRecords())
        records.push_back({tag.Type, tag.AddressMode, tag.AddressValue, tag.AddressExtra, tag.Length,
                           static_cast<LPCSTR>(tag.Name)});
    return records;
}

// A host whose target-pattern interface records what it receives.
class ElfSectionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CComObject<CHostDebugServer> *server = nullptr;
        ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&server), S_OK);
        m_host = static_cast<IQelHostHolder *>(server);
        m_server = server;
    }

    std::vector<HostDownloadBlock> Blocks() const { return m_server->Downloads()->Blocks(); }

    CComPtr<IUnknown> m_host;
    CHostDebugServer *m_server = nullptr;
};

// The pass cuts arm7-mixed.elf (readelf -S -l -s) as follows: .vectors is startup.s;
// .text holds main.c (ARM, 0x68-0x110), thumb.c (Thumb, 0x110-0x150) and, outside any
// unit, the linker's ARM veneers; .rodata is const; .data is loaded at 0x180 and runs at
// 0x40000000; .bss has no contents.
const std::vector<Record> kMixedRecords = {
    {TYSE_CODE, 1, 0x0, 0, 0x64, "src/startup.s@0"},  {TYSE_CODE, 1, 0x68, 0, 0xA8, "src/main.c@1"},
    {TYSE_CODE, 1, 0x110, 0, 0x40, "src/thumb.c@2"},  {TYSE_CODE, 1, 0x150, 0, 0x20, ".text@3"},
    {TYSE_CONST, 1, 0x170, 0, 0x10, ".rodata@4"},     {TYSE_DATA, 1, 0x40000000, 0, 0x1C, ".data@5"},
};

TEST_F(ElfSectionsTest, CutsSectionsAtUnitsAndAtArmThumbChanges)
{
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-mixed.elf").c_str(), nullptr));
    EXPECT_EQ(reader.GetMachine(), EM_ARM);
    EXPECT_EQ(reader.GetEncoding(), ELFDATA2LSB);
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    EXPECT_EQ(Records(reader), kMixedRecords);
    EXPECT_EQ(reader.GetEntryPoint(), CAddressValue(0, 1, 0)) << "ARM: the entry point at 0 counts";
    EXPECT_EQ(reader.GetDebugSection(ELF_SYMTAB), 15);
    EXPECT_EQ(reader.GetDebugSection(ELF_DEBUG_INFO), 9);
    EXPECT_EQ(reader.GetDebugSection(ELF_DEBUG_ABBREV), 10);
    EXPECT_EQ(reader.GetDebugSection(ELF_DEBUG_LINE), 8);
    EXPECT_EQ(reader.GetDebugSection(ELF_DEBUG_STR), 12);
    EXPECT_EQ(reader.GetDebugSection(ELF_DEBUG), -1);
    EXPECT_EQ(reader.GetDebugSection(ELF_VARED_INFO), -1);
}

TEST_F(ElfSectionsTest, ABigEndianProgramGivesTheSameRecords)
{
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-be.elf").c_str(), nullptr));
    EXPECT_EQ(reader.GetEncoding(), ELFDATA2MSB);
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    EXPECT_EQ(Records(reader), kMixedRecords);
}

TEST_F(ElfSectionsTest, DownloadsEveryPieceAtItsLoadAddressWithItsBytes)
{
    CELFSections reader(7, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-mixed.elf").c_str(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();

    std::vector<HostDownloadBlock> blocks = Blocks();
    // .vectors ends at 0x64 and .text starts at 0x68, a gap no alignment closes; the
    // Thumb piece is a kind of its own, so it neither joins its neighbours.
    struct Expected {
        DWORD start, length, kind;
    };
    const Expected expected[] = {{0x0, 0x64, 0}, {0x68, 0xA8, 0}, {0x110, 0x40, 2},
                                 {0x150, 0x20, 0}, {0x170, 0x10, 2}, {0x180, 0x1C, 2}};
    ASSERT_EQ(blocks.size(), std::size(expected));
    // arm-none-eabi-objcopy -O binary arm7-mixed.elf: the image from load address 0.
    std::vector<BYTE> flat = ReadElfSample("arm7-mixed.bin");
    ASSERT_EQ(flat.size(), 0x19Cu);
    DWORD total = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].start, expected[i].start) << i;
        ASSERT_EQ(blocks[i].bytes.size(), expected[i].length) << i;
        EXPECT_EQ(blocks[i].kind, expected[i].kind) << i;
        EXPECT_EQ(blocks[i].programId, 7u);
        EXPECT_EQ(0, memcmp(blocks[i].bytes.data(), flat.data() + blocks[i].start, blocks[i].bytes.size())) << i;
        total += expected[i].length;
    }
    auto announcements = m_server->Downloads()->Announcements();
    ASSERT_EQ(announcements.size(), 1u);
    EXPECT_EQ(announcements[0].blockCount, 6u);
    EXPECT_EQ(announcements[0].byteCount, total);
}

TEST_F(ElfSectionsTest, UnitsWithoutAnAddressRangeDoNotCut)
{
    // -ffunction-sections: main.c and thumb.c carry no low and high address, so .text is
    // cut only where ARM and Thumb code change (readelf -s: $t at 0x11c, $a at 0x160).
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-sections.elf").c_str(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    const std::vector<Record> expected = {
        {TYSE_CODE, 1, 0x0, 0, 0x64, "src/startup.s@0"}, {TYSE_CODE, 1, 0x68, 0, 0xB4, ".text@1"},
        {TYSE_CODE, 1, 0x11C, 0, 0x44, ".text@2"},        {TYSE_CODE, 1, 0x160, 0, 0x20, ".text@3"},
        {TYSE_CONST, 1, 0x180, 0, 0x10, ".rodata@4"},     {TYSE_DATA, 1, 0x40000000, 0, 0x1C, ".data@5"},
    };
    EXPECT_EQ(Records(reader), expected);
}

TEST_F(ElfSectionsTest, StepsOverTheCLibrarysDwarf5Units)
{
    // arm7-newlib.elf: crt0 and the library bring DWARF 5 units, which give no ranges;
    // the program's own DWARF 2 units cut .text (readelf --debug-dump=info).
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-newlib.elf").c_str(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    std::vector<Record> records = Records(reader);
    auto named = [&](const char *unit, DWORD start, DWORD length) {
        for (const Record &r : records) {
            if (r.value == start)
                return r.name.rfind(unit, 0) == 0 && r.length == length && r.type == TYSE_CODE;
        }
        return false;
    };
    EXPECT_TRUE(named("src/main.c@", 0x8244, 0xA8));
    EXPECT_TRUE(named("src/thumb.c@", 0x82EC, 0x40));
    EXPECT_TRUE(named("/tmp/tmp.E3vJkqjyqf/uselib.c@", 0x832C, 0x2C));
    // The records cover every loadable section with contents, in section order, with
    // names numbered across all of them.
    CElfImage image;
    std::vector<BYTE> file = ReadElfSample("arm7-newlib.elf");
    ASSERT_TRUE(image.Attach(file.data(), file.size()));
    size_t r = 0;
    for (UINT n = 0; n < image.GetSectionCount(); ++n) {
        ELF_SECTION_HEADER section;
        image.GetSectionHeader(n, &section);
        if ((section.sh_flags & SHF_ALLOC) == 0 || section.sh_type == SHT_NOBITS || section.sh_size == 0)
            continue;
        DWORD covered = 0;
        for (; r < records.size() && records[r].value < section.sh_addr + section.sh_size; ++r) {
            EXPECT_EQ(records[r].value, section.sh_addr + covered) << records[r];
            EXPECT_EQ(records[r].name.substr(records[r].name.rfind('@')), "@" + std::to_string(r));
            covered += records[r].length;
        }
        EXPECT_EQ(covered, section.sh_size) << image.GetSectionName(n);
    }
    EXPECT_EQ(r, records.size());
    EXPECT_EQ(reader.GetEntryPoint(), CAddressValue(image.GetElfHeader().e_entry, 1, 0));
}

TEST_F(ElfSectionsTest, WithAnImageFileOnlyTheImageIsDownloaded)
{
    char name[] = "/tmp/qelimageXXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    const char hex[] = ":0400100001020304E2\n:00000001FF\n";
    ASSERT_EQ(write(fd, hex, sizeof hex - 1), static_cast<ssize_t>(sizeof hex - 1));
    close(fd);

    CELFSections reader(3, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-mixed.elf").c_str(), nullptr));
    reader.SetImageFileName(name);
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    EXPECT_EQ(Records(reader), kMixedRecords) << "the records are made all the same";
    std::vector<HostDownloadBlock> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].start, 0x10u);
    EXPECT_EQ(blocks[0].bytes, (std::vector<BYTE>{1, 2, 3, 4}));

    // An image that cannot be read fails the load and says so, rather than downloading
    // nothing.
    remove(name);
    CELFSections missing(3, m_host);
    ASSERT_TRUE(missing.Open(ElfSamplePath("arm7-mixed.elf").c_str(), nullptr));
    missing.SetImageFileName(name);
    EXPECT_EQ(missing.ReadSections(nullptr), 0);
    EXPECT_EQ(missing.GetFailureStatus(), QEL_LOAD_FILE_ERROR);
    EXPECT_NE(std::string(missing.GetFailureText()).find(name), std::string::npos);
    EXPECT_EQ(Blocks().size(), 1u);
}

TEST_F(ElfSectionsTest, ARefusedBlockFailsThePassWithStatus9)
{
    m_server->Downloads()->RefuseAfter(2);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-mixed.elf").c_str(), nullptr));
    EXPECT_EQ(reader.ReadSections(nullptr), 0);
    EXPECT_EQ(reader.GetFailureStatus(), QEL_LOAD_CONTENTS_REFUSED);
    EXPECT_FALSE(reader.GetFailureText().IsEmpty());
    EXPECT_EQ(Blocks().size(), 2u) << "the download stops at the refused block";
}

TEST_F(ElfSectionsTest, WithoutAProgramIdNothingIsDownloadedAndThatIsNoFailure)
{
    CELFSections reader(0, m_host);
    ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-mixed.elf").c_str(), nullptr));
    EXPECT_EQ(reader.ReadSections(nullptr), 1);
    EXPECT_TRUE(Blocks().empty());
    EXPECT_TRUE(m_server->Downloads()->Announcements().empty());
    CELFSections hostless(1, nullptr);
    ASSERT_TRUE(hostless.Open(ElfSamplePath("arm7-mixed.elf").c_str(), nullptr));
    EXPECT_EQ(hostless.ReadSections(nullptr), 1);
    EXPECT_EQ(Records(hostless), kMixedRecords);
}

// Writes `file` to a temporary path and runs the pass over it.
TEST_F(ElfSectionsTest, ADamagedFileOpensButItsPassFailsWithTheReason)
{
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    file.resize(0x2800); // cut inside .debug_info
    DamagedElf damaged(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(damaged.Name(), nullptr));
    EXPECT_EQ(reader.ReadSections(nullptr), 0);
    EXPECT_EQ(reader.GetFailureStatus(), QEL_LOAD_READER_FAILED);
    EXPECT_NE(std::string(reader.GetFailureText()).find("outside the file"), std::string::npos)
        << reader.GetFailureText();
    EXPECT_TRUE(Blocks().empty());
}

TEST_F(ElfSectionsTest, ASectionNameOutsideTheNameTableEndsTheScan)
{
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    PatchElf(file, ElfSectionField(file, 3, 0), 0xAE, 4);
    DamagedElf damaged(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(damaged.Name(), nullptr));
    EXPECT_EQ(reader.ReadSections(nullptr), 0);
    EXPECT_EQ(reader.GetFailureStatus(), QEL_LOAD_READER_FAILED);
    EXPECT_TRUE(Blocks().empty()) << "the download is not touched";
}

TEST_F(ElfSectionsTest, ALoadOrRunRangePastTheAddressSpaceIsRefusedAndNothingIsDownloaded)
{
    const std::vector<BYTE> good = ReadElfSample("arm7-mixed.elf");
    const size_t code = 52, data = 52 + 32; // the two program headers (readelf -l)
    auto refused = [&](const std::vector<BYTE> &file, const std::string &reason) {
        DamagedElf damaged(file);
        CELFSections reader(1, m_host);
        ASSERT_TRUE(reader.Open(damaged.Name(), nullptr));
        EXPECT_EQ(reader.ReadSections(nullptr), 0);
        EXPECT_EQ(reader.GetFailureStatus(), QEL_LOAD_READER_FAILED);
        EXPECT_EQ(std::string(reader.GetFailureText()), reason);
        EXPECT_TRUE(Blocks().empty()) << "no wrapped block reaches address 0";
        EXPECT_TRUE(m_server->Downloads()->Announcements().empty());
    };
    // .text moved to 0xFFFFFF00 with the code segment, which ends at the top of the
    // address space; .text runs 8 bytes past it.
    std::vector<BYTE> file = good;
    PatchElf(file, ElfSectionField(file, 2, 12), 0xFFFFFF00, 4);
    for (size_t field : {8, 12})
        PatchElf(file, code + field, 0xFFFFFE98, 4);
    for (size_t field : {16, 20})
        PatchElf(file, code + field, 0x168, 4);
    refused(file, "ELF section 2 (.text, 264 bytes loaded at FFFFFF00h, run at FFFFFF00h) runs past the end of "
                  "the 32-bit address space.");
    // The data segment run at 0xFFFFFFF0, 0x68 bytes.
    file = good;
    PatchElf(file, data + 8, 0xFFFFFFF0, 4);
    refused(file, "ELF segment 1 (104 bytes at FFFFFFF0h) runs past the end of the 32-bit address space.");
    // .data, loaded at 0x180 and run at the top of the address space, grown past it.
    file = good;
    PatchElf(file, data + 8, 0xFFFFFF98, 4);
    PatchElf(file, ElfSectionField(file, 4, 12), 0xFFFFFF98, 4);
    PatchElf(file, ElfSectionField(file, 4, 20), 0x100, 4);
    refused(file, "ELF section 4 (.data, 256 bytes loaded at 00000180h, run at FFFFFF98h) runs past the end of "
                  "the 32-bit address space.");
}

TEST_F(ElfSectionsTest, WithoutASectionHeaderTableNothingIsDownloadedAndTheDumpAndTraceSayWhy)
{
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    PatchElf(file, 32, 0, 4); // e_shoff
    PatchElf(file, 48, 0, 2); // e_shnum
    PatchElf(file, 50, 0, 2); // e_shstrndx
    DamagedElf stripped(file);
    auto reports = std::make_shared<QelHost::HostReports>();
    m_server->SetReports(reports);
    char dumpName[] = "/tmp/qeldumpXXXXXX";
    int fd = mkstemp(dumpName);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        CELFSections reader(1, m_host);
        ASSERT_TRUE(reader.Open(stripped.Name(), dumpName));
        EXPECT_EQ(reader.ReadSections(nullptr), 1) << "the program loads all the same";
        EXPECT_TRUE(reader.GetSectionRecords().empty());
    }
    EXPECT_TRUE(Blocks().empty());
    const std::string notice = "The ELF file has no section header table, and the download is made of its "
                               "sections: nothing is downloaded.";
    std::ifstream in(dumpName);
    std::string dump((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    remove(dumpName);
    EXPECT_NE(dump.find("\nDownload pattern\n" + notice + "\n"), std::string::npos) << dump;
    auto lines = reports->TraceLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].kind, 1) << "a warning";
    EXPECT_EQ(lines[0].text, std::string(stripped.Name()) + ": " + notice);
}

TEST_F(ElfSectionsTest, UnitsOfVersion3AreReadAndOtherVersionsSteppedOver)
{
    // The version of main.c's unit (readelf: unit at 0x26 of .debug_info, file 0x21F5).
    const size_t version = 0x21F5 + 0x26 + 4;
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    PatchElf(file, version, 3, 2);
    {
        DamagedElf changed(file);
        CELFSections reader(1, m_host);
        ASSERT_TRUE(reader.Open(changed.Name(), nullptr));
        ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
        EXPECT_EQ(Records(reader), kMixedRecords);
    }
    PatchElf(file, version, 4, 2);
    DamagedElf changed(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(changed.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    std::vector<Record> records = Records(reader);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[1], (Record{TYSE_CODE, 1, 0x68, 0, 0xA8, ".text@1"}));
    EXPECT_EQ(records[2], (Record{TYSE_CODE, 1, 0x110, 0, 0x40, "src/thumb.c@2"})) << "the next unit is still read";
}

TEST_F(ElfSectionsTest, ADamagedDebugSectionCostsOnlyItsUnitRanges)
{
    // A unit length far past the section: the walk stops, the sections stay whole.
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    PatchElf(file, 0x21F5, 0x7FFFFFF0, 4);
    DamagedElf damaged(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(damaged.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    std::vector<Record> records = Records(reader);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0], (Record{TYSE_CODE, 1, 0x0, 0, 0x64, ".vectors@0"}));
    EXPECT_EQ(records[1], (Record{TYSE_CODE, 1, 0x68, 0, 0xA8, ".text@1"}));
    EXPECT_EQ(records[2], (Record{TYSE_CODE, 1, 0x110, 0, 0x40, ".text@2"}));

    // main.c's unit names abbreviations past .debug_abbrev: only its range is lost.
    file = ReadElfSample("arm7-mixed.elf");
    PatchElf(file, 0x21F5 + 0x26 + 6, 0xFFFF, 4);
    DamagedElf abbreviations(file);
    CELFSections second(1, m_host);
    ASSERT_TRUE(second.Open(abbreviations.Name(), nullptr));
    ASSERT_EQ(second.ReadSections(nullptr), 1) << second.GetFailureText();
    records = Records(second);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[1], (Record{TYSE_CODE, 1, 0x68, 0, 0xA8, ".text@1"}));
    EXPECT_EQ(records[2], (Record{TYSE_CODE, 1, 0x110, 0, 0x40, "src/thumb.c@2"}));
}

TEST_F(ElfSectionsTest, ALoadedBssAndCodeInADataSectionAreTyped)
{
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    // .bss made PROGBITS: it lies in the data segment, so it is loaded as bss.
    PatchElf(file, ElfSectionField(file, 5, 4), SHT_PROGBITS, 4);
    // The startup unit moved over .data's run range: .data then holds code, cut and
    // named as code by that unit (readelf: the unit's low and high address at 0x10, 0x14).
    PatchElf(file, 0x21F5 + 0x10, 0x40000000, 4);
    PatchElf(file, 0x21F5 + 0x14, 0x4000001C, 4);
    DamagedElf changed(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(changed.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    std::vector<Record> records = Records(reader);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[0], (Record{TYSE_CODE, 1, 0x0, 0, 0x64, ".vectors@0"}));
    EXPECT_EQ(records[5], (Record{TYSE_CODE, 1, 0x40000000, 0, 0x1C, "src/startup.s@5"}));
    EXPECT_EQ(records[6], (Record{TYSE_BSS, 1, 0x4000001C, 0, 0x4C, ".bss@6"}));
}

// A DWARF 1.1 compilation unit entry: length, tag, name, low and high address.
void AppendDwarf1Unit(std::vector<BYTE> &out, const char *name, DWORD low, DWORD high)
{
    std::vector<BYTE> entry;
    auto put = [&](DWORD value, int size) {
        for (int i = 0; i < size; ++i)
            entry.push_back(static_cast<BYTE>(value >> (8 * i)));
    };
    put(0, 4);
    put(0x11, 2);
    put(0x0038, 2);
    entry.insert(entry.end(), name, name + strlen(name) + 1);
    put(0x0111, 2);
    put(low, 4);
    put(0x0121, 2);
    put(high, 4);
    DWORD length = static_cast<DWORD>(entry.size());
    for (int i = 0; i < 4; ++i)
        entry[i] = static_cast<BYTE>(length >> (8 * i));
    out.insert(out.end(), entry.begin(), entry.end());
}

TEST_F(ElfSectionsTest, Dwarf1UnitsCutTheCodeAsWell)
{
    // .debug_aranges renamed ".debug" and filled with DWARF 1.1 entries: two units, a
    // filler entry between them, and a zero length at the end.
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    const std::string names(file.begin() + 0x30AD, file.begin() + 0x30AD + 0xAE);
    size_t aranges = names.find(".debug_aranges");
    ASSERT_NE(aranges, std::string::npos);
    file[0x30AD + aranges + 6] = 0;
    std::vector<BYTE> debug;
    AppendDwarf1Unit(debug, "one.c", 0x68, 0x90);
    debug.insert(debug.end(), {4, 0, 0, 0});
    AppendDwarf1Unit(debug, "two.c", 0x90, 0x110);
    debug.insert(debug.end(), {0, 0, 0, 0});
    ASSERT_LE(debug.size(), 0x60u);
    std::copy(debug.begin(), debug.end(), file.begin() + 0x2858);
    DamagedElf changed(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(changed.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    EXPECT_EQ(reader.GetDebugSection(ELF_DEBUG), 11);
    std::vector<Record> records = Records(reader);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[1], (Record{TYSE_CODE, 1, 0x68, 0, 0x28, "one.c@1"}));
    EXPECT_EQ(records[2], (Record{TYSE_CODE, 1, 0x90, 0, 0x80, "two.c@2"}));
    EXPECT_EQ(records[3], (Record{TYSE_CODE, 1, 0x110, 0, 0x40, ".text@3"}));
}

TEST_F(ElfSectionsTest, APcpImageLoadedApartFromItsRunAddressIsDownloadedVirtual)
{
    // .vectors renamed ".pcptext" and .debug_frame, of the same size, "[.pcptext]" at the
    // load address 0x80000000; the code segment then loads those bytes there (p_paddr)
    // with no run address of its own (p_vaddr 0), as the PCP tool chain writes it.
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    const size_t names = 0x30AD;
    const std::string table(file.begin() + names, file.begin() + names + 0xAE);
    size_t vectors = table.find(".vectors"), frame = table.find(".debug_frame");
    ASSERT_NE(vectors, std::string::npos);
    ASSERT_NE(frame, std::string::npos);
    memcpy(file.data() + names + vectors, ".pcptext", 8);
    memcpy(file.data() + names + frame, "[.pcptext]", 11);
    PatchElf(file, ElfSectionField(file, 14, 12), 0x80000000, 4); // sh_addr of "[.pcptext]"
    PatchElf(file, 52 + 12, 0x80000000, 4);                        // p_paddr of segment 0
    PatchElf(file, 52 + 20, 0x64, 4);                              // p_memsz: the PCP code's size
    DamagedElf changed(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(changed.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    const std::vector<Record> expected = {
        {TYSE_CODE, 1, 0x0, 0, 0x64, "src/startup.s@0"},
        {TYSE_DATA, 1, 0x40000000, 0, 0x1C, ".data@1"},
    };
    EXPECT_EQ(Records(reader), expected) << ".text and .rodata lie in no segment now";
    std::vector<HostDownloadBlock> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].start, 0x80000000u);
    EXPECT_EQ(blocks[0].bytes.size(), 0x64u);
    EXPECT_EQ(0, memcmp(blocks[0].bytes.data(), file.data() + 0x1000, 0x64));
}

TEST_F(ElfSectionsTest, OlderThumbFunctionSymbolsWithoutMappingSymbolsCutAlike)
{
    // Tool chains before EABI: Thumb functions of type STT_ARM_TFUNC at even addresses and
    // no "$t" (readelf -s: $t are symbols 26 and 28, thumb_scale 41, thumb_checksum 52).
    std::vector<BYTE> file = ReadElfSample("arm7-mixed.elf");
    const size_t symbols = 0x2C50;
    for (unsigned mapping : {26u, 28u})
        file[symbols + 16 * mapping + 12] = STT_SECTION;
    for (auto [index, address] : {std::pair<unsigned, DWORD>{41, 0x13C}, {52, 0x110}}) {
        PatchElf(file, symbols + 16 * index + 4, address, 4);
        file[symbols + 16 * index + 12] = (STB_GLOBAL << 4) | STT_ARM_TFUNC;
    }
    DamagedElf changed(file);
    CELFSections reader(1, m_host);
    ASSERT_TRUE(reader.Open(changed.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
    EXPECT_EQ(Records(reader), kMixedRecords);
    EXPECT_TRUE(reader.IsThumbCode(0x110));
    EXPECT_TRUE(reader.IsThumbCode(0x14E));
    EXPECT_FALSE(reader.IsThumbCode(0x150));
    EXPECT_EQ(reader.GetArmCodeLength(0x68, 0x1000), 0xA8u) << "ARM code ends at the Thumb function";
    EXPECT_EQ(reader.GetArmCodeLength(0x110, 0x1000), 0x40u) << "Thumb code ends at the ARM veneer";
    EXPECT_EQ(reader.GetArmCodeLength(0x110, 0x10), 0x10u);
}

TEST_F(ElfSectionsTest, TheDumpShowsEveryDownloadRange)
{
    char name[] = "/tmp/qeldumpXXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        CELFSections reader(1, m_host);
        ASSERT_TRUE(reader.Open(ElfSamplePath("arm7-mixed.elf").c_str(), name));
        ASSERT_EQ(reader.ReadSections(nullptr), 1);
    }
    std::ifstream in(name);
    std::string dump((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    remove(name);
    size_t pattern = dump.find("\nDownload pattern\n");
    ASSERT_NE(pattern, std::string::npos) << dump;
    EXPECT_NE(dump.find("Mode: SYAM_ABSOLUTE, Address1: 00000110, Address2: 00000000, Length: 00040, "
                        "Type: TYSE_CODE_THUMB16\n", pattern),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Mode: SYAM_VIRTUAL, Address1: 00000180, Address2: 40000000, Length: 0001C, "
                        "Type: TYSE_DATA\n", pattern),
              std::string::npos)
        << dump;
}

TEST_F(ElfSectionsTest, ReadsTheTargetWindowsOfThePartnerDebugServer)
{
    using QelHost::CHostSymbolPartners;
    using QelHost::CHostWindowValues;
    CComObject<CHostSymbolPartners> *partners = nullptr;
    ASSERT_EQ(CComObject<CHostSymbolPartners>::CreateInstance(&partners), S_OK);
    CComPtr<IQelSymbSrv> keepPartners(partners);
    CComObject<CHostDebugServer> *foreign = nullptr;
    ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&foreign), S_OK);
    CComPtr<IUnknown> keepForeign(static_cast<IQelHostHolder *>(foreign));
    CComObject<CHostWindowValues> *values = nullptr;
    ASSERT_EQ(CComObject<CHostWindowValues>::CreateInstance(&values), S_OK);
    CComPtr<IQelWindowValues> keepValues(values);
    values->SetValue(u"CodeBaseAddr", 0x1000);
    values->SetValue(u"CodeEndAddr", 0x1FFF);
    foreign->SetWindowValues(values);
    partners->SetForeignDebugServer(keepForeign);
    m_server->SetSymbolServer(keepPartners);

    {
        CELFSections reader(1, m_host);
        EXPECT_EQ(reader.GetDebugServer(), keepForeign.p);
        EXPECT_FALSE(reader.IsStandalonePcpServer());
        EXPECT_EQ(reader.GetCodeWindow().Read, 1u);
        EXPECT_EQ(reader.GetCodeWindow().Base, 0x1000u);
        EXPECT_EQ(reader.GetCodeWindow().End, 0x1FFFu);
        EXPECT_EQ(reader.GetDataWindow().Read, 1u);
        EXPECT_EQ(reader.GetDataWindow().Base, 0xFFFFFFFFu) << "a value the host does not give stays -1";
    }
    partners->SetPcpStandaloneDebugServer(keepForeign);
    {
        CELFSections reader(1, m_host);
        EXPECT_TRUE(reader.IsStandalonePcpServer());
    }
    m_server->SetSymbolServer(nullptr);
    CELFSections alone(1, m_host);
    EXPECT_EQ(alone.GetDebugServer(), nullptr);
    EXPECT_EQ(alone.GetCodeWindow().Read, 0xFFFFFFFFu);
}

TEST(ElfCheck, AcceptsExecutable32BitElfInBothByteOrders)
{
    CELFCheck check;
    EXPECT_EQ(check.IsFileOfType(ElfSamplePath("arm7-mixed.elf").c_str()), 1);
    EXPECT_EQ(check.IsFileOfType(ElfSamplePath("arm7-be.elf").c_str()), 1);
    EXPECT_EQ(check.IsFileOfType(ElfSamplePath("make.sh").c_str()), 0);
    EXPECT_EQ(check.IsFileOfType("/nonexistent/file.elf"), 0);
}

TEST(ElfCheck, RefusesRelocatable64BitAndShortFilesAndTheReaderSaysWhy)
{
    const std::vector<BYTE> good = ReadElfSample("arm7-mixed.elf");
    auto refused = [](const std::vector<BYTE> &file, const char *reason) {
        DamagedElf damaged(file);
        CELFCheck check;
        EXPECT_EQ(check.IsFileOfType(damaged.Name()), 0) << reason;
        CELFSections reader(1, nullptr);
        EXPECT_FALSE(reader.Open(damaged.Name(), nullptr));
        EXPECT_EQ(reader.GetFailureStatus(), QEL_LOAD_READER_FAILED);
        EXPECT_EQ(std::string(reader.GetFailureText()),
                  "The program file " + std::string(damaged.Name()) + " cannot be read: " + reason + ".");
    };
    std::vector<BYTE> file = good;
    PatchElf(file, 16, ET_REL, 2);
    refused(file, "it is an ELF file of type ET_REL; only executable files (ET_EXEC) are loaded");
    file = good;
    file[EI_CLASS] = ELFCLASS64;
    refused(file, "it is an ELF file of class ELFCLASS64; only 32-bit files (ELFCLASS32) are read");
    file = good;
    file[1] = 'e';
    refused(file, "it is no ELF file (it does not begin with 7Fh 'E' 'L' 'F')");
    file.assign(good.begin(), good.begin() + 23);
    refused(file, "it is too short for an ELF header (23 bytes)");
    file = good;
    file[EI_DATA] = 3;
    EXPECT_EQ(CELFCheck().IsFileOfType(DamagedElf(file).Name()), 1) << "EI_DATA 3 reads little-endian";
}

TEST(ElfCheck, TellsArmFromOtherMachines)
{
    std::vector<BYTE> file = ReadElfSample("arm7-be.elf");
    CELFSections reader(1, nullptr);
    EXPECT_EQ(reader.IsFileOfType(DamagedElf(file).Name()), 1);
    EXPECT_EQ(reader.GetMachine(), EM_ARM);
    EXPECT_EQ(reader.GetEncoding(), ELFDATA2MSB);
    PatchElf(file, 18, 8, 2); // EM_MIPS
    EXPECT_EQ(reader.IsFileOfType(DamagedElf(file).Name()), 1);
    EXPECT_EQ(reader.GetMachine(), EM_TRICORE);
}

} // namespace
