#include "elfdump.h"

#include "dwarftesting.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <unistd.h>

using namespace DwarfTesting;

namespace {

// A program file opened with its dump going to a file of the test's own.
class CDumpedFile : public CQelTargetFile {
public:
    CDumpedFile() : CQelTargetFile(1, nullptr) {}
    int IsFileType(HANDLE) override { return 1; }
    BOOL Attach() { return m_image.Attach(GetView(), GetViewSize()); }
    CElfImage m_image;
};

struct DumpFile {
    DumpFile() : path(std::string(testing::TempDir()) + "elfdump_test_" + std::to_string(getpid()) + ".dmp") {}
    ~DumpFile() { unlink(path.c_str()); }
    std::string path;
};

// Dumps the sample and gives the dump's text.
std::string Dump(const std::string &sample)
{
    DumpFile file;
    {
        CDumpedFile program;
        EXPECT_TRUE(program.Open(SamplePath(sample).c_str(), file.path.c_str()));
        EXPECT_TRUE(program.Attach()) << (LPCSTR)program.m_image.GetError();
        CElfDumper dumper(program, program.m_image);
        EXPECT_TRUE(dumper.DumpFile());
    }
    std::vector<BYTE> bytes = ReadFileBytes(file.path);
    return std::string(bytes.begin(), bytes.end());
}

// The label-value lines of the dump, grouped into the records they belong to: the header
// first, then one record per program header, section and symbol.
struct Record {
    std::string kind;
    std::map<std::string, std::string> values;
};

std::vector<Record> Records(const std::string &dump)
{
    std::vector<Record> records(1);
    records[0].kind = "header";
    std::istringstream lines(dump);
    std::string line;
    const std::regex field(R"(^\t?([A-Za-z][A-Za-z -]*):\s*(.*)$)");
    bool inSymbols = false;
    while (std::getline(lines, line)) {
        if (line.rfind("DWARF", 0) == 0)
            break;
        std::smatch m;
        if (!std::regex_match(line, m, field))
            continue;
        std::string label = m[1], value = m[2];
        bool tabbed = line[0] == '\t';
        if (label == "Program Record" || label == "Section Record") {
            records.push_back({label, {}});
            inSymbols = false;
        } else if (tabbed && label == "Name") {
            records.push_back({"Symbol", {}});
            inSymbols = true;
        } else if (!tabbed && inSymbols) {
            continue;
        }
        records.back().values[label] = value;
    }
    return records;
}

std::vector<Record> OfKind(const std::vector<Record> &records, const std::string &kind)
{
    std::vector<Record> some;
    for (const Record &r : records)
        if (r.kind == kind)
            some.push_back(r);
    return some;
}

std::string Hex(const std::string &value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%lx", Number(value));
    return text;
}

// readelf's letters of the three low section flags as the dump's name; other flags have no
// name of their own.
std::string SectionFlagName(const std::string &letters)
{
    unsigned flags = 0;
    bool other = false;
    for (char c : letters) {
        if (c == 'W')
            flags |= 1;
        else if (c == 'A')
            flags |= 2;
        else if (c == 'X')
            flags |= 4;
        else if (c != '-')
            other = true;
    }
    if (other)
        return "Value(?)";
    static const char *names[] = {"SHF_NONE",      "SHF_WRITE",           "SHF_ALLOC",           "SHF_WRITE_ALLOC",
                                  "SHF_EXECINSTR", "SHF_WRITE_EXECINSTR", "SHF_ALLOC_EXECINSTR", "SHF_WRITE_ALLOC_EXECINSTR"};
    return names[flags];
}

std::string SegmentFlagName(const std::string &letters)
{
    std::string name = "PF";
    for (const char *flag : {"E", "W", "R"})
        if (letters.find(flag) != std::string::npos)
            name += std::string("_") + (flag[0] == 'E' ? "X" : flag);
    return name == "PF" ? "PF_NONE" : name;
}

class ElfDumps : public testing::TestWithParam<const char *> {};

TEST_P(ElfDumps, HeaderSegmentSectionAndSymbolValuesAgreeWithBinutils)
{
    std::string dump = Dump(GetParam());
    std::vector<Record> records = Records(dump);
    const std::map<std::string, std::string> &header = records[0].values;
    std::map<std::string, std::string> labels = {
        {"entry", "Program entry point"},   {"phoff", "Program header table offset"},
        {"shoff", "Section header table offset"}, {"flags", "Machine flags"},
        {"ehsize", "Header size"},          {"phentsize", "Program header size"},
        {"phnum", "Program headers"},       {"shentsize", "Section header size"},
        {"shnum", "Section headers"},       {"shstrndx", "String table index"}};
    for (const ExpectedLine &e : Expected(GetParam(), {"header"})) {
        ASSERT_TRUE(header.count(labels[e[1]])) << e[1];
        EXPECT_EQ(e[2], Hex(header.at(labels[e[1]]))) << e[1];
    }
    EXPECT_EQ("EM_ARM", header.at("Machine"));
    EXPECT_EQ("ET_EXEC", header.at("Type"));

    std::vector<Record> segments = OfKind(records, "Program Record");
    std::vector<ExpectedLine> expectedSegments = Expected(GetParam(), {"segment"});
    ASSERT_EQ(expectedSegments.size(), segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        const ExpectedLine &e = expectedSegments[i];
        auto &v = segments[i].values;
        if (e[2] == "LOAD") {
            EXPECT_EQ("PT_LOAD", v["Type"]);
        } else {
            EXPECT_EQ(0u, v["Type"].rfind("Value(?): 0x", 0)) << e[2];
        }
        EXPECT_EQ(e[3], Hex(v["Offset"]));
        EXPECT_EQ(e[4], Hex(v["Virtual address"]));
        EXPECT_EQ(e[5], Hex(v["Physical address"]));
        EXPECT_EQ(Number(e[6]), Number(v["Size in file"]));
        EXPECT_EQ(Number(e[7]), Number(v["Size in target"]));
        EXPECT_EQ(SegmentFlagName(e[8]), v["Flags"]);
        EXPECT_EQ(Number(e[9]), Number(v["Alignment"]));
    }

    std::vector<Record> sections = OfKind(records, "Section Record");
    std::vector<ExpectedLine> expectedSections = Expected(GetParam(), {"section"});
    ASSERT_EQ(expectedSections.size(), sections.size());
    std::map<std::string, std::string> sectionNames;
    for (size_t i = 0; i < sections.size(); ++i) {
        const ExpectedLine &e = expectedSections[i];
        auto &v = sections[i].values;
        SCOPED_TRACE(e[2]);
        sectionNames[e[1]] = e[2];
        EXPECT_EQ(Number(e[1]), Number(v["Section Record"]));
        if (!e[2].empty()) {
            EXPECT_EQ(e[2], v["Name"]);
        }
        if (e[3] == "PROGBITS" || e[3] == "NOBITS" || e[3] == "SYMTAB" || e[3] == "STRTAB" || e[3] == "NULL") {
            EXPECT_EQ("SHT_" + e[3], v["Type"]);
        } else {
            EXPECT_EQ(0u, v["Type"].rfind("Value(?): 0x", 0));
        }
        EXPECT_EQ(e[4], Hex(v["Address"]));
        EXPECT_EQ(e[5], Hex(v["Offset"]));
        EXPECT_EQ(Number(e[6]), Number(v["Size"]));
        EXPECT_EQ(Number(e[7]), Number(v["Size of fixed-size entry"]));
        EXPECT_EQ(0u, v["Attributes"].rfind(SectionFlagName(e[8]), 0)) << v["Attributes"];
        EXPECT_EQ(Number(e[9]), Number(v["Link"]));
        EXPECT_EQ(Number(e[10]), Number(v["Info"]));
        EXPECT_EQ(Number(e[11]), Number(v["Alignment"]));
    }

    std::vector<Record> symbols = OfKind(records, "Symbol");
    std::vector<ExpectedLine> expectedSymbols = Expected(GetParam(), {"symbol"});
    ASSERT_EQ(expectedSymbols.size(), symbols.size());
    for (size_t i = 0; i < symbols.size(); ++i) {
        const ExpectedLine &e = expectedSymbols[i];
        auto &v = symbols[i].values;
        SCOPED_TRACE(e[2]);
        // readelf names a section symbol after its section; the symbol itself has no name.
        if (e[5] != "SECTION") {
            EXPECT_EQ(e.size() > 8 ? e[8] : "", v["Name"]);
        }
        EXPECT_EQ(e[3], Hex(v["Value"]));
        EXPECT_EQ(Number(e[4]), Number(v["Size"]));
        EXPECT_EQ("STT_" + e[5], v["Type"]);
        EXPECT_EQ("STB_" + e[6], v["Binding"]);
        std::string related = e[7] == "UND" ? "SHN_UNDEF" : e[7] == "ABS" ? "SHN_ABS" : sectionNames[e[7]];
        EXPECT_EQ(related, v["Related Section"]);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, ElfDumps,
                         testing::Values("arm7-mixed.elf", "arm7-be.elf", "arm7-sections.elf", "arm7-newlib.elf"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             for (char &c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(ElfDump, ShowsEachSectionsContentsByKind)
{
    std::string dump = Dump("arm7-mixed.elf");
    // Strings of the name table with their offsets.
    EXPECT_NE(std::string::npos, dump.find("    1: .symtab\n"));
    // Loaded code as hex lines at the section's address: .text starts at 0x68.
    EXPECT_NE(std::string::npos, dump.find("\n     68h: "));
    // The DWARF 2 units come at the end, with their line tables.
    size_t units = dump.find("DWARF20 (.debug_info section):\n\n");
    ASSERT_NE(std::string::npos, units);
    EXPECT_NE(std::string::npos, dump.find("See end of file\n"));
    EXPECT_NE(std::string::npos, dump.find("DW_TAG_compile_unit (b)\nDW_CHILDREN_no\n", units));
    EXPECT_NE(std::string::npos, dump.find("    DW_AT_language: DW_FORM_data1 (DW_LANG_C89)\n", units));
    EXPECT_NE(std::string::npos, dump.find("    DW_AT_name: DW_FORM_strp ('src/main.c')\n", units));
    EXPECT_NE(std::string::npos, dump.find("DW_OP_plus_uconst (4)", units));
    EXPECT_NE(std::string::npos, dump.find("\tFile:" + std::string(29, ' ') + "main.c\n", units));
    EXPECT_NE(std::string::npos, dump.find("\tType:" + std::string(12, ' ') + "SFTY_REALSOURCE_DEFAULT\n", units));
    // No unknown byte order or class: everything in this file has a name.
    EXPECT_EQ(std::string::npos, dump.find("Class:       Value(?)"));
}

TEST(ElfDump, StepsOverUnitsOfVersionsItDoesNotReadAndSaysSo)
{
    std::string dump = Dump("arm7-newlib.elf");
    EXPECT_NE(std::string::npos, dump.find("unit at 0 has version 5, not read\n"));
    EXPECT_NE(std::string::npos, dump.find("Compilation unit at 0x"));
}

} // namespace
