// Loading a Tasking program file through the engine's LoadFile request: the recogniser
// table chooses the Tasking reader, and the hand-assembled fixture (taskingtesting.h)
// gives the rows, download blocks and program information worked out from its layout.
#include "querytesting.h"

#include <c16xinfo.h>
#include <taskingtesting.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

class TaskingLoadTest : public querytest::QueryTest {
protected:
    fs::path Write(const std::vector<BYTE> &bytes)
    {
        const fs::path path = m_folder / "fixture.out";
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::unique_ptr<CSymbolRequest> Load(const std::vector<BYTE> &bytes) { return LoadRequest(Write(bytes), 1); }

    bool HasDatabase() const
    {
        for (const auto &entry : fs::recursive_directory_iterator(m_folder))
            if (entry.path().extension() == ".mdb")
                return true;
        return false;
    }

    static std::string Text(const VARIANT &value)
    {
        if (value.vt == VT_BSTR)
            return static_cast<LPCSTR>(CString(value.bstrVal));
        if (value.vt == VT_BOOL)
            return value.boolVal != VARIANT_FALSE ? "1" : "0";
        return value.vt == VT_I4 ? std::to_string(value.lVal) : "";
    }

    // The rows of a table, each its columns joined by tabs, in the order of its index.
    std::vector<std::string> Rows(const char *table, const char *index = nullptr)
    {
        CdbRecordset rows = Database()->OpenRecordset(table, dbOpenTable);
        if (index != nullptr)
            rows.SetIndex(index);
        std::vector<std::string> lines;
        if (rows.GetRecordCount() > 0)
            rows.MoveFirst();
        for (; !rows.IsEOF(); rows.MoveNext()) {
            std::string line;
            for (LONG f = 0; f < rows.Fields.GetCount(); ++f)
                line += (f > 0 ? "\t" : "") + Text(rows.Fields[f].GetValue());
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(TaskingLoadTest, TheRecogniserTableChoosesTheTaskingReaderAndTheFixtureGivesItsRows)
{
    std::unique_ptr<CSymbolRequest> done = Load(MakeTaskingFixture().Data());
    ASSERT_TRUE(done);
    ASSERT_EQ(done->m_nStatus, StatusSuccess) << done->m_strErrorText;
    CComQIPtr<IProgramInfo> info(done->m_pProgramInfo);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(static_cast<CProgramInfo *>(info.p)->m_nType, QEL_PROGRAM_TASKING_OUT);
    CComQIPtr<ITaskingC16xInfo> c16x(done->m_pProgramInfo);
    ASSERT_NE(c16x, nullptr);
    ULONG start = 0, length = 0;
    EXPECT_EQ(c16x->GetICallSection(&start, &length), S_OK);
    EXPECT_EQ(start, 0x1FEu);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(c16x->GetIRetSection(&start, &length), S_OK);
    EXPECT_EQ(start, 0x8000u);
    EXPECT_EQ(length, 0x20u);

    // Types: 1 code, 3 data, 4 BSS, 0x40000003 data with gaps; the bit area at bit base
    // 0x23 lies at 0xFD00 + 2 x 2 = 0xFD04 (bit 3, which the row does not keep).
    EXPECT_EQ(Rows("Sections", "SectionIndexKey"), (std::vector<std::string>{
                                                       "2\t?INTVECT\t1\t1\t256\t4",
                                                       "3\tVEC2\t1\t1\t260\t4",
                                                       "4\t__ICALL\t1\t1\t510\t4",
                                                       "5\tBITS\t3\t1073741825\t64772\t2",
                                                       "6\tROM\t1073741827\t1\t16384\t16",
                                                       "7\t__IRET\t4\t1\t32768\t32",
                                                   }));
    EXPECT_EQ(Rows("Moduls"), (std::vector<std::string>{"1\tm.c\t0\t0"}));
    EXPECT_EQ(Rows("SourceFiles"), (std::vector<std::string>{"1\t0\tm.c\tm.c\t0"}));
    EXPECT_EQ(Rows("ModulSourceFileRelation"), (std::vector<std::string>{"1\t1"}));
    // Section 2 is "?INTVECT": no module relation; and no file was current for either.
    EXPECT_EQ(Rows("ModulSectionRelation"), (std::vector<std::string>{"1\t6"}));
    EXPECT_TRUE(Rows("SectionSourceFileRelation").empty());
    // "g" of type 10 of module 1, (1 << 18) | 10, at bit 0x23: (0x40000001, 0xFD04, 3).
    EXPECT_EQ(Rows("Symbols"),
              (std::vector<std::string>{"1\t1\t5\t1\tg\t\xE8\t262154\t1073741825\t64772\t3\t-1\t-1"}));
    const std::vector<std::string> registers = Rows("RegisterMap");
    ASSERT_EQ(registers.size(), 32u);
    EXPECT_EQ(registers[15], "R15\t15");
    EXPECT_EQ(registers[16], "RL0\t16");
    EXPECT_EQ(registers[31], "RH7\t31");

    // The two vector fragments make one block; __ICALL reaches past 512 and goes as it
    // is; ROM is cut around its gap; the BSS section is not downloaded.
    struct Block {
        DWORD start;
        std::vector<BYTE> bytes;
        DWORD kind;
    };
    const std::vector<Block> expected = {
        {0x100, {0xA0, 0xA1, 0xA2, 0xA3, 0xB0, 0xB1, 0xB2, 0xB3}, 0},
        {0x1FE, {0xC0, 0xC1, 0xC2, 0xC3}, 0},
        {0x4000, {0xE0, 0xE1, 0xE2, 0xE3}, 2},
        {0x4008, {0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB}, 2},
        {0xFD04, {0xD0, 0xD1}, 2},
    };
    const std::vector<QelHost::HostDownloadBlock> blocks = m_host->Downloads()->Blocks();
    ASSERT_EQ(blocks.size(), expected.size());
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].start, expected[i].start) << i;
        EXPECT_EQ(blocks[i].bytes, expected[i].bytes) << i;
        EXPECT_EQ(blocks[i].kind, expected[i].kind) << i;
    }
}

TEST_F(TaskingLoadTest, FromVersion4TheNameCountHas24Bits)
{
    // 65547 records: the section names are the last 6, found only by all 24 bits.
    std::unique_ptr<CSymbolRequest> done = Load(MakeTaskingFixtureV4(65536).Data());
    ASSERT_EQ(done->m_nStatus, StatusSuccess) << done->m_strErrorText;
    const std::vector<std::string> sections = Rows("Sections", "SectionIndexKey");
    ASSERT_EQ(sections.size(), 6u);
    EXPECT_EQ(sections[0], "2\t?INTVECT\t1\t1\t256\t4");
    EXPECT_EQ(sections[5], "7\t__IRET\t4\t1\t32768\t32");
    // The module record follows the 65536 others: its offset is 14 x 65536.
    EXPECT_EQ(Rows("Moduls"), (std::vector<std::string>{"1\tm.c\t917504\t0"}));
}

TEST_F(TaskingLoadTest, ASecondLoadReusesTheDatabase)
{
    const std::vector<BYTE> bytes = MakeTaskingFixture().Data();
    ASSERT_EQ(Load(bytes)->m_nStatus, StatusSuccess);
    std::unique_ptr<CSymbolRequest> again = Load(bytes);
    ASSERT_EQ(again->m_nStatus, StatusSuccess) << again->m_strErrorText;
    EXPECT_EQ(Rows("Program").size(), 1u);
    EXPECT_EQ(Rows("Sections").size(), 6u);
    EXPECT_EQ(Rows("Symbols").size(), 1u);
}

TEST_F(TaskingLoadTest, AModuleIsReadOnlyFromTheOpenFileItWasCheckedIn)
{
    ASSERT_EQ(Load(MakeTaskingFixture().Data())->m_nStatus, StatusSuccess);
    CQelTargetFile *reader = m_engine->CurrentReader;
    ASSERT_NE(reader, nullptr);
    // The idle pass closes the file once the modules are read; a reader asked after that
    // has nothing to read.
    reader->Close();
    EXPECT_EQ(reader->ReadModules(1, 0), 0);
    EXPECT_EQ(Rows("Moduls"), (std::vector<std::string>{"1\tm.c\t0\t0"}));
}

TEST_F(TaskingLoadTest, ADamagedFileFailsWithStatus7AndItsReasonAndLeavesNoDatabase)
{
    struct Case {
        const char *what;
        void (*damage)(TaskingFixture &);
        const char *text;
    };
    const Case cases[] = {
        {"name count", [](TaskingFixture &f) { f.PatchHalf(10, 5); },
         "The name table has 5 records, fewer than the 6 sections that it must name."},
        {"text offset", [](TaskingFixture &f) { f.PatchWord(168, 1000); },
         "Name record 0 has its text at 0x3E8, outside the strings."},
        {"gap table", [](TaskingFixture &f) { f.PatchHalf(371, 9); },
         "The gap table's 9 records run past the end of the file."},
    };
    for (const Case &c : cases) {
        TaskingFixture fixture = MakeTaskingFixture();
        c.damage(fixture);
        std::unique_ptr<CSymbolRequest> done = Load(fixture.Data());
        ASSERT_TRUE(done) << c.what;
        EXPECT_EQ(done->m_nStatus, 7) << c.what;
        EXPECT_STREQ(done->m_strErrorText, c.text) << c.what;
        EXPECT_FALSE(HasDatabase()) << c.what;
        EXPECT_TRUE(m_host->Downloads()->Blocks().empty()) << c.what;
    }
}

TEST_F(TaskingLoadTest, AFileWhoseByte4HasBit2SetIsNoTaskingProgram)
{
    TaskingFixture fixture = MakeTaskingFixture();
    fixture.Data()[4] = 0x04;
    std::unique_ptr<CSymbolRequest> done = Load(fixture.Data());
    ASSERT_TRUE(done);
    EXPECT_EQ(done->m_nStatus, StatusNotSupported);
    EXPECT_NE(std::string(done->m_strErrorText).find("is not supported"), std::string::npos);
    EXPECT_FALSE(HasDatabase());
}

} // namespace
