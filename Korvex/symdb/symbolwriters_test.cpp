#include "symbolwriters.h"

#include "packedindex.h"
#include "symdbtesting.h"

#include <functional>
#include <vector>

namespace {

struct Row {
    LONG ModulIndex, SymbolID, ScopeIndex;
    std::string Name, NameString;
    LONG Data[6];
    bool operator==(const Row &other) const
    {
        return ModulIndex == other.ModulIndex && SymbolID == other.SymbolID && ScopeIndex == other.ScopeIndex &&
               Name == other.Name && NameString == other.NameString &&
               std::equal(Data, Data + 6, other.Data);
    }
};

std::ostream &operator<<(std::ostream &out, const Row &r)
{
    out << "{" << r.ModulIndex << " " << r.SymbolID << " " << r.ScopeIndex << " '" << r.Name << "' " << std::hex;
    for (LONG d : r.Data)
        out << d << " ";
    return out << "}";
}

class SymbolWritersTest : public symdbtest::SymbolDatabaseTest {
protected:
    void SetUp() override
    {
        SymbolDatabaseTest::SetUp();
        m_rs = std::make_unique<CDBSymbolInfo>(m_db);
    }
    void TearDown() override
    {
        m_rs.reset();
        SymbolDatabaseTest::TearDown();
    }

    std::vector<Row> Rows()
    {
        CDBSymbolInfo rs(m_db);
        std::vector<Row> rows;
        LONG last = 0;
        for (rs.Open(); !rs.IsEOF(); rs.MoveNext()) {
            EXPECT_GT(rs.m_SymbolIndex, last); // the engine's numbering
            last = rs.m_SymbolIndex;
            rows.push_back({rs.m_ModulIndex, rs.m_SymbolID, rs.m_ScopeIndex, std::string(rs.m_Name),
                            std::string(rs.m_NameString),
                            {rs.m_Data_1, rs.m_Data_2, rs.m_Data_3, rs.m_Data_4, rs.m_Data_5, rs.m_Data_6}});
        }
        return rows;
    }

    std::unique_ptr<CDBSymbolInfo> m_rs;
};

const LONG M = 3;

TEST_F(SymbolWritersTest, EveryWriterWritesItsRow)
{
    const SymbolRecordTag named{M, "aB", 9, {0x10, 1, 0x2000, 0, 44, 55}};
    const UnnamedSymbolRecordTag unnamed{M, 9, {5, 1, 0x2000, 0, 0x40}};
    CDBSymbolInfo &rs = *m_rs;
    WriteParameterSymbol(named, rs, FALSE);
    WriteLocalSymbol(named, rs, FALSE);
    WriteLocalStaticSymbol(named, rs, FALSE);
    WriteModulStaticSymbol(named, rs, FALSE);
    WriteGlobalSymbol(named, rs, FALSE);
    WriteGlobalAsmSymbol(named, rs);
    WriteStaticAsmSymbol(named, rs);
    WriteBlockSymbol(unnamed, rs);
    WriteLabelSymbol9(SymbolRecordTag{M, "aB", 9, {1, 0x2000}}, rs);
    WriteSymbol10(unnamed, rs);
    WriteStackAdjustSymbol(unnamed, rs);
    WriteLifetimeSymbol(named, rs);
    WriteGlobalLabelSymbol(named, rs);
    WriteStaticLabelSymbol(named, rs);

    const LONG T = PackTypeIndex(M, 0x10);
    const std::string N = "aB", E = "\xE2" "B";
    const std::vector<Row> expected = {
        {M, 1, 9, N, E, {T, 1, 0x2000, 0, -1, -1}},
        {M, 2, 9, N, E, {T, 1, 0x2000, 0, -1, -1}},
        {M, 3, 9, N, E, {T, 1, 0x2000, 0, 44, 55}},
        {M, 4, 9, N, E, {T, 1, 0x2000, 0, 44, -1}},
        {M, 5, 9, N, E, {T, 1, 0x2000, 0, -1, -1}},
        {M, 6, 9, N, E, {0x10, 1, 0x2000, 0, -1, -1}},
        {M, 7, 9, N, E, {0x10, 1, 0x2000, 0, -1, -1}},
        {M, 8, 9, "", "", {5, 1, 0x2000, 0x40, -1, -1}},
        {M, 9, 9, N, E, {-1, 1, 0x2000, -1, -1, -1}},
        {M, 10, 9, "", "", {5, 1, 0x2000, 0, -1, -1}},
        {M, 11, 9, "", "", {5, 1, 0x2000, 0, -1, -1}},
        {M, 12, 9, N, E, {0x10, 1, 0x2000, 0, -1, -1}},
        {M, 13, 9, N, E, {0x10, 1, 0x2000, 0, -1, -1}},
        {M, 14, 9, N, E, {0x10, 1, 0x2000, 0, -1, -1}},
    };
    EXPECT_EQ(Rows(), expected);
}

// A client may hold the index of a symbol that a module read wrote before it failed
// and was rolled back: no symbol written later takes it, nor after the database was
// closed and opened again.
TEST_F(SymbolWritersTest, TheIndexesOfARolledBackModuleReadAreNeverTakenAgain)
{
    const SymbolRecordTag global{M, "counter", 1, {0x10, 1, 0x8000, 0, 0, 0}};
    auto lastIndex = [this] {
        CDBSymbolInfo rs(m_db);
        LONG last = 0;
        for (rs.Open(); !rs.IsEOF(); rs.MoveNext())
            last = rs.m_SymbolIndex;
        return last;
    };
    WriteGlobalSymbol(global, *m_rs, FALSE); // 1
    m_database.BeginTrans();
    WriteGlobalSymbol(global, *m_rs, FALSE);
    WriteGlobalSymbol(global, *m_rs, FALSE); // 2 and 3, gone with the module read
    m_database.Rollback();
    EXPECT_EQ(lastIndex(), 1);
    m_rs.reset();
    m_database.Close(FALSE);

    ASSERT_TRUE(m_database.Open(PathOf("prog.mdb"), TRUE, FALSE));
    m_db = m_database.GetDatabase();
    m_rs = std::make_unique<CDBSymbolInfo>(m_db);
    WriteGlobalSymbol(global, *m_rs, FALSE);
    EXPECT_EQ(lastIndex(), 4);
}

TEST_F(SymbolWritersTest, SharedTypesPackTheTypeIntoModuleZero)
{
    WriteGlobalSymbol({M, "g", 1, {0x10, 1, 0x100, 0}}, *m_rs, TRUE);
    std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Data[0], 0x10);
    EXPECT_EQ(rows[0].ModulIndex, M);
}

TEST_F(SymbolWritersTest, OnlyPackedValuesAreChecked)
{
    auto refused = [&](const std::function<void()> &write) {
        try {
            write();
        } catch (CQelIndexRangeException *e) {
            e->Delete();
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { WriteGlobalSymbol({0x2000, "g", 1, {1}}, *m_rs, FALSE); }));
    EXPECT_TRUE(refused([&] { WriteLocalSymbol({1, "l", 1, {0x40000}}, *m_rs, FALSE); }));
    // Assembler data and labels pack nothing: a large module or data word is theirs.
    EXPECT_FALSE(refused([&] { WriteGlobalAsmSymbol({0x2000, "d", -1, {0x7FFFFFFF}}, *m_rs); }));
    EXPECT_FALSE(refused([&] { WriteGlobalLabelSymbol({-1, "l", -1, {0, 1, static_cast<LONG>(0x80000000)}}, *m_rs); }));
    EXPECT_FALSE(refused([&] { WriteBlockSymbol({0x2000, 1, {0, 1, 0, 0, 4}}, *m_rs); }));
    EXPECT_EQ(Rows().size(), 3u);
}

} // namespace
