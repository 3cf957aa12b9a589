#include "typewriters.h"

#include "packedindex.h"
#include "symdbtesting.h"

#include <functional>
#include <vector>

namespace {

// A Types row as read back through CDBTypeInfo.
struct Row {
    LONG TypeIndex, ModulIndex, TypeID;
    std::string Name;
    LONG Data_1, Data_2, Data_3, Data_4;
    bool operator==(const Row &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Row &r)
{
    return out << "{" << std::hex << r.TypeIndex << " " << std::dec << r.ModulIndex << " " << r.TypeID << " '"
               << r.Name << "' " << std::hex << r.Data_1 << " " << r.Data_2 << " " << r.Data_3 << " " << r.Data_4
               << "}";
}

class TypeWritersTest : public symdbtest::SymbolDatabaseTest {
protected:
    std::vector<Row> Rows()
    {
        CDBTypeInfo rs(m_db);
        std::vector<Row> rows;
        for (rs.Open(); !rs.IsEOF(); rs.MoveNext())
            rows.push_back({rs.m_TypeIndex, rs.m_ModulIndex, rs.m_TypeID, std::string(rs.m_Name), rs.m_Data_1,
                            rs.m_Data_2, rs.m_Data_3, rs.m_Data_4});
        return rows;
    }

    Row Written(const std::function<void(CDBTypeInfo &)> &write)
    {
        {
            CDBTypeInfo rs(m_db);
            write(rs);
        }
        std::vector<Row> rows = Rows();
        EXPECT_EQ(rows.size(), 1u);
        CQelQueryDef wipe(m_db);
        wipe.Create(nullptr, "DELETE * FROM Types;");
        wipe.Execute();
        return rows.empty() ? Row{} : rows[0];
    }
};

const LONG M = 7;
LONG P(LONG number)
{
    return PackTypeIndex(M, number);
}

TEST_F(TypeWritersTest, EveryWriterWritesItsRow)
{
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { EXPECT_TRUE(WriteBaseTypeRecord({M, "unsigned int", 0x10, 16}, rs, FALSE)); }),
              (Row{P(0x10), M, 0, "unsigned int", 16, 10, 0, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteTypedefRecord({M, "size_t", 0x20, 0x10}, rs, FALSE); }),
              (Row{P(0x20), M, 1, "size_t", P(0x10), 0, 0, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteBitFieldTypeRecord({M, 0x21, {3, 4, 5}}, rs, FALSE); }),
              (Row{P(0x21), M, 2, "", 3, 4, 5, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WritePointerTypeRecord({M, 0x22, 0x10, 2}, rs, FALSE); }),
              (Row{P(0x22), M, 3, "", P(0x10), 2, 0, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteArrayTypeRecord({M, 0x23, 0x10, 12}, rs, FALSE); }),
              (Row{P(0x23), M, 4, "", P(0x10), 12, 0, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteStructTypeRecord({M, "point", 0x24, 32, 2}, rs, FALSE); }),
              (Row{P(0x24), M, 5, "point", 32, 2, 0, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteUnionTypeRecord({M, "word", 0x25, 16, 3}, rs, FALSE); }),
              (Row{P(0x25), M, 6, "word", 16, 3, 0, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteEnumTypeRecord({M, "color", 0x26, 16, 4}, rs, FALSE); }),
              (Row{P(0x26), M, 7, "color", 16, 4, 0, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteFunctionTypeRecord({M, 0x27, 0x10, 2, -1}, rs, FALSE); }),
              (Row{P(0x27), M, 9, "", P(0x10), 2, -1, 0}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteTypeLinkRecord({M, 0x28, 0x10, 0x27}, rs, FALSE); }),
              (Row{P(0x28), M, 10, "", P(0x10), 0, 0, P(0x27)}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteStructMemberRecord({M, "x", 0x29, 0x10, 16, 0x24}, rs, FALSE); }),
              (Row{P(0x29), M, 11, "x", P(0x10), 16, 0, P(0x24)}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteEnumMemberRecord({M, "RED", 0x2A, -3, 0x26}, rs, FALSE); }),
              (Row{P(0x2A), M, 12, "RED", -3, 0, 0, P(0x26)}));
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteQualifiedTypeRecord({M, 1, 0x2B, 0x10}, rs, FALSE); }),
              (Row{P(0x2B), M, 14, "", P(0x10), 1, 0, 0}));
}

TEST_F(TypeWritersTest, SharedTypesArePackedIntoModuleZero)
{
    EXPECT_EQ(Written([](CDBTypeInfo &rs) { WriteTypedefRecord({M, "u8", 0x30, 0x31}, rs, TRUE); }),
              (Row{0x30, M, 1, "u8", 0x31, 0, 0, 0}));
}

TEST_F(TypeWritersTest, AnUnknownBaseTypeWritesNothing)
{
    CDBTypeInfo rs(m_db);
    EXPECT_FALSE(WriteBaseTypeRecord({M, "int", 0x10, 8}, rs, FALSE));
    EXPECT_TRUE(Rows().empty());
}

TEST_F(TypeWritersTest, ANumberThatDoesNotFitIsRefusedBeforeAnythingIsWritten)
{
    CDBTypeInfo rs(m_db);
    auto refused = [&](const std::function<void()> &write) {
        try {
            write();
        } catch (CQelIndexRangeException *e) {
            e->Delete();
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { WriteStructTypeRecord({0x2000, "s", 1, 8, 1}, rs, FALSE); }));
    EXPECT_TRUE(refused([&] { WriteStructTypeRecord({1, "s", 0x40000, 8, 1}, rs, FALSE); }));
    EXPECT_TRUE(refused([&] { WritePointerTypeRecord({1, 2, 0x40000, 0}, rs, FALSE); }));
    EXPECT_TRUE(refused([&] { WriteStructMemberRecord({1, "m", 2, 3, 0, 0x40000}, rs, FALSE); }));
    // Shared types pack no module: module 0x2000 is no fault there.
    EXPECT_FALSE(refused([&] { WritePointerTypeRecord({0x2000, 2, 3, 0}, rs, TRUE); }));
    // A pointer to no type: -1 is the readers' "none", and stays so.
    EXPECT_FALSE(refused([&] { WritePointerTypeRecord({1, 4, -1, 0}, rs, FALSE); }));
    // The refusals left no record half made: the recordset goes on writing.
    WriteStructTypeRecord({1, "s", 9, 8, 1}, rs, FALSE);
    std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Data_1, -1);
    EXPECT_EQ(rows[2].Name, "s");
}

} // namespace
