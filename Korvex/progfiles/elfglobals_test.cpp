#include "elfglobals.h"

#include <debugserver.h>
#include <hostsymbolpartners.h>
#include <symdbtesting.h>

#include "elftesting.h"
#include "symbolcodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace {

using QelHost::CHostDebugServer;
using QelHost::HostDownloadBlock;

// A Symbols row as the readers of the queries see it.
struct SymbolRow {
    LONG symbolId;
    std::string name;
    LONG data1, mode, address, extra, modul, scope;
    auto Key() const { return std::tie(symbolId, name, data1, mode, address, extra, modul, scope); }
    bool operator<(const SymbolRow &other) const { return Key() < other.Key(); }
    bool operator==(const SymbolRow &other) const { return Key() == other.Key(); }
};

std::ostream &operator<<(std::ostream &out, const SymbolRow &r)
{
    return out << "{" << r.symbolId << " '" << r.name << "' " << r.data1 << " " << r.mode << " " << std::hex
               << r.address << std::dec << " " << r.extra << " " << r.modul << " " << r.scope << "}";
}

// The rows that the symbol table of a sample program must give, worked out from what
// arm-none-eabi-readelf shows of it (the sample's .expect file), and the entry point.
std::vector<SymbolRow> ExpectedSymbolRows(const char *sample)
{
    std::ifstream expect(ElfSamplePath(sample) + ".expect");
    std::map<std::string, std::string> sectionFlags;
    std::vector<SymbolRow> rows;
    std::string line;
    while (std::getline(expect, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        if (f.size() > 2 && f[0] == "header" && f[1] == "entry")
            rows.push_back({13, "__ELFEntryPoint", 0, 1, LONG(std::stoul(f[2], nullptr, 16) & ~1u), -1, -1, -1});
        if (f.size() > 8 && f[0] == "section")
            sectionFlags[f[1]] = f[8];
        if (f.size() < 8 || f[0] != "symbol" || f[1] != ".symtab")
            continue;
        const std::string name = f.size() > 8 ? f[8] : "", &type = f[5], &bind = f[6], &index = f[7];
        const DWORD value = std::stoul(f[3], nullptr, 16), size = std::stoul(f[4]);
        // readelf names a section symbol after its section; the symbol has no name.
        if (type == "SECTION")
            continue;
        const bool mapping = name.size() >= 2 && name[0] == '$' && strchr("atd", name[1]) &&
                             (name.size() == 2 || name[2] == '.');
        if (name.empty() || index == "UND" || mapping)
            continue;
        bool code = type == "FUNC";
        if (type != "FUNC" && type != "OBJECT") {
            if (index == "ABS")
                continue;
            code = sectionFlags[index].find('X') != std::string::npos;
        }
        const LONG data1 = code ? 0 : size == 1 ? 14 : size == 2 ? 15 : size == 4 ? 16 : -1;
        if (data1 < 0)
            continue;
        const LONG symbolId = bind == "GLOBAL" ? (code ? 13 : 6) : (code ? 14 : 7);
        rows.push_back({symbolId, name, data1, 1, LONG(code ? value & ~1u : value), -1, -1, -1});
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<SymbolRow> SymbolRows(CQelDatabase &database)
{
    std::vector<SymbolRow> rows;
    CDBSymbolInfo symbols(database.GetDatabase());
    for (symbols.Open(); !symbols.IsEOF(); symbols.MoveNext())
        rows.push_back({symbols.m_SymbolID, static_cast<LPCSTR>(symbols.m_Name), symbols.m_Data_1, symbols.m_Data_2,
                        symbols.m_Data_3, symbols.m_Data_4, symbols.m_ModulIndex, symbols.m_ScopeIndex});
    std::sort(rows.begin(), rows.end());
    return rows;
}

LONG RowCount(CQelRecordset &&rs)
{
    return rs.GetRecordCount();
}

class ElfGlobalsTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        CComObject<CHostDebugServer> *server = nullptr;
        ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&server), S_OK);
        m_host = static_cast<IQelHostHolder *>(server);
        m_server = server;
    }
    void TearDown() override
    {
        m_server->SetSymbolServer(nullptr);
        m_database.Close(FALSE);
        FolderTest::TearDown();
    }

    // A new database in the test's folder, under `name`.
    void NewDatabase(const char *name)
    {
        m_database.Close(FALSE);
        ASSERT_TRUE(m_database.Create(PathOf(name)));
    }

    // Opens `path` and runs both passes, as a load does; the reader's answer.
    int Load(CELFGlobals &reader, const char *path)
    {
        if (!reader.Open(path, nullptr))
            return -1;
        if (reader.ReadSections(nullptr) != 1)
            return 0;
        return reader.ReadGlobals(nullptr);
    }

    std::vector<HostDownloadBlock> Blocks() const { return m_server->Downloads()->Blocks(); }

    CComPtr<IUnknown> m_host;
    CHostDebugServer *m_server = nullptr;
    CQelDatabase m_database;
};

TEST_F(ElfGlobalsTest, EverySampleGivesItsProgramRowSectionsRegistersAndTheSymbolsReadelfShows)
{
    for (const char *sample : {"arm7-mixed.elf", "arm7-be.elf", "arm7-sections.elf", "arm7-newlib.elf"}) {
        SCOPED_TRACE(sample);
        NewDatabase((std::string(sample) + ".mdb").c_str());
        CELFGlobals reader(m_database, 1, m_host);
        ASSERT_EQ(Load(reader, ElfSamplePath(sample).c_str()), 1) << reader.GetFailureText();

        // The rows of the ELF symbol table have no module; the debugging information's do.
        std::vector<SymbolRow> symbolTable = SymbolRows(m_database);
        symbolTable.erase(std::remove_if(symbolTable.begin(), symbolTable.end(),
                                         [](const SymbolRow &row) { return row.modul != -1; }),
                          symbolTable.end());
        EXPECT_EQ(symbolTable, ExpectedSymbolRows(sample));

        CDBProgram program(m_database.GetDatabase());
        program.Open();
        ASSERT_FALSE(program.IsEOF());
        CFileStatus status;
        ASSERT_TRUE(CFile::GetStatus(ElfSamplePath(sample).c_str(), status));
        EXPECT_EQ(program.m_ProgramIndex, 1);
        EXPECT_STREQ(program.m_Name, status.m_szFullName);
        EXPECT_EQ(program.m_ModifiedTime, COleDateTime(status.m_mtime));
        EXPECT_STREQ(program.m_EntryPoint, "__ELFEntryPoint");
        EXPECT_STREQ(program.m_MainFunction, "main");
        EXPECT_STREQ(program.m_AlternateEntryPoint, "__PCPEntryPoint");
        EXPECT_TRUE(program.m_Analyzed);

        std::vector<std::string> registers;
        CDBRegisterMap map(m_database.GetDatabase());
        for (map.Open(); !map.IsEOF(); map.MoveNext())
            registers.push_back(std::string(map.m_Name) + "=" + std::to_string(map.m_Number));
        EXPECT_EQ(registers, (std::vector<std::string>{"R0=0", "R1=1", "R2=2", "R3=3", "R4=4", "R5=5", "R6=6",
                                                       "R7=7", "R8=8", "R9=9", "R10=10", "R11=11", "R12=12",
                                                       "R13=13", "R14=14"}));

        // Every section record is a row, numbered as the records.
        std::vector<std::string> rows, records;
        CDBSections sections(m_database.GetDatabase());
        for (sections.Open(); !sections.IsEOF(); sections.MoveNext())
            rows.push_back(std::to_string(sections.m_SectionIndex) + " " + std::string(sections.m_Name) + " " +
                           std::to_string(sections.m_Type) + " " + std::to_string(sections.m_AddressValue) + " " +
                           std::to_string(sections.m_Length));
        const std::vector<SectionTag> &tags = reader.GetSectionRecords();
        for (size_t i = 0; i < tags.size(); ++i)
            records.push_back(std::to_string(i) + " " + std::string(tags[i].Name) + " " + std::to_string(tags[i].Type) +
                              " " + std::to_string(LONG(tags[i].AddressValue)) + " " + std::to_string(tags[i].Length));
        EXPECT_EQ(rows, records);
    }
}

TEST_F(ElfGlobalsTest, AnAnalysedDatabaseIsLeftAsItIsAndOnlyTheImageIsDownloadedAgain)
{
    NewDatabase("prog.mdb");
    const std::string path = ElfSamplePath("arm7-mixed.elf");
    {
        CELFGlobals reader(m_database, 1, m_host);
        ASSERT_EQ(Load(reader, path.c_str()), 1);
        EXPECT_FALSE(reader.IsAnalyzed()) << "a new database";
    }
    const std::vector<SymbolRow> first = SymbolRows(m_database);
    const size_t blocks = Blocks().size();
    CELFGlobals again(m_database, 1, m_host);
    ASSERT_EQ(Load(again, path.c_str()), 1);
    EXPECT_TRUE(again.IsAnalyzed());
    EXPECT_EQ(SymbolRows(m_database), first);
    EXPECT_EQ(RowCount(CDBProgram(m_database.GetDatabase())), 1);
    EXPECT_EQ(RowCount(CDBRegisterMap(m_database.GetDatabase())), 15);
    EXPECT_EQ(RowCount(CDBSections(m_database.GetDatabase())), LONG(again.GetSectionRecords().size()));
    EXPECT_EQ(RowCount(CDBModuls(m_database.GetDatabase())), 3);
    EXPECT_EQ(RowCount(CDBFunctions(m_database.GetDatabase())), 3);
    EXPECT_EQ(RowCount(CDBSourceFiles(m_database.GetDatabase())), 3);
    EXPECT_EQ(Blocks().size(), 2 * blocks);
}

TEST_F(ElfGlobalsTest, TheCompilersOwnLocalLabelsAreLeftOut)
{
    // The local function __thumb_checksum_from_arm of the sample, renamed.
    const std::vector<BYTE> sample = ReadElfSample("arm7-mixed.elf");
    const std::string text(sample.begin(), sample.end());
    const size_t name = text.find(std::string("__thumb_checksum_from_arm") + '\0');
    ASSERT_NE(name, std::string::npos);
    const struct {
        const char *label;
        bool kept;
    } cases[] = {{"L_12", false}, {"L_", false}, {"gcc2_compiled.", false}, {"__gnu_compiled_c", false},
                 {"sum_function_end", false}, {"L_1a", true}, {"L_12x", true}, {"L", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<BYTE> file = sample;
        memset(file.data() + name, 0, strlen("__thumb_checksum_from_arm"));
        memcpy(file.data() + name, c.label, strlen(c.label));
        DamagedElf renamed(file);
        NewDatabase((std::string(c.label) + ".mdb").c_str());
        CELFGlobals reader(m_database, 1, m_host);
        ASSERT_EQ(Load(reader, renamed.Name()), 1);
        const std::vector<SymbolRow> rows = SymbolRows(m_database);
        const bool found = std::any_of(rows.begin(), rows.end(), [&](const SymbolRow &row) {
            return row.name == c.label && row.symbolId == 14 && row.address == 0x150;
        });
        EXPECT_EQ(found, c.kept);
    }
}

// A partner debugger whose debug server has the PCP's code window over the sample's
// start-up code (0x0-0x63).
class ElfGlobalsPcpTest : public ElfGlobalsTest {
protected:
    void SetUp() override
    {
        ElfGlobalsTest::SetUp();
        ASSERT_EQ(CComObject<QelHost::CHostSymbolPartners>::CreateInstance(&m_partners), S_OK);
        m_keepPartners = m_partners;
        ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&m_pcp), S_OK);
        m_keepPcp = static_cast<IQelHostHolder *>(m_pcp);
        CComObject<QelHost::CHostWindowValues> *values = nullptr;
        ASSERT_EQ(CComObject<QelHost::CHostWindowValues>::CreateInstance(&values), S_OK);
        m_keepValues = values;
        values->SetValue(u"CodeBaseAddr", 0x0);
        values->SetValue(u"CodeEndAddr", 0x63);
        m_pcp->SetWindowValues(values);
        m_server->SetSymbolServer(m_keepPartners);
        NewDatabase("prog.mdb");
    }

    std::vector<SymbolRow> StartupLabels()
    {
        std::vector<SymbolRow> labels;
        for (const SymbolRow &row : SymbolRows(m_database)) {
            if (row.name == "__ELFEntryPoint" || row.name == "__PCPEntryPoint")
                labels.push_back(row);
        }
        return labels;
    }

    CComObject<QelHost::CHostSymbolPartners> *m_partners = nullptr;
    CComPtr<IQelSymbSrv> m_keepPartners;
    CComObject<CHostDebugServer> *m_pcp = nullptr;
    CComPtr<IUnknown> m_keepPcp;
    CComPtr<IQelWindowValues> m_keepValues;
};

TEST_F(ElfGlobalsPcpTest, ThePcpsCodeGoesToItsDebugServerAndAgainToTheMainCoreAsContents)
{
    m_partners->SetForeignDebugServer(m_keepPcp);
    CELFGlobals reader(m_database, 7, m_host);
    ASSERT_EQ(Load(reader, ElfSamplePath("arm7-mixed.elf").c_str()), 1) << reader.GetFailureText();

    const std::vector<HostDownloadBlock> pcp = m_pcp->Downloads()->Blocks();
    ASSERT_EQ(pcp.size(), 1u);
    EXPECT_EQ(pcp[0].start, 0x0u);
    EXPECT_EQ(pcp[0].bytes.size(), 0x64u);
    EXPECT_EQ(pcp[0].kind, 0u);
    const std::vector<HostDownloadBlock> main = Blocks();
    ASSERT_FALSE(main.empty());
    EXPECT_EQ(main[0].start, 0x0u) << "the PCP's code is also the main core's contents";
    EXPECT_EQ(main[0].kind, 2u);
    EXPECT_EQ(main[0].bytes, pcp[0].bytes);
    ASSERT_EQ(m_pcp->Downloads()->Announcements().size(), 1u);
    EXPECT_EQ(m_pcp->Downloads()->Announcements()[0].blockCount, 1u);
    EXPECT_EQ(m_pcp->Downloads()->Announcements()[0].byteCount, 0x64u);
    EXPECT_EQ(Blocks().size() - 1, m_server->Downloads()->Announcements().at(0).blockCount);

    CDBSections sections(m_database.GetDatabase());
    sections.Open();
    EXPECT_EQ(sections.m_Type, LONG(TYSE_CODE_PCP)) << sections.m_Name;
    EXPECT_EQ(StartupLabels(), (std::vector<SymbolRow>{{13, "__ELFEntryPoint", 0, 1, 0, -1, -1, -1},
                                                       {13, "__PCPEntryPoint", 0, 1, 0, -1, -1, -1}}));
}

TEST_F(ElfGlobalsPcpTest, AStandalonePcpDebuggerLoadsOnlyThePcpsPartAndStartsThere)
{
    // The PCP debugger is the host object itself.
    m_partners->SetPcpStandaloneDebugServer(m_host);
    m_server->SetWindowValues(m_keepValues);
    CELFGlobals reader(m_database, 7, m_host);
    ASSERT_EQ(Load(reader, ElfSamplePath("arm7-mixed.elf").c_str()), 1) << reader.GetFailureText();
    const std::vector<HostDownloadBlock> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].bytes.size(), 0x64u);
    EXPECT_TRUE(m_server->Downloads()->Announcements().size() == 1 &&
                m_server->Downloads()->Announcements()[0].blockCount == 1)
        << "only the PCP's totals are announced";
    EXPECT_EQ(StartupLabels().size(), 2u);
    m_partners->SetPcpStandaloneDebugServer(nullptr);
}

TEST_F(ElfGlobalsTest, BlocksAreMergedAcrossAlignmentGapsAndWrittenWithTheirMemoryType)
{
    NewDatabase("prog.mdb");
    const BYTE bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended memory" : "target pattern");
        m_server->OfferExtendedMemory(extended);
        CELFGlobals reader(m_database, 3, m_host);
        // The first ends at an odd address: with alignment 2 the next, a byte further
        // on, joins it across one 0xFF byte.
        reader.AddDownloadRange(CAddressValue(0x101, SYAM_ABSOLUTE, 0), 2, TYSE_CODE, bytes);
        reader.AddDownloadRange(CAddressValue(0x104, SYAM_ABSOLUTE, 0), 2, TYSE_CODE, bytes + 2);
        reader.AddDownloadRange(CAddressValue(0x200, SYAM_ABSOLUTE, 0), 2, TYSE_CODE_THUMB16, bytes);
        reader.AddDownloadRange(CAddressValue(0x300, SYAM_ABSOLUTE, 0), 1, TYSE_DATA, bytes);
        // Loaded at 0x400, run at 0x8000: each stays a block of its own.
        reader.AddDownloadRange(CAddressValue(0x400, SYAM_VIRTUAL, 0x8000), 2, TYSE_DATA, bytes);
        reader.AddDownloadRange(CAddressValue(0x402, SYAM_VIRTUAL, 0x8002), 2, TYSE_DATA, bytes);
        ASSERT_TRUE(reader.DownloadPattern(nullptr, 2));
    }
    // Written through the target-pattern interface: start, bytes, memory type.
    const std::vector<HostDownloadBlock> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[0].start, 0x101u);
    EXPECT_EQ(blocks[0].bytes, (std::vector<BYTE>{1, 2, 0xFF, 3, 4}));
    EXPECT_EQ(blocks[0].kind, 0u);
    EXPECT_EQ(blocks[1].kind, 4u) << "Thumb code";
    EXPECT_EQ(blocks[2].kind, 2u) << "data";
    EXPECT_EQ(blocks[3].start, 0x400u);
    EXPECT_EQ(blocks[4].start, 0x402u);
    // Written through the extended memory interface, with the run address as target.
    const auto writes = m_server->Downloads()->MemoryWrites();
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_EQ(writes[0].start, 0x101u);
    EXPECT_EQ(writes[0].target, 0x101u);
    EXPECT_EQ(writes[3].start, 0x400u);
    EXPECT_EQ(writes[3].target, 0x8000u);
    EXPECT_EQ(writes[4].target, 0x8002u);
    EXPECT_EQ(writes[4].programId, 3u);
}

TEST_F(ElfGlobalsTest, ARefusedBlockFailsTheDownloadWithStatus9AndProgramIdZeroWritesNothing)
{
    NewDatabase("prog.mdb");
    const BYTE bytes[2] = {1, 2};
    {
        CELFGlobals reader(m_database, 0, m_host);
        reader.AddDownloadRange(CAddressValue(0x100, SYAM_ABSOLUTE, 0), 2, TYSE_CODE, bytes);
        EXPECT_TRUE(reader.DownloadPattern(nullptr, 4));
        EXPECT_TRUE(Blocks().empty());
    }
    m_server->Downloads()->RefuseAfter(0);
    CELFGlobals reader(m_database, 1, m_host);
    reader.AddDownloadRange(CAddressValue(0x100, SYAM_ABSOLUTE, 0), 2, TYSE_CODE, bytes);
    EXPECT_FALSE(reader.DownloadPattern(nullptr, 4));
    EXPECT_EQ(reader.GetFailureStatus(), QEL_LOAD_CONTENTS_REFUSED);
}

TEST_F(ElfGlobalsTest, EachUnitRelatesItsSourceFilesAndCodeSectionsOnce)
{
    NewDatabase("prog.mdb");
    CELFGlobals reader(m_database, 1, m_host);
    ASSERT_EQ(Load(reader, ElfSamplePath("arm7-mixed.elf").c_str()), 1);
    std::vector<std::string> files;
    CDBSourceFiles sourceFiles(m_database.GetDatabase());
    // The sample names its files below the folder it was compiled in: the full path where
    // that folder is there, else the path below it.
    for (sourceFiles.Open(); !sourceFiles.IsEOF(); sourceFiles.MoveNext()) {
        std::string path(sourceFiles.m_EntryInFile);
        const size_t folder = path.find("testdata/elf/");
        if (path[0] == '/' && folder != std::string::npos)
            path.erase(0, folder + 13);
        files.push_back(std::to_string(sourceFiles.m_SourceFileIndex) + " " + std::to_string(sourceFiles.m_Type) + " " +
                        std::string(sourceFiles.m_Name) + " " + path);
    }
    EXPECT_EQ(files, (std::vector<std::string>{"1 1000 startup.s src/startup.s", "2 1000 main.c src/main.c",
                                               "3 1000 thumb.c src/thumb.c"}));
    // Module, section and file alike: the line rows of each unit lie in its own piece of
    // .text (the section records 0 to 2), one relation each however many rows.
    const std::set<std::pair<LONG, LONG>> pairs{{1, 0}, {2, 1}, {3, 2}}, filePairs{{1, 1}, {2, 2}, {3, 3}};
    std::set<std::pair<LONG, LONG>> modulSections, modulFiles, sectionFiles;
    CDBModulSectionRel ms(m_database.GetDatabase());
    for (ms.Open(); !ms.IsEOF(); ms.MoveNext())
        modulSections.insert({ms.m_ModulIndex, ms.m_SectionIndex});
    CDBModulSourceFileRel mf(m_database.GetDatabase());
    for (mf.Open(); !mf.IsEOF(); mf.MoveNext())
        modulFiles.insert({mf.m_ModulIndex, mf.m_SourceFileIndex});
    CDBSectionSourceFileRel sf(m_database.GetDatabase());
    for (sf.Open(); !sf.IsEOF(); sf.MoveNext())
        sectionFiles.insert({sf.m_SectionIndex, sf.m_SourceFileIndex});
    EXPECT_EQ(modulSections, pairs);
    EXPECT_EQ(modulFiles, filePairs);
    EXPECT_EQ(sectionFiles, (std::set<std::pair<LONG, LONG>>{{0, 1}, {1, 2}, {2, 3}}));
    EXPECT_EQ(RowCount(CDBModulSectionRel(m_database.GetDatabase())), 3);
    // A damaged line table may name a file as its own directory, which leaves no path.
    reader.RegisterSourceFile("src", TRUE, "src");
    EXPECT_EQ(RowCount(CDBSourceFiles(m_database.GetDatabase())), 3);
}

// The rows that the program's VarEd statements give, with the SymbolIndex of each
// variable replaced by its name.
std::vector<std::string> VarEdRows(CQelDatabase &database)
{
    std::map<LONG, std::string> names;
    std::vector<std::string> rows;
    CDBSymbolInfo symbols(database.GetDatabase());
    for (symbols.Open(); !symbols.IsEOF(); symbols.MoveNext()) {
        if (symbols.m_SymbolID == 5)
            names[symbols.m_SymbolIndex] = static_cast<LPCSTR>(symbols.m_Name);
        char row[160];
        if (symbols.m_SymbolID == 17)
            snprintf(row, sizeof row, "17 %s %d %#x %d %#x %#x", names[symbols.m_Data_1].c_str(), int(symbols.m_Data_2),
                     unsigned(symbols.m_Data_3), int(symbols.m_Data_4), unsigned(symbols.m_Data_5),
                     unsigned(symbols.m_Data_6));
        else if (symbols.m_SymbolID == 15 || symbols.m_SymbolID == 16)
            snprintf(row, sizeof row, "%d %s", int(symbols.m_SymbolID), names[symbols.m_Data_1].c_str());
        else
            continue;
        rows.push_back(row);
    }
    return rows;
}

TEST_F(ElfGlobalsTest, VarEdStatementsBecomeRowsOfTheFunctionsAndVariablesTheyName)
{
    CComObject<QelHost::CHostSymbolPartners> *partners = nullptr;
    ASSERT_EQ(CComObject<QelHost::CHostSymbolPartners>::CreateInstance(&partners), S_OK);
    CComPtr<IQelSymbSrv> keep(partners);
    partners->SetGlobalVarEd(TRUE);
    m_server->SetSymbolServer(keep);
    int loads = 0;
    auto load = [&](const char *sample) {
        NewDatabase((std::to_string(++loads) + ".mdb").c_str());
        CELFGlobals reader(m_database, 1, m_host);
        EXPECT_EQ(Load(reader, (std::string(kQelSourceDir) + "/testdata/vared/" + sample).c_str()), 1);
        return VarEdRows(m_database);
    };
    // In statement order, then the variables and the values, each once; the indexes
    // sort as the variables were written.
    EXPECT_EQ(load("vared-valid.elf"),
              (std::vector<std::string>{"17 motor_speed 1 0x9114 0 0x8000 0x58", "17 pump_level 1 0x9118 0 0x8058 0x64",
                                        "17 motor_speed 1 0x911c 0 0x80bc 0x3c", "17 pump_level 1 0x911c 0 0x80bc 0x3c",
                                        "15 motor_speed", "15 pump_level", "16 motor_limit", "16 pump_limit",
                                        "16 fan_step"}));
    EXPECT_EQ(load("vared-missingfunction.elf"),
              (std::vector<std::string>{"17 motor_speed 1 0x9114 0 0x8000 0x58", "15 motor_speed", "16 motor_limit"}));
    partners->SetGlobalVarEd(FALSE);
    EXPECT_EQ(load("vared-valid.elf"), std::vector<std::string>{});
}

} // namespace
