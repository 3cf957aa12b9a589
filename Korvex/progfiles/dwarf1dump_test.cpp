#include "dwarf1dump.h"

#include "dwarftesting.h"
#include "elfdump.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace DwarfTesting;

namespace {

class CDumpedFile : public CQelTargetFile {
public:
    CDumpedFile() : CQelTargetFile(1, nullptr) {}
    int IsFileType(HANDLE) override { return 1; }
    BOOL Attach() { return m_image.Attach(GetView(), GetViewSize()); }
    CElfImage m_image;
};

// The dump of a sample of testdata/elf made by make-dwarf1.py.
std::string DumpSample(const char *sample = "dwarf1-sample.elf")
{
    std::string path = std::string(testing::TempDir()) + "dwarf1dump_test_" + std::to_string(getpid()) + ".dmp";
    {
        CDumpedFile program;
        EXPECT_TRUE(program.Open(SamplePath(sample).c_str(), path.c_str()));
        EXPECT_TRUE(program.Attach()) << (LPCSTR)program.m_image.GetError();
        EXPECT_TRUE(CElfDumper(program, program.m_image).DumpFile());
    }
    std::vector<BYTE> bytes = ReadFileBytes(path);
    unlink(path.c_str());
    return std::string(bytes.begin(), bytes.end());
}

bool Has(const std::string &text, const std::string &part, size_t from = 0)
{
    return text.find(part, from) != std::string::npos;
}

TEST(Dwarf1Dump, EveryEntryOfTheGeneratedUnitsIsDumpedWithItsTag)
{
    const std::string dump = DumpSample("dwarf1-units.elf");
    const size_t end = dump.find("DWARF11 (.debug section):\n\n");
    ASSERT_NE(std::string::npos, end);
    Sample sample("dwarf1-units.elf");
    Dwarf1Sections sections;
    sections.debug = sample.Section(".debug", &sections.debugSize);
    CDwarf1EntryReader reader(sections);
    int entries = 0;
    while (reader.NextEntry()) {
        char head[32];
        snprintf(head, sizeof head, "\n%6u: <%u> ", reader.GetEntryOffset(), reader.GetEntryLength());
        EXPECT_TRUE(Has(dump, head, end)) << head;
        ++entries;
    }
    EXPECT_GT(entries, 60);
    EXPECT_TRUE(Has(dump, "TAG_inheritance", end) || Has(dump, "DW_TAG_inheritance", end));
}

TEST(Dwarf1Dump, TheEntriesOfDebugComeAtTheEndInsteadOfTheDwarf2Units)
{
    std::string dump = DumpSample();
    size_t end = dump.find("DWARF11 (.debug section):\n\n");
    ASSERT_NE(std::string::npos, end);
    EXPECT_FALSE(Has(dump, "DWARF20"));
    EXPECT_TRUE(Has(dump, "     0: <82> DW_TAG_compile_unit\n        AT_name: src/dwarf1.c\n", end));
    EXPECT_TRUE(Has(dump, "        AT_language: DW_LANG_C\n", end));
    EXPECT_TRUE(Has(dump, "    82: <6> NULL entry\n", end));
    EXPECT_TRUE(Has(dump, "    88: <35> TAG_global_subroutine\n        AT_sibling: <179>\n", end));
    EXPECT_TRUE(Has(dump, "        AT_mod_fund_type: MOD_pointer_to FT_unsigned_integer\n", end));
    EXPECT_TRUE(Has(dump, "        AT_location:  OP_BASEREG(0xd) OP_CONST(0x8) OP_ADD\n", end));
    EXPECT_TRUE(Has(dump, ": 0x1000, 0x1008, OP_REG(0x4);0x1008, 0x1020, OP_BASEREG(0xd) OP_CONST(0x4) OP_ADD;\n", end));
    EXPECT_TRUE(Has(dump, "        AT_subscr_data: FMT_FT_C_C FT_integer [0:9] FMT_ET AT_fund_type FT_char] \n", end));
    EXPECT_TRUE(Has(dump, "        AT_element_list: 2,BLUE;1,GREEN;0,RED;\n", end));
    EXPECT_TRUE(Has(dump, "        AT_mod_u_d_type: MOD_const 0xcd\n", end));
    // A length of 0 ends the entries; the bytes behind it are not dumped as entries.
    EXPECT_TRUE(Has(dump, "        AT_location:  OP_ADDR(0x2010)\n\n", end));
}

TEST(Dwarf1Dump, LineTablesSourceInformationAndSourceNames)
{
    std::string dump = DumpSample();
    EXPECT_TRUE(Has(dump, "\t[0000:] Base address:              0x1000\n\n"));
    EXPECT_TRUE(Has(dump, "\t[0008:] Line:                           3\n\tColumn:                    SOURCE_NO_POS\n"));
    EXPECT_TRUE(Has(dump, "\t[0018:] Line:                           4\n\tColumn:                                5\n"
                          "\tDelta:                               0x8\n\tResulting address:                0x1008\n"));
    EXPECT_TRUE(Has(dump, "\tOffset in '.debug_sfnames':            0\n\tStart address:                    0x1000\n"
                          "\tEnd address:                      0x1040\n\tEntrys:\n"));
    EXPECT_TRUE(Has(dump, "\t0013: src/dwarf1.h\n"));
}

TEST(Dwarf1Location, OperationsGiveAnAddressTriple)
{
    std::vector<BYTE> based = {2, 13, 0, 0, 0, 4, 8, 0, 0, 0, 7};
    EXPECT_EQ(CAddressValue(8, 2, 13), DecodeDwarf1Location(based.data(), based.size()));
    std::vector<BYTE> reg = {1, 4, 0, 0, 0};
    EXPECT_EQ(CAddressValue(4, 3, 0xFFFFFFFF), DecodeDwarf1Location(reg.data(), reg.size()));
    std::vector<BYTE> addr = {3, 0x00, 0x20, 0, 0};
    EXPECT_EQ(CAddressValue(0x2000, 1, 0xFFFFFFFF), DecodeDwarf1Location(addr.data(), addr.size()));
    std::vector<BYTE> constant = {4, 5, 0, 0, 0};
    EXPECT_EQ(CAddressValue(5, 0, 0xFFFFFFFF), DecodeDwarf1Location(constant.data(), constant.size()));
    // An operand that the block cuts off changes nothing.
    std::vector<BYTE> cut = {3, 0x00, 0x20};
    EXPECT_EQ(CAddressValue(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF), DecodeDwarf1Location(cut.data(), cut.size()));
}

TEST(Dwarf1Location, AListGivesABeginAndAnEndEntryPerRange)
{
    std::vector<BYTE> list = {0, 0, 0, 0, 8, 0, 0, 0, 5, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<Dwarf1LifetimeEntry> entries;
    CString text;
    EXPECT_TRUE(ReadDwarf1LocationList(list.data(), list.size(), 0, 0x1000, &entries, &text));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(0x1000u, entries[0].address);
    EXPECT_EQ(CAddressValue(4, 3, 0xFFFFFFFF), entries[0].place);
    EXPECT_EQ(0x1008u, entries[1].address);
    EXPECT_EQ(CAddressValue(0xFFFFFFFF, 6, 0xFFFFFFFF), entries[1].place);
    EXPECT_EQ(CString("0x1000, 0x1008, OP_REG(0x4);"), text);
    // Without its end pair the list is cut off; what was read stays.
    entries.clear();
    EXPECT_FALSE(ReadDwarf1LocationList(list.data(), 15, 0, 0, &entries));
    EXPECT_EQ(2u, entries.size());
    EXPECT_FALSE(ReadDwarf1LocationList(list.data(), list.size(), 100, 0, &entries));
}

TEST(Dwarf1Entries, EntriesThatPassTheSectionOrUnknownFormsEndTheWalk)
{
    // An entry with a string attribute, one whose attribute has form 0, then one that
    // claims more bytes than the section holds.
    std::vector<BYTE> debug = {12, 0, 0, 0, 0x11, 0, 0x38, 0, 'a', 'b', 0, 0,
                               10, 0, 0, 0, 0x34, 0, 0x20, 0x2E, 1, 2,
                               0xFF, 0, 0, 0, 0x11, 0};
    Dwarf1Sections sections;
    sections.debug = debug.data();
    sections.debugSize = debug.size();
    CDwarf1EntryReader reader(sections);
    Dwarf1Attribute a;
    ASSERT_TRUE(reader.NextEntry());
    ASSERT_TRUE(reader.NextAttribute(&a));
    EXPECT_STREQ("ab", a.string);
    ASSERT_TRUE(reader.NextEntry());
    EXPECT_EQ(0x34, reader.GetTag());
    EXPECT_FALSE(reader.NextAttribute(&a));
    EXPECT_FALSE(reader.NextEntry());
}

TEST(Dwarf1Entries, ModifiedTypesKeepTheirModifiersOutermostFirst)
{
    std::vector<BYTE> fundamental = {1, 3, 0x09, 0x00};
    Dwarf1ModifiedType type;
    ASSERT_TRUE(DecodeDwarf1ModifiedType(fundamental.data(), fundamental.size(), false, &type));
    EXPECT_EQ((std::vector<BYTE>{1, 3}), type.modifiers);
    EXPECT_EQ(9u, type.type);
    std::vector<BYTE> user = {4, 0x10, 0, 0, 0};
    ASSERT_TRUE(DecodeDwarf1ModifiedType(user.data(), user.size(), true, &type));
    EXPECT_EQ(0x10u, type.type);
    EXPECT_FALSE(DecodeDwarf1ModifiedType(user.data(), 3, true, &type));
}

} // namespace
