#include "controllertables.h"

#include "qeldbexception.h"
#include "queryrecordsets.h"
#include "symdbtesting.h"
#include "tagreaders.h"

namespace {

// A controller database as the controller engine reads it: a table of field values
// and a stored query of blocks.
class ControllerTablesTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        m_db = m_engine.CreateWorkspace("ws", "admin", "").CreateDatabase(PathOf("c167.mdb"), dbLangGeneral, 0);
        CdbTableDef values = m_db.CreateTableDef("SFRFieldValues");
        for (const char *name : {"SFRFieldValuesIndex", "Value", "SFRFieldIndex"}) {
            CdbField field = values.CreateField(name, dbLong, 4);
            values.Fields.Append(field);
        }
        CdbField name = values.CreateField("Name", dbText, 255);
        values.Fields.Append(name);
        m_db.TableDefs.Append(values);
        CdbTableDef blocks = m_db.CreateTableDef("SFRBlock");
        CdbField index = blocks.CreateField("SFRBlockIndex", dbLong, 4);
        blocks.Fields.Append(index);
        for (const char *text : {"Name", "Description"}) {
            CdbField field = blocks.CreateField(text, dbText, 255);
            blocks.Fields.Append(field);
        }
        m_db.TableDefs.Append(blocks);
        m_db.CreateQueryDef("SFRBlockSelect", "SELECT * FROM SFRBlock ORDER BY SFRBlockIndex;");
        AddValue(1, 20, "ON");
        AddValue(2, 10, "OFF");
        AddValue(3, 10, "ON");
    }
    void TearDown() override
    {
        m_db.Close();
        FolderTest::TearDown();
    }

    void AddValue(LONG index, LONG field, const char *name)
    {
        CdbRecordset rs = m_db.OpenRecordset("SFRFieldValues");
        rs.AddNew();
        CdbVariant i(index), f(field), n(name), v(index * 2);
        rs.SetField("SFRFieldValuesIndex", &i);
        rs.SetField("SFRFieldIndex", &f);
        rs.SetField("Name", &n);
        rs.SetField("Value", &v);
        rs.Update();
    }

    CdbDBEngine m_engine;
    CdbDatabase m_db;
};

TEST_F(ControllerTablesTest, TheFieldValuesRunTheSqlInTheirBrackets)
{
    CDBSFRFieldValues rs(&m_db);
    rs.Open();
    std::vector<LONG> fields;
    for (; !rs.IsEOF(); rs.MoveNext())
        fields.push_back(rs.m_SFRFieldIndex);
    EXPECT_EQ(fields, std::vector<LONG>({10, 10, 20}));
    EXPECT_STREQ(rs.m_Name, "ON");
    EXPECT_EQ(rs.m_Value, 2);
}

TEST_F(ControllerTablesTest, SnapshotClassesOpenReadOnly)
{
    CDBSFRBlocks rs(&m_db);
    rs.Open();
    EXPECT_TRUE(rs.IsEOF());
    try {
        rs.AddNew();
        FAIL() << "a snapshot took a new record";
    } catch (CQeldbException *e) {
        e->Delete();
    }
}

TEST_F(ControllerTablesTest, TheSourceLineRecordsetNamesNoStoredQuery)
{
    CDBSourceLineByAddress rs(&m_db);
    try {
        rs.Open();
        FAIL() << "opened";
    } catch (CQeldbException *e) {
        EXPECT_EQ(e->m_nErrorCode, 3078u); // no such table or query
        EXPECT_GE(e->m_strDescription.Find("SourceLineByAddress"), 0);
        e->Delete();
    }
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(ControllerTablesTest, ARegisterAndABlockAreReadIntoTheirEntries)
{
    CdbTableDef sfr = m_db.CreateTableDef("SFR");
    for (const char *name : {"SFRIndex", "Type", "Width", "NamedBitMask", "ReadOnlyMask", "Page", "HWModBitMask",
                             "SFRBlockIndex"}) {
        CdbField field = sfr.CreateField(name, dbLong, 4);
        sfr.Fields.Append(field);
    }
    for (const char *name : {"Name", "ResetValue", "Manual", "Description"}) {
        CdbField field = sfr.CreateField(name, dbText, 255);
        sfr.Fields.Append(field);
    }
    m_db.TableDefs.Append(sfr);
    m_db.CreateQueryDef("SFRSelect", "SELECT * FROM SFR ORDER BY SFRIndex;");
    {
        CdbRecordset rs = m_db.OpenRecordset("SFR");
        rs.AddNew();
        const std::pair<const char *, LONG> numbers[] = {{"SFRIndex", 1}, {"Type", 0x100}, {"Width", 16},
                                                         {"NamedBitMask", 0xFF}, {"ReadOnlyMask", 0x0F},
                                                         {"Page", 3}, {"HWModBitMask", 0xF0}, {"SFRBlockIndex", 2}};
        for (const auto &[name, value] : numbers) {
            CdbVariant v(value);
            rs.SetField(name, &v);
        }
        const std::pair<const char *, const char *> texts[] = {
            {"Name", "PSW"}, {"ResetValue", "0x0000"}, {"Manual", "UM 4.2"}, {"Description", "Processor status"}};
        for (const auto &[name, value] : texts) {
            CdbVariant v(value);
            rs.SetField(name, &v);
        }
        rs.Update();
        CdbRecordset blocks = m_db.OpenRecordset("SFRBlock");
        blocks.AddNew();
        CdbVariant index(2L), name("CPU"), description("Core registers");
        blocks.SetField("SFRBlockIndex", &index);
        blocks.SetField("Name", &name);
        blocks.SetField("Description", &description);
        blocks.Update();
    }
    CDBSFRSet registers(&m_db);
    registers.Open();
    _SpecialFunctionRegisterTag tag;
    FromRecord(tag, registers);
    EXPECT_STREQ(tag.Name, "PSW");
    EXPECT_EQ(tag.Type, 0x100u);
    EXPECT_STREQ(tag.Description, "Processor status");
    EXPECT_STREQ(tag.ResetValue, "0x0000");
    EXPECT_STREQ(tag.Manual, "UM 4.2");
    EXPECT_EQ(tag.Page, 3u);
    EXPECT_EQ(tag.Width, 16u);
    EXPECT_EQ(tag.NamedBitMask, 0xFFu);
    EXPECT_EQ(tag.ReadOnlyMask, 0x0Fu);
    EXPECT_EQ(tag.HWModBitMask, 0xF0u);
    EXPECT_EQ(tag.SFRBlockIndex, 2u);
    CDBSFRBlocks blocks(&m_db);
    blocks.Open();
    SpecialFunctionRegisterBlockTag block;
    ReadSfrBlockRecord(block, blocks);
    EXPECT_EQ(block.SFRBlockIndex, 2u);
    EXPECT_STREQ(block.Name, "CPU");
    EXPECT_STREQ(block.Description, "Core registers");
}

} // namespace
