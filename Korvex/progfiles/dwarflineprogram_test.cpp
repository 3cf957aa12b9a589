#include "dwarflineprogram.h"

#include "dwarftesting.h"

#include <gtest/gtest.h>

using namespace DwarfTesting;

namespace {

// Every table of ".debug_line", in section order.
std::vector<CDwarfLineProgram> ReadAllTables(const Sample &sample, std::vector<CDwarfLineProgram::Status> *statuses)
{
    size_t size = 0;
    const BYTE *section = sample.Section(".debug_line", &size);
    std::vector<CDwarfLineProgram> tables;
    for (size_t offset = 0; offset < size;) {
        CDwarfLineProgram table;
        statuses->push_back(table.Read(section, size, static_cast<DWORD>(offset), sample.image.IsBigEndian()));
        offset = table.GetNextOffset();
        tables.push_back(std::move(table));
    }
    return tables;
}

class LineTables : public testing::TestWithParam<const char *> {};

TEST_P(LineTables, HeadersAndRowsAgreeWithBinutils)
{
    Sample sample(GetParam());
    ASSERT_TRUE(sample.image.IsAttached());
    std::vector<CDwarfLineProgram::Status> statuses;
    std::vector<CDwarfLineProgram> tables = ReadAllTables(sample, &statuses);
    std::vector<ExpectedLine> expectedTables = Expected(GetParam(), {"table"});
    std::vector<ExpectedLine> expectedRows = Expected(GetParam(), {"row"});
    ASSERT_EQ(expectedTables.size(), tables.size());
    ASSERT_FALSE(expectedRows.empty());

    size_t row = 0;
    for (size_t t = 0; t < tables.size(); ++t) {
        const ExpectedLine &header = expectedTables[t];
        const CDwarfLineProgram &table = tables[t];
        if (header.size() == 3) {
            // A version this reader does not read: stepped over, with a diagnostic.
            EXPECT_EQ(CDwarfLineProgram::LINE_UNKNOWN_VERSION, statuses[t]) << header[1];
            EXPECT_NE(-1, table.GetDiagnostic().Find(header[2].c_str())) << (LPCSTR)table.GetDiagnostic();
            continue;
        }
        ASSERT_EQ(CDwarfLineProgram::LINE_OK, statuses[t]) << (LPCSTR)table.GetDiagnostic();
        EXPECT_EQ(Number(header[2]), table.GetVersion());
        EXPECT_EQ(Number(header[3]), table.GetMinimumInstructionLength());
        EXPECT_EQ(header[4] == "1", table.GetDefaultIsStatement());
        EXPECT_EQ(std::stoi(header[5]), table.GetLineBase());
        EXPECT_EQ(Number(header[6]), table.GetLineRange());
        EXPECT_EQ(Number(header[7]), table.GetOpcodeBase());
        EXPECT_EQ(table.GetOpcodeBase() - 1u, table.GetStandardOpcodeLengths().size());
        for (const DwarfLineRow &r : table.GetRows()) {
            ASSERT_LT(row, expectedRows.size());
            const ExpectedLine &expected = expectedRows[row++];
            SCOPED_TRACE("row " + std::to_string(row) + " of table " + header[1]);
            EXPECT_EQ(expected[1], (LPCSTR)table.GetFileName(r.file));
            EXPECT_EQ(expected[2] == "-", r.endSequence);
            if (!r.endSequence) {
                EXPECT_EQ(Number(expected[2]), r.line);
            }
            EXPECT_EQ(Number(expected[3]), r.address);
            if (!r.endSequence) {
                EXPECT_EQ(expected[4] == "1", r.isStatement);
            }
        }
    }
    EXPECT_EQ(expectedRows.size(), row);
}

INSTANTIATE_TEST_SUITE_P(Samples, LineTables,
                         testing::Values("arm7-mixed.elf", "arm7-mixed-v2line.elf", "arm7-be.elf", "arm7-sections.elf",
                                         "arm7-newlib.elf"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             for (char &c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// A version-2 table with the given program behind a header of one file "a.c".
std::vector<BYTE> Table(BYTE opcodeBase, const std::vector<BYTE> &lengths, const std::vector<BYTE> &program,
                        BYTE lineRange = 14, WORD version = 2)
{
    std::vector<BYTE> header = {1, 1, static_cast<BYTE>(-5), lineRange, opcodeBase};
    header.insert(header.end(), lengths.begin(), lengths.end());
    header.push_back(0); // no include directories
    for (char c : std::string("a.c"))
        header.push_back(static_cast<BYTE>(c));
    header.insert(header.end(), {0, 0, 0, 0, 0});
    std::vector<BYTE> body = {static_cast<BYTE>(version), static_cast<BYTE>(version >> 8)};
    DWORD headerLength = static_cast<DWORD>(header.size());
    for (int i = 0; i < 4; ++i)
        body.push_back(static_cast<BYTE>(headerLength >> (8 * i)));
    body.insert(body.end(), header.begin(), header.end());
    body.insert(body.end(), program.begin(), program.end());
    std::vector<BYTE> table;
    DWORD length = static_cast<DWORD>(body.size());
    for (int i = 0; i < 4; ++i)
        table.push_back(static_cast<BYTE>(length >> (8 * i)));
    table.insert(table.end(), body.begin(), body.end());
    return table;
}

const std::vector<BYTE> kEndSequence = {0, 1, 1};

TEST(LineProgram, AnOpcodeBaseAboveTheKnownOpcodesStepsOverTheUnknownOnesByTheirLengths)
{
    // Opcode 13 is the producer's own with two operands; 14 is the first special opcode.
    std::vector<BYTE> lengths = {0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 1, 2};
    std::vector<BYTE> program = {0, 5, 2, 0x00, 0x10, 0, 0, 13, 0x81, 0x01, 0x05, 14 + 5 + 14 * 2};
    program.insert(program.end(), kEndSequence.begin(), kEndSequence.end());
    std::vector<BYTE> bytes = Table(14, lengths, program);
    CDwarfLineProgram table;
    ASSERT_EQ(CDwarfLineProgram::LINE_OK, table.Read(bytes.data(), bytes.size(), 0, false))
        << (LPCSTR)table.GetDiagnostic();
    ASSERT_EQ(2u, table.GetRows().size());
    EXPECT_EQ(0x1002u, table.GetRows()[0].address);
    EXPECT_EQ(1u, table.GetRows()[0].line);
    EXPECT_TRUE(table.GetRows()[1].endSequence);
}

TEST(LineProgram, AnOpcodeBaseBelowTenMakesTheDwarf3OpcodesSpecial)
{
    // With opcode base 10, opcode 10 is the first special opcode: a row, not prologue_end.
    std::vector<BYTE> lengths = {0, 1, 1, 1, 1, 0, 0, 0, 1};
    std::vector<BYTE> program = {10};
    program.insert(program.end(), kEndSequence.begin(), kEndSequence.end());
    std::vector<BYTE> bytes = Table(10, lengths, program);
    CDwarfLineProgram table;
    ASSERT_EQ(CDwarfLineProgram::LINE_OK, table.Read(bytes.data(), bytes.size(), 0, false));
    ASSERT_EQ(2u, table.GetRows().size());
    EXPECT_EQ(1u - 5u, table.GetRows()[0].line);
    EXPECT_FALSE(table.GetRows()[0].prologueEnd);
}

TEST(LineProgram, DefineFileAddsToTheFileTable)
{
    std::vector<BYTE> lengths = {0, 1, 1, 1, 1, 0, 0, 0, 1};
    std::vector<BYTE> program = {0, 8, 3, 'b', '.', 'h', 0, 0, 0, 0, 4, 2, 1};
    program.insert(program.end(), kEndSequence.begin(), kEndSequence.end());
    std::vector<BYTE> bytes = Table(10, lengths, program);
    CDwarfLineProgram table;
    ASSERT_EQ(CDwarfLineProgram::LINE_OK, table.Read(bytes.data(), bytes.size(), 0, false))
        << (LPCSTR)table.GetDiagnostic();
    ASSERT_EQ(2u, table.GetFiles().size());
    EXPECT_EQ(CString("b.h"), table.GetFileName(table.GetRows()[0].file));
    EXPECT_EQ(CString(), table.GetFileName(7));
}

TEST(LineProgram, TablesOfOtherVersionsAreSkippedByTheirLength)
{
    std::vector<BYTE> lengths = {0, 1, 1, 1, 1, 0, 0, 0, 1};
    std::vector<BYTE> bytes = Table(10, lengths, kEndSequence, 14, 4);
    std::vector<BYTE> second = Table(10, lengths, kEndSequence);
    size_t secondOffset = bytes.size();
    bytes.insert(bytes.end(), second.begin(), second.end());
    CDwarfLineProgram table;
    EXPECT_EQ(CDwarfLineProgram::LINE_UNKNOWN_VERSION, table.Read(bytes.data(), bytes.size(), 0, false));
    EXPECT_NE(-1, table.GetDiagnostic().Find("version 4"));
    EXPECT_EQ(secondOffset, table.GetNextOffset());
    EXPECT_EQ(CDwarfLineProgram::LINE_OK, table.Read(bytes.data(), bytes.size(), DWORD(secondOffset), false));
}

TEST(LineProgram, ALineRangeOfZeroIsAnErrorNotADivisionByZero)
{
    std::vector<BYTE> lengths = {0, 1, 1, 1, 1, 0, 0, 0, 1};
    std::vector<BYTE> bytes = Table(10, lengths, {20}, 0);
    CDwarfLineProgram table;
    EXPECT_EQ(CDwarfLineProgram::LINE_MALFORMED, table.Read(bytes.data(), bytes.size(), 0, false));
    std::vector<BYTE> constAdd = Table(10, lengths, {8}, 0);
    EXPECT_EQ(CDwarfLineProgram::LINE_MALFORMED, table.Read(constAdd.data(), constAdd.size(), 0, false));
}

TEST(LineProgram, TablesThatBreakTheirBoundsAreMalformedAndKeepTheRowsBefore)
{
    std::vector<BYTE> lengths = {0, 1, 1, 1, 1, 0, 0, 0, 1};
    // A copy, then an extended opcode that claims more bytes than the table holds.
    std::vector<BYTE> bytes = Table(10, lengths, {1, 0, 0x7F, 2});
    CDwarfLineProgram table;
    EXPECT_EQ(CDwarfLineProgram::LINE_MALFORMED, table.Read(bytes.data(), bytes.size(), 0, false));
    EXPECT_EQ(1u, table.GetRows().size());

    // A table length past the section, and an offset past it.
    bytes[0] = 0xF0;
    EXPECT_EQ(CDwarfLineProgram::LINE_MALFORMED, table.Read(bytes.data(), bytes.size(), 0, false));
    EXPECT_EQ(bytes.size(), table.GetNextOffset());
    EXPECT_EQ(CDwarfLineProgram::LINE_MALFORMED, table.Read(bytes.data(), bytes.size(), 1000, false));
    // A 64-bit table is stepped over by its 8-byte length as one of an unknown version.
    std::vector<BYTE> wide = {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0, 4, 0, 9};
    EXPECT_EQ(CDwarfLineProgram::LINE_UNKNOWN_VERSION, table.Read(wide.data(), wide.size(), 0, false));
    EXPECT_EQ(14u, table.GetNextOffset());
}

} // namespace
