#include "enginetesting.h"
#include "sfrtesting.h"

#include <controllertables.h>
#include <qeldatabase.h>

#include <atomic>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;
using enginetest::EngineTest;

class ControllerEngineTest : public EngineTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
        std::string pattern = (fs::temp_directory_path() / "sfr-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        EngineTest::SetUp();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        QelUseRegistryFile(nullptr);
    }

    // Runs code 3000 for `param`; the status, and the size of the register table that
    // the request gave (-1 when it gave none).
    std::pair<int, int> Load(const std::string &param)
    {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = RequestCodeControllerRegisters;
        request.Param1.vt = VT_BSTR;
        request.Param1.bstrVal = SysAllocString(CComBSTR(param.c_str()));
        const int id = m_engine->Submit(request);
        CSymbolRequest *done = m_engine->FindRequest(id);
        if (done == nullptr)
            return {-100, -1};
        auto *result = dynamic_cast<CSfrRegisterList *>(done->m_pResult);
        std::pair<int, int> answer(done->m_nStatus, result != nullptr ? result->GetSize() : -1);
        m_engine->DeleteRequest(id);
        return answer;
    }
    std::string Sample(const std::string &name = "sample.mdb", const std::string &text = sfrtest::SampleText())
    {
        const fs::path path = m_folder / name;
        sfrtest::BuildDatabase(text, path);
        return path.string();
    }
    void SetControllerDirectory(const fs::path &directory)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Controller Database", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        const std::string text = directory.string();
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
    }
    std::string Name(DWORD value, LONG space)
    {
        CString name;
        m_engine->GetRegisterNameByAddress(value, space, name);
        return static_cast<LPCSTR>(name);
    }
    std::string Bit(DWORD value, LONG bit, LONG space)
    {
        CString name;
        m_engine->GetBitName(value, bit, space, name);
        return static_cast<LPCSTR>(name);
    }
    bool Traced(const std::string &part)
    {
        for (const auto &line : m_reports->TraceLines()) {
            if (line.text.find(part) != std::string::npos)
                return true;
        }
        return false;
    }

    fs::path m_folder;
};

std::vector<std::string> Names(const CSfrRegisterList &registers)
{
    std::vector<std::string> names;
    for (int i = 0; i < registers.GetSize(); ++i)
        names.push_back(static_cast<LPCSTR>(registers[i].Name));
    return names;
}

TEST_F(ControllerEngineTest, TheSampleDatabaseGivesTheRegistersAsDescribed)
{
    EXPECT_EQ(Load(Sample()), std::make_pair(0, 12));
    CSfrTablesRef tables = m_engine->GetTables();
    EXPECT_EQ(tables->Derivative().Name, "QX167");
    EXPECT_EQ(tables->Derivative().IRAMSize, 2048u);
    EXPECT_EQ(tables->Derivative().WordSize, 16u);
    const CSfrRegisterList &registers = tables->Registers();
    EXPECT_EQ(Names(registers), (std::vector<std::string>{"PSW", "SP", "SYSCON", "BUSCON0", "DP2", "P2", "ODP2",
                                                          "T0IC", "T1IC", "S0TIC", "ADCIC", "CC0IC"}));

    const _SpecialFunctionRegisterTag &psw = registers[0];
    EXPECT_EQ(psw.Type, 1u);
    EXPECT_EQ(psw.NamedBitMask, 0xF00Eu);
    EXPECT_EQ(psw.HWModBitMask, 0x000Eu);
    EXPECT_EQ(psw.Page, 12u);
    EXPECT_EQ(psw.Manual, "UM 4.2");
    EXPECT_EQ(psw.ResetValue, "0x0000");
    EXPECT_EQ(psw.SFRBlockIndex, 1u);
    ASSERT_EQ(psw.Addresses.GetSize(), 2); // in row order
    EXPECT_EQ(psw.Addresses[0], CAddressValue(0x88, 8, 0));
    EXPECT_EQ(psw.Addresses[1], CAddressValue(0xFF10, 1, 0));
    std::vector<std::string> fields;
    for (int f = 0; f < psw.Fields.GetSize(); ++f)
        fields.push_back(static_cast<LPCSTR>(psw.Fields[f].Name));
    EXPECT_EQ(fields, (std::vector<std::string>{"V", "C", "N", "ILVL"}));
    EXPECT_EQ(psw.Fields[3].Offset, 12u);
    EXPECT_EQ(psw.Fields[3].Width, 4u);
    EXPECT_EQ(psw.Fields[3].Description, "CPU priority");

    const _SpecialFunctionRegisterTag &syscon = registers[2];
    EXPECT_EQ(syscon.Description, "System \"configuration\" register");
    ASSERT_EQ(syscon.Fields.GetSize(), 3);
    EXPECT_EQ(syscon.Fields[0].Name, "STKSZ");
    ASSERT_EQ(syscon.Fields[0].Values.GetSize(), 4);
    EXPECT_EQ(syscon.Fields[0].Values[2].Name, "64 words");
    EXPECT_EQ(syscon.Fields[0].Values[2].Value, 2u);
    // BUSCON0 has no fields, and the registers beside it keep theirs.
    EXPECT_EQ(registers[3].Fields.GetSize(), 0);
    const _SpecialFunctionRegisterTag &dp2 = registers[4];
    ASSERT_EQ(dp2.Fields.GetSize(), 2);
    EXPECT_EQ(dp2.Fields[1].Name, "DP2_1");
    ASSERT_EQ(dp2.Fields[1].Values.GetSize(), 2);
    EXPECT_EQ(dp2.Fields[1].Values[1].Name, "OUT");
    EXPECT_EQ(registers[5].SFRBlockIndex, 2u);
    EXPECT_EQ(registers[6].Description, "Port 2 open drain"); // trimmed
    const _SpecialFunctionRegisterTag &t0ic = registers[7];
    ASSERT_EQ(t0ic.Fields.GetSize(), 3);
    EXPECT_EQ(t0ic.Fields[0].Name, "IE");
    ASSERT_EQ(t0ic.Fields[0].Values.GetSize(), 2);
    EXPECT_EQ(t0ic.Fields[0].Values[1].Name, "ENABLED");
    EXPECT_EQ(registers[11].Addresses.GetSize(), 1);

    const CSfrBlockList &blocks = tables->Blocks();
    ASSERT_EQ(blocks.GetSize(), 3);
    EXPECT_EQ(blocks[1].Name, "PORTS");
    EXPECT_EQ(blocks[1].Description, "Parallel ports, 16 bits wide");
    EXPECT_EQ(blocks[2].SFRBlockIndex, 3u);
}

TEST_F(ControllerEngineTest, LookupsByNameAddressAndBit)
{
    ASSERT_EQ(Load(Sample()).second, 12);
    const std::pair<const char *, DWORD> addresses[] = {
        {"PSW", 0xFF10},        // its first address of mode 1, though not its first row
        {"SYSCON", 0xFF12},
        {"CC0IC", 0xFFFFFFFF},  // no address of mode 1
        {"psw", 0xFFFFFFFF},    // names compare exactly
        {"NONE", 0xFFFFFFFF},
    };
    for (const auto &[name, address] : addresses)
        EXPECT_EQ(m_engine->GetRegisterAddress(name), address) << name;
    EXPECT_EQ(Name(0x88, 1), "PSW");  // space 1: mode 8
    EXPECT_EQ(Name(0x09, 0), "SP");   // any other space: mode 7
    EXPECT_EQ(Name(0x88, 0), "");
    EXPECT_EQ(Name(0xFF10, 1), "");   // absolute addresses are not of a space
    CString name;
    EXPECT_TRUE(m_engine->GetRegisterNameByAbsoluteAddress(0xFF12, name));
    EXPECT_EQ(name, "SYSCON");
    EXPECT_EQ(Bit(0xCE, 6, 1), "T0IC.IE");
    EXPECT_EQ(Bit(0xCE, 2, 1), ""); // ILVL is four bits wide
    EXPECT_EQ(Bit(0xE0, 0, 1), "P2.CC0IO"); // two fields at bit 0: the last one wins
    EXPECT_EQ(Bit(0x86, 0, 1), "");  // BUSCON0 has no fields
    EXPECT_EQ(m_engine->FindRegisterByAddress(0xCF, 1), 8);
}

TEST_F(ControllerEngineTest, RegisterAreasBlocksAndTheInterruptControlList)
{
    DWORD start = 0, end = 0;
    // Nothing loaded: masked with 7.
    EXPECT_EQ(m_engine->GetRegisterArea(5, start, end), 0xFFFFFFFFu);
    EXPECT_EQ(end, 0xFFFFFFFFu);
    ASSERT_EQ(Load(Sample()).second, 12);
    EXPECT_EQ(m_engine->GetRegisterArea(7, start, end), 0xF600u);
    EXPECT_EQ(end, 0xFDFFu);
    EXPECT_EQ(m_engine->GetRegisterArea(5, start, end), 0xFFFFFFFFu);
    // A derivative with 1 KiB of internal RAM masks the index with 3: 5 is area 1.
    ASSERT_EQ(Load(Sample("small.mdb", sfrtest::SampleVariant({{"QX167,16,0x167,2048", "QX167,16,0x167,1024"}})))
                  .second,
              12);
    EXPECT_EQ(m_engine->GetRegisterArea(5, start, end), 0xFB00u);
    EXPECT_EQ(end, 0xFBFFu);

    CComVariant blocks;
    ASSERT_EQ(m_engine->GetRegisterBlocks(&blocks), S_OK);
    ASSERT_EQ(blocks.vt, VT_ARRAY | VT_BSTR);
    EXPECT_EQ(blocks.parray->rgsabound[0].cElements, 6u);
    LONG index = 3;
    CComBSTR text;
    ASSERT_EQ(SafeArrayGetElement(blocks.parray, &index, &text), S_OK);
    EXPECT_EQ(CString(text), "Parallel ports, 16 bits wide");

    CComVariant list;
    ASSERT_EQ(m_engine->GetInterruptControlList(&list), S_OK);
    ASSERT_EQ(list.vt, VT_ARRAY | VT_UI4);
    const DWORD *words = static_cast<const DWORD *>(list.parray->pvData);
    const std::vector<DWORD> expected = {0xFF9C, 0x7F, 0,  0xFF9E, 0xFC, 0x10,
                                         0xFF6C, 0xF0, 20, 0xFF98, 0xFF, 0}; // CC0IC has no mode 1
    EXPECT_EQ(std::vector<DWORD>(words, words + list.parray->rgsabound[0].cElements), expected);
    EXPECT_TRUE(Traced("ADCIC")); // "n/a" is no number
}

TEST_F(ControllerEngineTest, ADerivativeNameFindsItsDatabaseInTheRegistryDirectoryBlindToCase)
{
    Sample("a-other.mdb", sfrtest::SampleVariant({{"QX167,16", "QX164,16"}}));
    sfrtest::WriteJetFile(m_folder / "b-maker.MDB");
    Sample("c-sample.Mdb");
    fs::create_directory(m_folder / "d.mdb"); // a directory is no database
    // Nothing is found while no directory is set.
    EXPECT_EQ(Load("qx167"), std::make_pair(0, 0));
    SetControllerDirectory(m_folder);
    EXPECT_EQ(Load("qx167"), std::make_pair(0, 12));
    EXPECT_EQ(m_engine->GetTables()->Derivative().DatabaseName, "c-sample.Mdb");
    EXPECT_TRUE(Traced("b-maker.MDB"));
    EXPECT_TRUE(Traced("qelsfrdb"));
    EXPECT_EQ(Load("QX164").second, 12);
    EXPECT_EQ(m_engine->GetTables()->Derivative().DatabaseName, "a-other.mdb");
    // A name that no database has empties what was loaded.
    EXPECT_EQ(Load("QX999"), std::make_pair(0, 0));
    EXPECT_EQ(m_engine->GetRegisterAddress("PSW"), 0xFFFFFFFFu);
    EXPECT_EQ(m_engine->GetRegisterAddress("_QUICK_HACK_ALL_"), 0xFFFFFFFFu);
}

TEST_F(ControllerEngineTest, APathIsOpenedAsGivenThenInKorvexsDirectory)
{
    const std::string path = Sample("Upper.MDB");
    EXPECT_EQ(Load(path).second, 12);
    // A database that another connection reads meanwhile is there all the same.
    CQelDatabase reader;
    ASSERT_TRUE(reader.Open(path.c_str(), FALSE, TRUE));
    EXPECT_EQ(Load(path).second, 12);
    reader.Close(FALSE);

    char module[4096] = "";
    ASSERT_GT(GetModuleFileName(GetModuleHandle("Korvex"), module, sizeof module), 0u);
    const fs::path beside = fs::path(module).parent_path() / ("sfr-test-" + std::to_string(getpid()) + ".mdb");
    sfrtest::BuildDatabase(sfrtest::SampleText(), beside);
    const auto found = Load(beside.filename().string());
    fs::remove(beside);
    EXPECT_EQ(found, std::make_pair(0, 12));
    EXPECT_EQ(Load((m_folder / "missing.mdb").string()), std::make_pair(0, 0));
    sfrtest::WriteJetFile(m_folder / "maker.mdb");
    EXPECT_EQ(Load((m_folder / "maker.mdb").string()), std::make_pair(0, 0));
    EXPECT_TRUE(Traced("maker.mdb"));
}

TEST_F(ControllerEngineTest, LaterDuplicatesOverwriteAndStrayRowsAreSkipped)
{
    const std::string path = Sample("dup.mdb", sfrtest::SampleVariant({{"12,CC0IC,13", "12,PSW,13"},
                                                                       {"12,7,0xBC", "12,7,0xBC\n12,1,0xFF12"}}));
    {
        // Rows that name no register or no field, as a database of other origin may hold.
        CdbDBEngine engine;
        CdbDatabase db = engine.CreateWorkspace("ws", "admin", "").OpenDatabase(path.c_str(), TRUE, FALSE, "");
        const std::pair<SfrTable, std::map<std::string, LONG>> rows[] = {
            {SfrAddresses, {{"SFRIndex", 99}, {"AddressMode", 1}, {"AddressValue", 0x1234}}},
            {SfrFields, {{"SFRFieldIndex", 77}, {"SFRIndex", 99}}},
            {SfrFieldValues, {{"SFRFieldValuesIndex", 88}, {"SFRFieldIndex", 999}}},
        };
        for (const auto &[table, numbers] : rows) {
            const SfrTableLayout &layout = SfrTables()[table];
            CdbRecordset rs = db.OpenRecordset(layout.name, dbOpenTable);
            rs.AddNew();
            for (const SfrColumn &column : layout.columns) {
                auto number = numbers.find(column.name);
                CdbVariant value = column.text ? CdbVariant("X")
                                               : CdbVariant(number != numbers.end() ? number->second : 0);
                rs.SetField(column.name, &value);
            }
            rs.Update();
        }
        db.Close();
    }
    EXPECT_EQ(Load(path).second, 12);
    EXPECT_EQ(m_engine->GetRegisterAddress("PSW"), 0xFF12u); // the later PSW
    CString name;
    EXPECT_TRUE(m_engine->GetRegisterNameByAbsoluteAddress(0xFF12, name));
    EXPECT_EQ(m_engine->FindRegisterByAddress(0xFF12, 0), -1);
    CAddressValue key(0xFF12, 1, 0);
    EXPECT_EQ(m_engine->GetTables()->Registers()[11].Addresses[1], key);
    EXPECT_TRUE(Traced("SFRIndex 99"));
    EXPECT_TRUE(Traced("SFRFieldIndex 999"));
    EXPECT_EQ(m_engine->GetTables()->Registers()[0].Fields.GetSize(), 4);
}

TEST_F(ControllerEngineTest, ADatabaseWithoutDerivativeRowGivesNothing)
{
    const std::string text = sfrtest::SampleText(), path = (m_folder / "none.mdb").string();
    SfrDescription description;
    CString error;
    ASSERT_TRUE(ParseSfrDescription(text.data(), text.size(), "sample.sfr", description, error));
    description.rows[SfrDerivative].clear(); // the builder itself refuses such a description
    ASSERT_TRUE(BuildSfrDatabase(description, path.c_str(), error)) << error;
    EXPECT_EQ(Load(path), std::make_pair(0, 0));
    EXPECT_EQ(m_engine->GetTables()->RegistersLoaded(), 0u);
}

TEST_F(ControllerEngineTest, ListHandlesResolveUntilTheTablesAreReplacedAndHoldWhatTheyResolved)
{
    ASSERT_EQ(Load(Sample()).second, 12);
    const DWORD all = m_engine->GetRegisterAddress("_QUICK_HACK_ALL_");
    const DWORD blocks = m_engine->GetRegisterAddress("_QUICK_HACK_BLOCKS_");
    ASSERT_NE(all, 0xFFFFFFFFu);
    CSfrBlockListReference wrongKind(all);
    EXPECT_TRUE(!wrongKind);
    CSfrRegisterListReference held(all);
    ASSERT_FALSE(!held);
    CSfrBlockListReference heldBlocks(blocks);
    ASSERT_FALSE(!heldBlocks);
    EXPECT_EQ(heldBlocks->GetSize(), 3);
    ASSERT_EQ(Load(Sample("second.mdb", sfrtest::SampleVariant({{"1,PSW,", "1,PSW2,"}}))).second, 12);
    EXPECT_TRUE(!CSfrRegisterListReference(all));
    EXPECT_EQ(held->GetSize(), 12);
    EXPECT_EQ((*held.Get())[0].Name, "PSW");
    CSfrRegisterListReference fresh(m_engine->GetRegisterAddress("_QUICK_HACK_ALL_"));
    ASSERT_FALSE(!fresh);
    EXPECT_EQ((*fresh.Get())[0].Name, "PSW2");
}

TEST_F(ControllerEngineTest, ReplacingTheTablesWhileAnotherThreadReadsThem)
{
    const std::string first = Sample(), second = Sample("second.mdb", sfrtest::SampleVariant({{"1,PSW,", "1,PSW2,"}}));
    ASSERT_EQ(Load(first).second, 12);
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!stop) {
            CSfrRegisterListReference list(m_engine->GetRegisterAddress("_QUICK_HACK_ALL_"));
            if (!!list) {
                int fields = 0;
                for (int i = 0; i < list->GetSize(); ++i)
                    fields += (*list.Get())[i].Fields.GetSize() + (*list.Get())[i].Name.GetLength();
                EXPECT_GT(fields, 0);
            }
            CString name;
            m_engine->GetBitName(0xCE, 6, 1, name);
            ++reads;
        }
    });
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Load(i % 2 == 0 ? second : first).second, 12);
    EXPECT_TRUE(enginetest::WaitUntil([&] { return reads > 10; }));
    stop = true;
    reader.join();
}

} // namespace
