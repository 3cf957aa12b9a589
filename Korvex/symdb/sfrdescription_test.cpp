#include "sfrdbbuilder.h"
#include "sfrdescription.h"

#include "controllertables.h"
#include "qeldatabase.h"
#include "symdbtesting.h"

#include <testing/buildpaths.h>

#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

std::string Sample()
{
    std::ifstream in(std::string(kQelSourceDir) + "/testdata/sfr/sample.sfr", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The error of parsing `text`, "" when it is taken.
std::string Refusal(const std::string &text)
{
    SfrDescription description;
    CString error;
    if (ParseSfrDescription(text.data(), text.size(), "c.sfr", description, error))
        return "";
    return static_cast<LPCSTR>(error);
}

const char kMinimal[] = "[Derivative]\n"
                        "Name,AddressSpace,CoreType,IRAMSize,Version,WordSize,CoreRegisters\n"
                        "X1,0,0,0,0,16,\n";

TEST(SfrDescription, TheSampleIsTakenWithItsCellsInColumnOrder)
{
    const std::string text = Sample();
    SfrDescription description;
    CString error;
    ASSERT_TRUE(ParseSfrDescription(text.data(), text.size(), "sample.sfr", description, error)) << error;
    EXPECT_EQ(description.rows[SfrRegisters].size(), 12u);
    EXPECT_EQ(description.rows[SfrAddresses].size(), 23u);
    EXPECT_EQ(description.rows[SfrFields].size(), 16u);
    EXPECT_EQ(description.rows[SfrFieldValues].size(), 10u);
    EXPECT_EQ(description.rows[SfrBlocks].size(), 3u);
    const SfrRow &derivative = description.rows[SfrDerivative][0];
    EXPECT_EQ(derivative.cells[0].text, "QX167");
    EXPECT_EQ(derivative.cells[2].number, 0x167u);
    EXPECT_EQ(derivative.cells[6].text, "R0,R1,R2,R3"); // a quoted cell keeps its commas
    const SfrRow &syscon = description.rows[SfrRegisters][2];
    EXPECT_EQ(syscon.cells[9].text, "System \"configuration\" register");
    EXPECT_EQ(description.rows[SfrRegisters][3].cells[7].text, ""); // an empty Manual
}

TEST(SfrDescription, AByteOrderMarkInFrontIsSkipped)
{
    EXPECT_EQ(Refusal(std::string("\xEF\xBB\xBF") + kMinimal), "");
}

TEST(SfrDescription, ColumnsComeInAnyOrderAndQuotedCellsSpanLines)
{
    SfrDescription description;
    CString error;
    const std::string text = std::string(kMinimal) + "# blocks\n[SFRBlockSelect]\nDescription,SFRBlockIndex,Name\n"
                                                     "\"two\r\nlines\",1,B\n\n";
    ASSERT_TRUE(ParseSfrDescription(text.data(), text.size(), "c.sfr", description, error)) << error;
    ASSERT_EQ(description.rows[SfrBlocks].size(), 1u);
    EXPECT_EQ(description.rows[SfrBlocks][0].cells[0].number, 1u);
    EXPECT_EQ(description.rows[SfrBlocks][0].cells[1].text, "B");
    EXPECT_EQ(description.rows[SfrBlocks][0].cells[2].text, "two\r\nlines");
}

TEST(SfrDescription, WhatIsRefusedAndWhere)
{
    const std::string registers = "[SFRSelect]\nSFRIndex,Name,Type,Width,NamedBitMask,ReadOnlyMask,ResetValue,Manual,"
                                  "Page,Description,HWModBitMask,SFRBlockIndex\n";
    const std::string addresses = "[SFRAddressSelect]\nSFRIndex,AddressMode,AddressValue\n";
    const std::string fields = "[SFRFieldSelect]\nSFRFieldIndex,Name,Offset,Width,Description,Manual,Page,SFRIndex\n";
    const std::string values = "[SFRFieldValues]\nSFRFieldValuesIndex,Name,Value,SFRFieldIndex\n";
    const std::string blocks = "[SFRBlockSelect]\nSFRBlockIndex,Name,Description\n";
    const std::string minimal = kMinimal;
    const std::pair<std::string, std::string> cases[] = {
        {"", "c.sfr:1: no Derivative row"},
        {minimal + "X2,0,0,0,0,16,\n", "c.sfr:4: a second Derivative row"},
        {minimal + "[Registers]\n", "c.sfr:4: unknown section [Registers]"},
        {minimal + "[Derivative]\n", "c.sfr:4: section [Derivative] given twice"},
        {minimal + blocks.substr(0, 16) + "\nSFRBlockIndex,Name,Description,Colour\n",
         "c.sfr:5: unknown column \"Colour\" in [SFRBlockSelect]"},
        {minimal + "[SFRBlockSelect]\nSFRBlockIndex,Name\n", "c.sfr:5: missing column Description in [SFRBlockSelect]"},
        {minimal + "[SFRBlockSelect]\nName,Name,Description\n", "c.sfr:5: column Name given twice"},
        {minimal + blocks + "0x1G,A,\n", "c.sfr:6: bad number \"0x1G\" for SFRBlockIndex"},
        {minimal + blocks + "4294967296,A,\n", "c.sfr:6: bad number \"4294967296\" for SFRBlockIndex"},
        {minimal + blocks + "-1,A,\n", "c.sfr:6: bad number \"-1\" for SFRBlockIndex"},
        {minimal + blocks + "1,A\n", "c.sfr:6: the row has 2 cells, the header 3"},
        {minimal + blocks + "2,A,\n", "c.sfr:6: SFRBlockIndex 2 where 1 is due: blocks count from 1 in order"},
        {minimal + blocks + "1,A,\n1,B,\n", "c.sfr:7: SFRBlockIndex 1 where 2 is due: blocks count from 1 in order"},
        {minimal + registers + "1,R,0,0,0,0,,,0,,0,0\n1,S,0,0,0,0,,,0,,0,0\n", "c.sfr:7: duplicate SFRIndex 1"},
        {minimal + registers + "1,R,0,0,0,0,,,0,,0,2\n", "c.sfr:6: SFRBlockIndex 2 names nothing"},
        {minimal + addresses + "5,1,0x10\n", "c.sfr:6: SFRIndex 5 names nothing"},
        {minimal + registers + "1,R,0,0,0,0,,,0,,0,0\n" + addresses + "1,2,0x10\n",
         "c.sfr:9: AddressMode 2 is none of 1, 7 and 8"},
        {minimal + fields + "1,F,0,1,,,0,3\n", "c.sfr:6: SFRIndex 3 names nothing"},
        {minimal + registers + "1,R,0,0,0,0,,,0,,0,0\n" + fields + "1,F,0,1,,,0,1\n1,G,0,1,,,0,1\n",
         "c.sfr:10: duplicate SFRFieldIndex 1"},
        {minimal + values + "1,V,0,7\n", "c.sfr:6: SFRFieldIndex 7 names nothing"},
        {minimal + blocks + "1,\"A,\n", "c.sfr:6: a quoted cell is not closed"},
        {minimal + blocks + "1,\"A\"x,\n", "c.sfr:6: text after the closing quote of a cell"},
        {minimal + blocks + "1,A\"B,\n", "c.sfr:6: a quote inside an unquoted cell"},
        {minimal + blocks + "1," + std::string(256, 'n') + ",\n", "c.sfr:6: Name is longer than 255 characters"},
        {"1,2,3\n" + minimal, "c.sfr:1: a row outside any section"},
        {minimal + "[SFRBlockSelect\n", "c.sfr:4: a section line without its closing bracket"},
        {minimal + "[SFRBlockSelect]\n# nothing more\n", "c.sfr:4: section [SFRBlockSelect] has no header line"},
    };
    for (const auto &[text, error] : cases)
        EXPECT_EQ(Refusal(text), error) << text;
    // Blank cells are 0 or "", and blocks need not be there at all.
    EXPECT_EQ(Refusal(minimal + registers + "1,R,,,,,,,,,,\n" + addresses + "1,7,\n"), "");
}

class SfrBuilderTest : public symdbtest::FolderTest {};

TEST_F(SfrBuilderTest, TheDatabaseHasTheSixTablesAndTheRowsInTheirOrder)
{
    const CString path = PathOf("sample.mdb"), description = PathOf("sample.sfr");
    WriteFile(description, Sample());
    CString error;
    ASSERT_TRUE(BuildSfrDatabaseFromFile(description, path, error)) << error;
    CQelDatabase db;
    ASSERT_TRUE(db.Open(path, TRUE, TRUE)); // no password is kept: any opens it
    CDBSFRAddresses addresses(db.GetDatabase());
    addresses.Open();
    std::vector<LONG> order;
    for (; !addresses.IsEOF(); addresses.MoveNext())
        order.push_back(addresses.m_SFRIndex);
    EXPECT_EQ(order.size(), 23u);
    EXPECT_EQ(std::vector<LONG>(order.begin(), order.begin() + 4), (std::vector<LONG>{8, 3, 1, 1}));
    CDBDerivative derivative(db.GetDatabase());
    derivative.Open();
    EXPECT_EQ(derivative.m_Name, "QX167");
    EXPECT_EQ(derivative.m_CoreRegisters, "R0,R1,R2,R3");
    CDBSFRSet registers(db.GetDatabase());
    registers.Open();
    registers.MoveLast();
    EXPECT_EQ(registers.m_Name, "CC0IC");
    db.Close(FALSE);
    // Nothing but the six tables: no stored query, no table of other name, as the
    // engine opens each by its name.
    sqlite3 *file = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path, &file, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::vector<std::string> tables;
    sqlite3_stmt *names = nullptr;
    sqlite3_prepare_v2(file, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'MSysDao%' ORDER BY name",
                       -1, &names, nullptr);
    while (sqlite3_step(names) == SQLITE_ROW)
        tables.push_back(reinterpret_cast<const char *>(sqlite3_column_text(names, 0)));
    sqlite3_finalize(names);
    sqlite3_stmt *queries = nullptr;
    sqlite3_prepare_v2(file, "SELECT COUNT(*) FROM MSysDaoQueries", -1, &queries, nullptr);
    ASSERT_EQ(sqlite3_step(queries), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(queries, 0), 0);
    sqlite3_finalize(queries);
    sqlite3_close(file);
    EXPECT_EQ(tables, (std::vector<std::string>{"Derivative", "SFRAddressSelect", "SFRBlockSelect", "SFRFieldSelect",
                                                 "SFRFieldValues", "SFRSelect"}));
}

TEST_F(SfrBuilderTest, AFailedBuildLeavesNoFileAndTheOldOneAsItWas)
{
    const CString path = PathOf("c.mdb"), description = PathOf("c.sfr");
    WriteFile(description, "[Derivative]\nName\n");
    CString error;
    EXPECT_FALSE(BuildSfrDatabaseFromFile(description, path, error));
    EXPECT_EQ(error, description + ":2: missing column AddressSpace in [Derivative]");
    EXPECT_FALSE(Exists(path));
    WriteFile(path, "an older file");
    EXPECT_FALSE(BuildSfrDatabaseFromFile(PathOf("missing.sfr"), path, error));
    EXPECT_EQ(error, PathOf("missing.sfr") + ": cannot be read");
    // Written over only by a build that is complete.
    WriteFile(description, kMinimal);
    EXPECT_FALSE(BuildSfrDatabaseFromFile(description, PathOf("no/such/folder/c.mdb"), error));
    EXPECT_TRUE(Exists(path));
    ASSERT_TRUE(BuildSfrDatabaseFromFile(description, path, error)) << error;
    CQelDatabase db;
    EXPECT_TRUE(db.Open(path, FALSE, TRUE));
    db.Close(FALSE);
    std::vector<std::string> left;
    for (const auto &entry : std::filesystem::directory_iterator(m_folder))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"c.mdb", "c.sfr"}));
}

} // namespace
