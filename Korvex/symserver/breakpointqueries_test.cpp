// Codes 703, 704 and 4000: breakpoint descriptors of code addresses and the way back,
// and where an address lies, on handwritten-O0 against gdb's `info line *A`, on
// handwritten-O1 against code 301 and gdb's `break FILE:LINE`, on code that no line
// holds, and without a program.
#include "querytesting.h"

#include <firmwareoracle.h>
#include <locationdescriptor.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

using namespace firmwareoracle;
using querytest::QueryTest;

typedef std::set<std::pair<unsigned, unsigned>> Ranges; // start, length

std::string Hex(unsigned value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%x", value);
    return text;
}

class BreakpointQueries : public QueryTest {
protected:
    std::vector<LabelTag> Describe(LONG mode, unsigned address) { return Query<LabelTag>(703, {mode, address}); }
    std::vector<LabelTag> Addresses(const std::string &descriptor) { return Query<LabelTag>(704, {7LL, descriptor.c_str()}); }
    std::string Name(LONG mode, unsigned address)
    {
        const std::vector<LabelTag> entries = Describe(mode, address);
        return entries.empty() ? "" : static_cast<LPCSTR>(entries[0].Name);
    }
    static Ranges RangesOf(const std::vector<LabelTag> &entries)
    {
        Ranges ranges;
        for (const LabelTag &entry : entries)
            ranges.emplace(entry.AddressValue, entry.AddressExtra);
        return ranges;
    }
    LocationTag Location(LONG mode, unsigned address)
    {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = 4000;
        request.Param1.vt = request.Param2.vt = VT_I4;
        request.Param1.lVal = mode;
        request.Param2.lVal = static_cast<LONG>(address);
        std::unique_ptr<CSymbolRequest> done(m_engine->TakeRequest(m_engine->Submit(request), 4000));
        EXPECT_TRUE(done && done->m_nStatus == StatusSuccess && done->m_pLocation != nullptr);
        return done && done->m_pLocation ? *done->m_pLocation : LocationTag();
    }
    // gdb's line of each address of the line table.
    static std::vector<std::pair<unsigned, GdbLineRange>> LineAddresses()
    {
        std::vector<std::pair<unsigned, GdbLineRange>> lines;
        for (const auto &answer : ReadGdbAnswers(FirmwarePath("handwritten-O0", ".gdb.txt"))) {
            GdbLineRange range;
            if (answer.first.rfind("info line *", 0) == 0 && !answer.second.empty() &&
                ParseGdbLine(answer.second[0], &range))
                lines.emplace_back(static_cast<unsigned>(Number(answer.first.substr(11))), range);
        }
        return lines;
    }
};

class BreakpointQueriesLoaded : public BreakpointQueries {
protected:
    void SetUp() override
    {
        BreakpointQueries::SetUp();
        ASSERT_EQ(Load("firmware/handwritten-O0.elf"), StatusSuccess);
    }
};

// At every address of the line table the descriptor names gdb's file and line, or the
// label there, and leads back to the address alone; in mode 9 to every range of the line.
TEST_F(BreakpointQueriesLoaded, EveryLineAddressIsDescribedAndFoundAgain)
{
    const auto lines = LineAddresses();
    ASSERT_GE(lines.size(), 100u);
    for (const auto &[address, gdb] : lines) {
        SCOPED_TRACE(Hex(address));
        const std::vector<LabelTag> one = Describe(1, address);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(one[0].AddressMode, 1u);
        EXPECT_EQ(one[0].AddressValue, address);
        CString function, file, moduls;
        int line = 0, occurrence = 0, distance = 0, offset = 0;
        ASSERT_TRUE(ParseLocationDescriptor(one[0].Name, function, file, line, moduls, occurrence, distance, offset))
            << one[0].Name;
        if (file.IsEmpty()) {
            EXPECT_EQ(std::string(one[0].Name), "'retry';board.c;");
        } else {
            EXPECT_EQ(std::string(file), gdb.file);
            EXPECT_EQ(line, gdb.line);
            EXPECT_EQ(offset, 0);
        }
        const std::vector<LabelTag> back = Addresses(static_cast<LPCSTR>(one[0].Name));
        ASSERT_EQ(back.size(), 1u) << one[0].Name;
        EXPECT_EQ(back[0].AddressValue, address);

        const std::vector<LabelTag> all = Describe(9, address);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all[0].AddressValue, address);
        if (file.IsEmpty())
            continue;
        EXPECT_EQ(all[0].AddressMode, 1u);
        EXPECT_EQ(RangesOf(Addresses(static_cast<LPCSTR>(all[0].Name))), RangesOf(all)) << all[0].Name;
    }
}

class BreakpointQueriesAtO1 : public BreakpointQueries {
protected:
    void SetUp() override
    {
        BreakpointQueries::SetUp();
        ASSERT_EQ(Load("firmware/handwritten-O1.elf"), StatusSuccess);
    }
    // Each file of the line table with its lines, headers and C++ included.
    static std::map<std::string, std::set<long>> FileLines()
    {
        std::map<std::string, std::set<long>> lines;
        for (const LineTable &table : ReadDecodedLines(FirmwarePath("handwritten-O1", ".readelf-decodedline.txt"))) {
            for (const LineRow &row : table.rows) {
                if (row.line >= 0)
                    lines[row.file].insert(row.line);
            }
        }
        return lines;
    }
    // Whether a row of the line at the address is followed by a row of the file at the
    // same address with a line not lower.
    static bool SharesItsAddress(const std::string &file, long line, unsigned address)
    {
        for (const LineTable &table : ReadDecodedLines(FirmwarePath("handwritten-O1", ".readelf-decodedline.txt"))) {
            bool seen = false;
            for (const LineRow &row : table.rows) {
                if (row.file != file || row.address != address)
                    continue;
                if (seen && row.line >= line)
                    return true;
                seen = seen || row.line == line;
            }
        }
        return false;
    }
    // The addresses of gdb's `break FILE:LINE` that lie on the line asked, by "FILE:LINE".
    static std::map<std::string, std::set<unsigned>> GdbBreakpoints()
    {
        std::map<std::string, std::set<unsigned>> breaks;
        std::string asked;
        for (const auto &[command, output] : ReadGdbAnswers(FirmwarePath("handwritten-O1", ".gdb-break.txt"))) {
            if (StartsWith(command, "break "))
                asked = command.substr(6);
            if (command != "info breakpoints")
                continue;
            for (const std::string &line : output) {
                const size_t at = line.rfind(" at "), address = line.find(" 0x");
                if (at != std::string::npos && address != std::string::npos && line.substr(at + 4) == asked)
                    breaks[asked].insert(static_cast<unsigned>(Number(line.substr(address + 1))));
            }
        }
        return breaks;
    }
};

// "FILE LINE" gives the line's own ranges, as code 301 lists them, in every module that
// has code for it, named by a descriptor of that file and line, wherever another line
// has a row at the same address; gdb breaks at one of them.
TEST_F(BreakpointQueriesAtO1, FileAndLineGiveTheRangesOfThatLineWhereGdbBreaks)
{
    const auto breaks = GdbBreakpoints();
    ASSERT_GE(breaks.size(), 50u);
    size_t lines = 0, atGdbsBreak = 0;
    for (const auto &[file, numbers] : FileLines()) {
        const std::vector<SourceLineTag> all = Query<SourceLineTag>(301, {file.c_str()});
        ASSERT_FALSE(all.empty()) << file;
        for (long number : numbers) {
            const std::string asked = file + ":" + std::to_string(number);
            SCOPED_TRACE(asked);
            Ranges want;
            for (const SourceLineTag &range : all) {
                if (range.SourceLine == number)
                    want.emplace(range.AddressValue, range.Length);
            }
            const std::vector<LabelTag> entries = Addresses(file + " " + std::to_string(number));
            EXPECT_EQ(RangesOf(entries), want);
            EXPECT_EQ(entries.size(), want.size());
            if (entries.empty())
                continue;
            ++lines;
            CString function, named, moduls;
            int line = 0, occurrence = 0, distance = 0, offset = 0;
            ASSERT_TRUE(ParseLocationDescriptor(entries[0].Name, function, named, line, moduls, occurrence, distance,
                                                offset));
            EXPECT_EQ(std::string(named), file);
            EXPECT_EQ(line, number);
            for (const LabelTag &entry : entries)
                EXPECT_EQ(entry.Name, entries[0].Name);
            // gdb breaks at a row that is a statement: the start of a range of the line,
            // or a row that shares its address with a later row of the file, of a line
            // not lower, and so has no code of its own there.
            const auto gdb = breaks.find(asked);
            for (unsigned address : gdb != breaks.end() ? gdb->second : std::set<unsigned>()) {
                if (std::any_of(want.begin(), want.end(), [&](const auto &range) { return range.first == address; })) {
                    ++atGdbsBreak;
                    continue;
                }
                EXPECT_TRUE(SharesItsAddress(file, number, address)) << Hex(address);
            }
            // Stored and asked again, the descriptor finds the ranges of its own module.
            if (std::string(moduls).find(',') == std::string::npos) {
                EXPECT_EQ(RangesOf(Addresses(static_cast<LPCSTR>(entries[0].Name))), want) << entries[0].Name;
            }
        }
    }
    EXPECT_GE(lines, 60u);
    EXPECT_GE(atGdbsBreak, 50u);
}

// At -O1 a line has several rows at one address (views), and several lines start at one
// address; each range still counts once, so every address inside every range of every
// file's lines, headers and C++ included, leads back to itself.
TEST_F(BreakpointQueriesAtO1, EveryAddressOfEveryRangeLeadsBackToItself)
{
    for (const auto &files : FileLines()) {
        for (const SourceLineTag &range : Query<SourceLineTag>(301, {files.first.c_str()})) {
            for (DWORD address = range.AddressValue;
                 address == range.AddressValue || address < range.AddressValue + range.Length; address += 2) {
                const std::vector<LabelTag> one = Describe(1, address);
                ASSERT_EQ(one.size(), 1u) << Hex(address);
                const std::vector<LabelTag> back = Addresses(static_cast<LPCSTR>(one[0].Name));
                ASSERT_EQ(back.size(), 1u) << Hex(address) << " " << one[0].Name;
                EXPECT_EQ(back[0].AddressValue, address) << one[0].Name;
            }
        }
    }
}

// The descriptor's parts: the range that holds the address counted among the line's
// ranges in the address's section, the line's distance from the function's first line,
// the offset into the range; in mode 9 every module with code of the line.
TEST_F(BreakpointQueriesLoaded, DescriptorsCountTheRangeInTheSectionOfTheAddress)
{
    const struct {
        LONG mode;
        unsigned address;
        const char *want;
        size_t entries;
    } cases[] = {
        {1, 0x8068a, "'main {main.c} .12+';main.c;2;4;0x2;", 1},
        {1, 0x80674, "'main {main.c} .12+';main.c;1;4;0x0;", 1},
        {9, 0x8068a, "'main {main.c} .12';main.c;2;4;;", 3},
        {1, 0x8038c, "'clamp_level {board.h} .47+';control.c;2;6;0x2;", 1},
        {1, 0x80070, "'clamp_level {board.h} .47+';board.c;2;6;0x0;", 1},
        {9, 0x8038a, "'clamp_level {board.h} .47';board.c,control.c;2;6;;", 4},
        {1, 0x80158, "'retry';board.c;", 1},
        {9, 0x80158, "'retry';board.c;", 1},
        // No line: the veneers, the padding between units, constant data.
        {1, 0x806fc, "0x806FC", 1},
        {9, 0x80534, "0x80534", 1},
        {1, 0x80720, "0x80720", 1},
    };
    for (const auto &c : cases) {
        const std::vector<LabelTag> entries = Describe(c.mode, c.address);
        ASSERT_EQ(entries.size(), c.entries) << Hex(c.address);
        EXPECT_EQ(std::string(entries[0].Name), c.want) << Hex(c.address);
        for (const LabelTag &entry : entries)
            EXPECT_EQ(entry.Name, entries[0].Name);
        const std::vector<LabelTag> back = Addresses(c.want);
        if (c.entries > 1) {
            // Index 0 is the address asked (mode 9) unless a range starts there.
            std::vector<LabelTag> ranges(entries);
            ranges.erase(std::remove_if(ranges.begin(), ranges.end(),
                                        [](const LabelTag &entry) { return entry.AddressMode == 9; }),
                         ranges.end());
            EXPECT_EQ(RangesOf(back), RangesOf(ranges)) << c.want;
            continue;
        }
        ASSERT_EQ(back.size(), 1u) << c.want;
        EXPECT_EQ(back[0].AddressValue, c.address) << c.want;
    }
}

// A label of the address's module wins over the line there; past the last line's range
// the nearest label below with the offset describes the address.
TEST_F(BreakpointQueriesLoaded, LabelsDescribeAddressesAtThemAndPastTheLines)
{
    Execute("UPDATE Symbols SET ModulIndex = 1 WHERE Name = 'board_scale' AND SymbolID = 13");
    EXPECT_EQ(Name(1, 0x8009c), "'board_scale';board.c;");
    std::vector<LabelTag> back = Addresses("'board_scale';board.c;");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].AddressValue, 0x8009cu);

    ASSERT_EQ(Name(1, 0x8015c), "'board_poll {board.c} .31+';board.c;1;7;0x4;");
    Execute("DELETE * FROM SourceLines WHERE AddressValue = 524632"); // 0x80158, line 31
    EXPECT_EQ(Name(1, 0x8015c), "'retry+0x4';board.c;");
    back = Addresses("'retry+0x4';board.c;");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].AddressValue, 0x8015cu);
}

// "FILE LINE" gives every range of the line when the path names one file; a line of
// files in several folders, a file or line without code, and descriptors that no form
// matches give nothing. The descriptor is the second parameter.
TEST_F(BreakpointQueriesLoaded, FileAndLineGiveEveryRangeOfTheLine)
{
    const struct {
        const char *descriptor;
        Ranges want;
    } cases[] = {
        {"board.h 47", {{0x80054, 0x1c}, {0x80070, 0x14}, {0x8037a, 0x10}, {0x8038a, 0xa}}},
        {"main.c 12", {{0x80674, 0x14}, {0x80688, 0xc}}},
        {"main.c 8", {{0x80648, 0xc}}},
        {"*.c 14", {}},
        {"main.c 1", {}},
        {"nosuch.c 12", {}},
        {"main.c", {}},
        {"'Motor::Motor (int) {motor.cpp} .7+';motor.cpp;1;0;0x0;", {}},
        {"'main {main.c} .12+';nosuch.c;1;4;0x0;", {}},
        {"x", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RangesOf(Addresses(c.descriptor)), c.want) << c.descriptor;
    EXPECT_TRUE(Query<LabelTag>(704, {"0x80000"}).empty());
}

// Where an address lies: gdb's file and line with the line's range, and the section.
TEST_F(BreakpointQueriesLoaded, LocationIsTheLineAndSectionOfEveryCodeAddress)
{
    for (const auto &[address, gdb] : LineAddresses()) {
        SCOPED_TRACE(Hex(address));
        const LocationTag location = Location(1, address);
        EXPECT_EQ(std::string(location.EntryInFile), gdb.file);
        EXPECT_EQ(location.SourceLine, gdb.line);
        EXPECT_EQ(location.AddressValue, address);
        EXPECT_GT(static_cast<LONG>(location.Length), 0);
        EXPECT_EQ(location.SectionType, 1);
        EXPECT_LT(address - location.SectionAddressValue, location.SectionLength);
    }
    const LocationTag veneer = Location(1, 0x80700);
    EXPECT_EQ(std::string(veneer.EntryInFile), "");
    EXPECT_EQ(veneer.AddressValue, 0x80700u);
    EXPECT_EQ(std::string(veneer.SectionName), ".text@6");
    const LocationTag outside = Location(1, 0x10);
    EXPECT_EQ(std::string(outside.SectionName), "");
    EXPECT_EQ(outside.AddressValue, 0u);
}

// Code after a C++ unit's COMDAT functions, in the section of that unit but of a unit
// without lines, lies in no line: codes 302 and 4000 name none there, as code 703 does,
// and the line's own addresses keep theirs.
TEST_F(BreakpointQueries, CodeThatNoLineHoldsHasNoLine)
{
    ASSERT_EQ(Load("elf/arm7-cpp-comdat.elf"), StatusSuccess);
    for (const auto &[address, descriptor] : {std::pair<unsigned, std::string>{0xc4, "0xC4"}, {0xd0, "0xD0"}}) {
        SCOPED_TRACE(descriptor);
        EXPECT_TRUE(Query<SourceLineTag>(302, {1LL, address}).empty());
        const LocationTag location = Location(1, address);
        EXPECT_EQ(std::string(location.EntryInFile), "");
        EXPECT_EQ(location.SourceLine, 0);
        EXPECT_EQ(location.Length, 0u);
        EXPECT_EQ(location.AddressValue, address);
        EXPECT_EQ(std::string(location.SectionName), ".text@1");
        EXPECT_EQ(Name(1, address), descriptor);
    }
    const LocationTag inLine = Location(1, 0xb8);
    EXPECT_EQ(std::string(inLine.EntryInFile), "counter.cpp");
    EXPECT_EQ(inLine.SourceLine, 8);
    EXPECT_EQ(Query<SourceLineTag>(302, {1LL, 0xb8LL}).size(), 5u);
}

// Without a program: the bare address, and the code sections that the host defined.
TEST_F(BreakpointQueries, WithoutAProgramAddressesAnswerFromTheCodeSections)
{
    EXPECT_EQ(Name(1, 0x80000), "0x80000");
    const std::vector<LabelTag> all = Describe(9, 0xFFFFFFF0u);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(std::string(all[0].Name), "0xFFFFFFF0");
    EXPECT_EQ(all[0].AddressMode, 9u);
    std::vector<LabelTag> back = Addresses("0x1234");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].AddressValue, 0x1234u);
    EXPECT_TRUE(Addresses("main.c 12").empty());
    EXPECT_TRUE(Addresses("'retry';board.c;").empty());

    EXPECT_EQ(std::string(Location(1, 0x1800).SectionName), "");
    CSymbolRequest define(RequesterSynchronous);
    define.m_nCode = RequestCodeDefineCodeSection;
    define.Param1.vt = VT_BSTR;
    define.Param1.bstrVal = CString("boot (1000h - 1FFFh)").AllocSysString();
    std::unique_ptr<CSymbolRequest> done(m_engine->TakeRequest(m_engine->Submit(define), RequestCodeLoadFile));
    ASSERT_TRUE(done && done->m_nStatus == StatusSuccess);
    const LocationTag inside = Location(1, 0x1800);
    EXPECT_EQ(inside.SectionName, m_engine->CodeSections[0].Name);
    EXPECT_EQ(inside.SectionType, m_engine->CodeSections[0].Type);
    EXPECT_EQ(inside.SectionAddressValue, 0x1000u);
    EXPECT_EQ(inside.SectionLength, 0x1000u);
    EXPECT_EQ(inside.AddressValue, 0x1800u);
    EXPECT_EQ(inside.SourceLine, 0);
    EXPECT_EQ(std::string(Location(2, 0x1800).SectionName), "");
}

} // namespace
