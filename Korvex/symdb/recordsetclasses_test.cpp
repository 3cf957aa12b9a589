// The open types of the recordset classes: tables as tables, query classes as
// read-only snapshots (or, for the line recordset, a dynaset).
#include "controllertables.h"
#include "qeldbexception.h"
#include "queryrecordsets.h"
#include "symboltables.h"
#include "symdbtesting.h"

namespace {

class RecordsetClassesTest : public symdbtest::SymbolDatabaseTest {
protected:
    // Tries to add a record: only a table-type recordset takes one.
    template <class Recordset>
    static bool TakesNewRecords(Recordset &rs)
    {
        try {
            rs.AddNew();
            rs.CancelUpdate();
            return true;
        } catch (CQeldbException *e) {
            e->Delete();
            return false;
        }
    }

    // Whether the (empty) RegisterMap table, opened with the class's default type,
    // refuses a new record as read-only (3027). A dynaset is not read-only, though it
    // takes no new records either: the system adds through tables.
    template <class Recordset>
    bool DefaultTypeIsReadOnly()
    {
        Recordset rs(m_db);
        rs.Open(-1, "RegisterMap");
        try {
            rs.AddNew();
            rs.CancelUpdate();
            return false;
        } catch (CQeldbException *e) {
            UINT code = e->m_nErrorCode;
            e->Delete();
            return code == 3027;
        }
    }

    // The class's own table, opened by default: a table-type recordset (only such a
    // recordset has a current index, here none) that takes new records.
    template <class Recordset>
    bool OpensItsTableAsATable()
    {
        Recordset rs(m_db);
        rs.Open();
        try {
            rs.SetCurrentIndex("");
        } catch (CQeldbException *e) {
            e->Delete();
            return false;
        }
        return TakesNewRecords(rs);
    }
};

TEST_F(RecordsetClassesTest, SnapshotClassesAreReadOnly)
{
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBBlockByIndex>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBBreakpointDescription>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBLabelDescription>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBLocation>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBSFRSet>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBSFRAddresses>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBSFRFields>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBSFRBlocks>());
    EXPECT_TRUE(DefaultTypeIsReadOnly<CDBSFRFieldValues>());
    // The line recordset is a dynaset.
    EXPECT_FALSE(DefaultTypeIsReadOnly<CDBSourceLineByAddress>());
}

TEST_F(RecordsetClassesTest, TableClassesOpenTheirTablesAsTables)
{
    EXPECT_TRUE(OpensItsTableAsATable<CDBVersion>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBProgram>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBSections>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBSectionsBinary>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBModuls>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBModulSectionRel>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBModulSourceFileRel>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBSectionSourceFileRel>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBSourceFiles>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBSourceLines>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBFunctions>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBTypeInfo>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBSymbolInfo>());
    EXPECT_TRUE(OpensItsTableAsATable<CDBRegisterMap>());
    // A dynaset of a table has no current index.
    CDBRegisterMap dynaset(m_db);
    dynaset.Open(dbOpenDynaset);
    try {
        dynaset.SetCurrentIndex("");
        ADD_FAILURE() << "a dynaset took an index";
    } catch (CQeldbException *e) {
        e->Delete();
    }
}

} // namespace
