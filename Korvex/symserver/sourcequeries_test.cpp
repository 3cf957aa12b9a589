// The section, source-file, function and line queries on the hand-written firmware
// (testdata/firmware, whose readelf dump of the line table gives the addresses below),
// and on databases that the test changes where gcc does not make the case.
#include "querytesting.h"

#include <nameencoding.h>

namespace {

using querytest::QueryTest;

struct Range {
    LONG line;
    DWORD address;
    LONG length;
    bool operator==(const Range &other) const
    {
        return line == other.line && address == other.address && length == other.length;
    }
};

std::ostream &operator<<(std::ostream &out, const Range &range)
{
    return out << range.line << "@0x" << std::hex << range.address << std::dec << "+" << range.length;
}

std::vector<Range> Ranges(const std::vector<SourceLineTag> &lines, LONG only = -1)
{
    std::vector<Range> ranges;
    for (const SourceLineTag &line : lines) {
        if (only < 0 || line.SourceLine == only)
            ranges.push_back({line.SourceLine, line.AddressValue, static_cast<LONG>(line.Length)});
    }
    return ranges;
}

SectionTag CodeSection(const char *name, DWORD start, DWORD length)
{
    SectionTag section;
    section.Type = 1;
    section.AddressValue = start;
    section.Length = length;
    section.Name = name;
    return section;
}

std::vector<CString> Names(const std::vector<SectionTag> &sections)
{
    std::vector<CString> names;
    for (const SectionTag &section : sections)
        names.push_back(section.Name);
    return names;
}

BOOL ModulRead(CdbDatabase *database, LONG modul)
{
    CDBModuls moduls(database);
    moduls.Open(dbOpenTable);
    for (; !moduls.IsEOF(); moduls.MoveNext()) {
        if (moduls.m_ModulIndex == modul)
            return moduls.m_Analyzed;
    }
    return FALSE;
}

TEST_F(QueryTest, SectionQueriesFallBackToTheDefinedCodeSectionsOnly)
{
    // Without a program only the defined code sections answer.
    EXPECT_TRUE(Query<SectionTag>(0).empty());
    for (SectionTag section : {CodeSection("main.c@5", 0x90000, 0x100), CodeSection("boot", 0x100000, 0x10)})
        m_engine->CodeSections.Add(section);
    EXPECT_EQ(Names(Query<SectionTag>(0)), (std::vector<CString>{"main.c@5", "boot"}));
    EXPECT_EQ(Names(Query<SectionTag>(1, {"boot"})), std::vector<CString>{"boot"});
    EXPECT_TRUE(Query<SectionTag>(1, {"Boot"}).empty()) << "a description matches exactly";
    EXPECT_EQ(Names(Query<SectionTag>(2, {1, 0x10000F})), std::vector<CString>{"boot"});
    EXPECT_TRUE(Query<SectionTag>(2, {1, 0x100010}).empty());
    EXPECT_TRUE(Query<SectionTag>(2, {3, 0x100000}).empty()) << "another address mode";

    ASSERT_EQ(Load("firmware/handwritten-O0.elf"), StatusSuccess);
    EXPECT_EQ(m_engine->CodeSections.GetSize(), 0) << "a load drops the code sections of the program before";
    for (SectionTag section : {CodeSection("main.c@5", 0x90000, 0x100), CodeSection("boot", 0x100000, 0x10)})
        m_engine->CodeSections.Add(section);
    const std::vector<SectionTag> all = Query<SectionTag>(0);
    ASSERT_EQ(all.size(), 11u);
    EXPECT_EQ(all[0].Name, "board.c@0");
    EXPECT_EQ(all[8].Name, ".data@8");
    EXPECT_EQ(all[8].AddressValue, 0x40000000u);
    EXPECT_EQ(all[8].Length, 64u);
    EXPECT_EQ(all[9].Name, "main.c@5") << "defined code sections come after the program's";
    // A section of the program wins over a code section of the same description.
    const std::vector<SectionTag> byName = Query<SectionTag>(1, {"main.c@5"});
    ASSERT_EQ(byName.size(), 1u);
    EXPECT_EQ(byName[0].AddressValue, 0x80648u);
    EXPECT_EQ(Names(Query<SectionTag>(1, {".text*"})), (std::vector<CString>{".text@2", ".text@4", ".text@6"}));
    EXPECT_EQ(Names(Query<SectionTag>(2, {1, 0x80118})), std::vector<CString>{"board.c@0"});
    EXPECT_EQ(Names(Query<SectionTag>(2, {1, 0x80350})), std::vector<CString>{"control.c@1"}) << "board.c@0's end";
    EXPECT_EQ(Names(Query<SectionTag>(2, {1, 0x90010})), std::vector<CString>{"main.c@5"}) << "the fallback";
}

TEST_F(QueryTest, FunctionQueriesTakeEncodedNamesAndHalfOpenRanges)
{
    ASSERT_EQ(Load("firmware/handwritten-O0.elf"), StatusSuccess);
    EXPECT_EQ(Query<FunctionTag>(200).size(), 11u);
    CString encoded;
    EncodeNameString("*", encoded);
    EXPECT_EQ(Query<FunctionTag>(201, {encoded}).size(), 11u);
    EncodeNameString("board_poll", encoded);
    const std::vector<FunctionTag> poll = Query<FunctionTag>(201, {encoded});
    ASSERT_EQ(poll.size(), 1u);
    EXPECT_EQ(poll[0].AddressValue, 0x80118u);
    EXPECT_EQ(poll[0].Length, 568u);
    EncodeNameString("Board_Poll", encoded);
    EXPECT_TRUE(Query<FunctionTag>(201, {encoded}).empty()) << "names compare with their case";
    // clamp_level of board.h has a copy in board.c and one in control.c.
    EncodeNameString("clamp_level", encoded);
    EXPECT_EQ(Query<FunctionTag>(201, {encoded}).size(), 2u);

    EXPECT_EQ(Query<FunctionTag>(202, {1, 0x80118 + 567})[0].Name, "board_poll");
    const std::vector<FunctionTag> atEnd = Query<FunctionTag>(202, {1, 0x80118 + 568});
    ASSERT_EQ(atEnd.size(), 1u);
    EXPECT_NE(atEnd[0].Name, "board_poll") << "a function's end belongs to what follows it";
    EXPECT_TRUE(Query<FunctionTag>(202, {3, 0x80118}).empty());

    std::vector<CString> ofControl;
    for (const FunctionTag &function : Query<FunctionTag>(203, {"control.c"}))
        ofControl.push_back(function.Name);
    EXPECT_EQ(ofControl, (std::vector<CString>{"control_step", "control_filter", "clamp_level"}));
    EXPECT_TRUE(Query<FunctionTag>(203, {"nowhere.c"}).empty());
}

TEST_F(QueryTest, LinesGetTheirLengthsOnFirstUseAndOnlyLinesWithCodeAreReturned)
{
    ASSERT_EQ(Load("firmware/handwritten-O1.elf"), StatusSuccess);
    EXPECT_FALSE(ModulRead(Database(), 1));
    const std::vector<SourceLineTag> lines = Query<SourceLineTag>(301, {"board.c"});
    EXPECT_TRUE(ModulRead(Database(), 1)) << "the file's module is read on demand";
    EXPECT_FALSE(ModulRead(Database(), 2)) << "and no other";
    // Line 31 has code in three places; its row at 0x80078 shares the address with line
    // 32 and has none. Line 34 comes before line 31 at 0x8009c: it keeps length 0.
    EXPECT_EQ(Ranges(lines, 31), (std::vector<Range>{{31, 0x80080, 4}, {31, 0x80088, 4}, {31, 0x8009c, 4}}));
    EXPECT_EQ(Ranges(lines, 34), (std::vector<Range>{{34, 0x8009c, 0}}));
    // The last line of board_poll (0x8005c, 312 bytes) runs to the function's end.
    EXPECT_EQ(Ranges(lines).back(), (Range{53, 0x8017c, 24}));
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_LE(lines[i - 1].SourceLine, lines[i].SourceLine) << "by line number";

    EXPECT_EQ(Ranges(Query<SourceLineTag>(302, {1, 0x8008a})), Ranges(lines, 31));
    EXPECT_EQ(Ranges(Query<SourceLineTag>(302, {1, 0x80084})).size(), 5u) << "line 32";
    EXPECT_TRUE(Query<SourceLineTag>(302, {1, 0x40000000}).empty()) << "data has no lines";
    EXPECT_TRUE(Query<SourceLineTag>(301, {"nowhere.c"}).empty());

    // The file with the line at an address, and the files with lines in a range.
    const std::vector<SourceFileTag> at = Query<SourceFileTag>(102, {1, 0x80082});
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0].EntryInFile, "board.c");
    EXPECT_EQ(Range({at[0].SourceLine, at[0].AddressValue, static_cast<LONG>(at[0].Length)}), (Range{31, 0x80080, 4}));
    const std::vector<SourceFileTag> inRange = Query<SourceFileTag>(103, {1, 0x80028, 0x30});
    for (const SourceFileTag &file : inRange)
        EXPECT_NE(static_cast<LONG>(file.Length), -1);
    EXPECT_FALSE(inRange.empty());
}

TEST_F(QueryTest, AHeaderGetsTheLinesOfEveryModuleThatIsRead)
{
    ASSERT_EQ(Load("firmware/handwritten-O1.elf"), StatusSuccess);
    // board.c's copy of clamp_level is read and board.h analysed with it.
    EXPECT_EQ(Ranges(Query<SourceLineTag>(302, {1, 0x80044})),
              (std::vector<Range>{{47, 0x80040, 16}, {47, 0x80114, 16}}));
    EXPECT_FALSE(ModulRead(Database(), 2));
    // control.c's module adds its rows of board.h, which is analysed again.
    EXPECT_EQ(Ranges(Query<SourceLineTag>(302, {1, 0x801fc})),
              (std::vector<Range>{{47, 0x80040, 16}, {47, 0x80114, 16}, {47, 0x801f8, 4}, {47, 0x801fc, 6},
                                  {47, 0x80202, 4}}));
    EXPECT_TRUE(ModulRead(Database(), 2));
    EXPECT_FALSE(ModulRead(Database(), 3));
}

TEST_F(QueryTest, AModuleThatTheIdlePassHasPassedIsNotReadOnDemand)
{
    ASSERT_EQ(Load("firmware/handwritten-O1.elf"), StatusSuccess);
    m_engine->NextModulToRead = 3;
    EXPECT_TRUE(Query<SourceLineTag>(301, {"control.c"}).empty());
    EXPECT_FALSE(ModulRead(Database(), 2));
    EXPECT_FALSE(Query<SourceLineTag>(301, {"motor.cpp"}).empty());
    EXPECT_TRUE(ModulRead(Database(), 3));
}

TEST_F(QueryTest, AFileIsFoundByItsEntryAndListedWhenNoneOfItsLinesHasCode)
{
    ASSERT_EQ(Load("firmware/handwritten-O1.elf"), StatusSuccess);
    ASSERT_FALSE(Query<SourceLineTag>(301, {"board.c"}).empty());
    ASSERT_FALSE(Query<SourceLineTag>(301, {"main.c"}).empty());
    Execute("UPDATE SourceFiles SET EntryInFile = 'src/board.c' WHERE Name = 'board.c'");
    EXPECT_TRUE(Query<SourceLineTag>(301, {"board.c"}).empty()) << "the short name is no entry";
    EXPECT_FALSE(Query<SourceLineTag>(301, {"src/board.c"}).empty());

    // Every line of main.c moved to one address: only the last one has code.
    Execute("UPDATE SourceLines SET AddressValue = 526076, SourceLine = 100 WHERE SourceFileIndex = 5");
    Execute("UPDATE SourceFiles SET Analyzed = 0 WHERE Name = 'main.c'");
    const std::vector<SourceFileTag> all = Query<SourceFileTag>(101, {"main.c"});
    ASSERT_FALSE(all.empty());
    for (const SourceFileTag &file : all)
        EXPECT_EQ(static_cast<LONG>(file.Length), -1) << "listed although no line has code";
    EXPECT_EQ(Query<SourceFileTag>(100).size(), 5u);
    EXPECT_EQ(Query<SourceFileTag>(100)[0].SourceLine, -1);
}

} // namespace
