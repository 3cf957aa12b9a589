#include "daotestfolder.h"

#include <sqlite3.h>

#include <map>
#include <string>

using namespace qeldaotest;

namespace {

class TableDefTest : public DaoTest {
protected:
    void SetUp() override
    {
        DaoTest::SetUp();
        m_db = NewDatabase();
        CdbTableDef table = m_db.CreateTableDef("Program");
        AddField(table, "ProgramIndex", dbLong, 0, TRUE);
        AddField(table, "Name", dbText, 0, FALSE, TRUE);
        AddField(table, "Source", dbText, 0, TRUE, FALSE);
        AddField(table, "ModifiedTime", dbDate);
        AddField(table, "Analyzed", dbBoolean, 0, TRUE);
        AddIndex(table, "ProgramIndexKey", {"ProgramIndex"}, TRUE, TRUE);
        m_db.TableDefs.Append(table);
        m_rs = m_db.OpenRecordset("Program");
    }
    void TearDown() override
    {
        m_db.Close();
        DaoTest::TearDown();
    }

    void AddProgram(LONG index, const char *source)
    {
        m_rs.AddNew();
        Set(m_rs, "ProgramIndex", index);
        Set(m_rs, "Source", source);
        m_rs.Update();
    }

    CdbDatabase m_db;
    CdbRecordset m_rs;
};

TEST_F(TableDefTest, EveryFieldTypeKeepsItsValue)
{
    m_rs.AddNew();
    Set(m_rs, "ProgramIndex", -5L);
    Set(m_rs, "Name", "C:\\prog\\main.elf");
    Set(m_rs, "Source", "ELF");
    VARIANT date;
    date.vt = VT_DATE;
    date.date = 38000.25;
    m_rs.SetField("ModifiedTime", &date);
    VARIANT yes;
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    m_rs.SetField("Analyzed", &yes);
    m_rs.Update();
    m_rs.MoveFirst();
    EXPECT_EQ(LongOf(m_rs.GetField("ProgramIndex")), -5);
    EXPECT_EQ(TextOf(m_rs.GetField("Name")), "C:\\prog\\main.elf");
    CdbVariant when = m_rs.GetField("ModifiedTime");
    EXPECT_EQ(when.vt, VT_DATE);
    EXPECT_EQ(when.date, 38000.25);
    CdbVariant analyzed = m_rs.GetField("Analyzed");
    EXPECT_EQ(analyzed.vt, VT_BOOL);
    EXPECT_EQ(analyzed.boolVal, VARIANT_TRUE);
}

TEST_F(TableDefTest, LongIsSigned32BitsAndKeepsTheBitsOfAnUnsignedValue)
{
    m_rs.AddNew();
    VARIANT address;
    address.vt = VT_UI4;
    address.ulVal = 0xFFFF0000u;
    m_rs.SetField("ProgramIndex", &address);
    Set(m_rs, "Source", "x");
    m_rs.Update();
    m_rs.MoveFirst();
    EXPECT_EQ(LongOf(m_rs.GetField("ProgramIndex")), -65536);

    m_rs.Edit();
    VARIANT tooBig;
    tooBig.vt = VT_I8;
    tooBig.llVal = 0x100000000LL;
    EXPECT_EQ(JetErrorOf([&] { m_rs.SetField("ProgramIndex", &tooBig); }), 3349);
}

// Code page 1252 bytes of a BSTR, every unit as it stands.
std::string AnsiOf(BSTR text)
{
    std::string bytes(SysStringLen(text), '\0');
    if (!bytes.empty())
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(bytes.size()), bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

TEST_F(TableDefTest, TextsAndNumbersReadAsHeldAreWhatGetValueGivesAndOthersAreLeftToIt)
{
    {
        CdbDatabase db = NewDatabase("odd.mdb");
        CdbTableDef table = db.CreateTableDef("Odd");
        AddField(table, "K", dbLong, 0, TRUE);
        AddField(table, "T", dbText);
        AddField(table, "L", dbLong);
        db.TableDefs.Append(table);
        db.Close();
    }
    // Values a foreign or damaged file may hold beside the plain ones: a text with a zero
    // inside, a fraction, a number or a text that no Long holds.
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(PathOf("odd.mdb").c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "INSERT INTO Odd(K, T, L) VALUES(1, 'text', 7), (2, '', -2147483648), (3, NULL, NULL),"
                           " (4, '42', 2.5), (5, x'61006263', 4294967296), (6, x'E974E9', 'nine')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);

    struct Expected {
        bool text, number, next; // read as held: T, L, and the computed L + 1
    };
    const std::map<LONG, Expected> expected = {
        {1, {true, true, true}},   {2, {true, true, true}},    {3, {false, false, false}},
        {4, {true, false, false}}, {5, {true, false, false}}, {6, {true, false, true}},
    };
    CdbDatabase db = Workspace().OpenDatabase(PathOf("odd.mdb").c_str(), TRUE);
    CdbRecordset rs = db.OpenRecordset("SELECT K, T, L, L + 1 AS Next FROM Odd", dbOpenSnapshot);
    int rows = 0;
    for (; !rs.IsEOF(); rs.MoveNext(), ++rows) {
        const LONG key = LongOf(rs.GetField("K"));
        SCOPED_TRACE(key);
        const Expected &want = expected.at(key);
        CString text("kept");
        CdbField t = rs.Fields["T"];
        ASSERT_EQ(t.GetText(text) != FALSE, want.text);
        if (want.text) {
            CdbVariant value = t.GetValue();
            ASSERT_EQ(value.vt, VT_BSTR);
            EXPECT_EQ(std::string(static_cast<LPCSTR>(text), text.GetLength()), AnsiOf(value.bstrVal));
        } else {
            EXPECT_STREQ(text, "kept");
        }
        for (auto [name, direct] : {std::pair{"L", want.number}, std::pair{"Next", want.next}}) {
            LONG number = 4711;
            CdbField field = rs.Fields[name];
            ASSERT_EQ(field.GetLong(number) != FALSE, direct) << name;
            if (direct)
                EXPECT_EQ(number, LongOf(field.GetValue())) << name;
            else
                EXPECT_EQ(number, 4711) << name;
            // A Long field holds no text to read.
            EXPECT_FALSE(field.GetText(text)) << name;
        }
    }
    EXPECT_EQ(rows, 6);
    // The plain values read as held in a table-type recordset and in an open edit too.
    CdbRecordset table = db.OpenRecordset("Odd", dbOpenTable);
    CString text;
    LONG number = 0;
    ASSERT_TRUE(table.Fields["T"].GetText(text));
    ASSERT_TRUE(table.Fields["L"].GetLong(number));
    EXPECT_STREQ(text, "text");
    EXPECT_EQ(number, 7);
    table.Edit();
    Set(table, "T", "changed");
    Set(table, "L", 8L);
    ASSERT_TRUE(table.Fields["T"].GetText(text));
    ASSERT_TRUE(table.Fields["L"].GetLong(number));
    EXPECT_STREQ(text, "changed");
    EXPECT_EQ(number, 8);
    table.CancelUpdate();
    db.Close();
}

TEST_F(TableDefTest, TextLongerThanItsSizeIsStoredWhole)
{
    std::string demangled(1023, 'd');
    m_rs.AddNew();
    Set(m_rs, "ProgramIndex", 1L);
    Set(m_rs, "Source", demangled.c_str());
    m_rs.Update();
    m_rs.MoveFirst();
    EXPECT_EQ(TextOf(m_rs.GetField("Source")), demangled);
}

TEST_F(TableDefTest, RequiredAndZeroLengthRulesHoldAsInJet)
{
    m_rs.AddNew();
    Set(m_rs, "Source", "x"); // no ProgramIndex
    EXPECT_EQ(JetErrorOf([&] { m_rs.Update(); }), 3314);
    Set(m_rs, "ProgramIndex", 1L);
    Set(m_rs, "Source", "");
    EXPECT_EQ(JetErrorOf([&] { m_rs.Update(); }), 3315);
    Set(m_rs, "Source", "x");
    Set(m_rs, "Name", ""); // allowed to be empty
    m_rs.Update();          // the failed Updates kept the record being added
    EXPECT_EQ(m_rs.GetRecordCount(), 1);
}

TEST_F(TableDefTest, AUniqueIndexRefusesADuplicate)
{
    AddProgram(1, "a");
    m_rs.AddNew();
    Set(m_rs, "ProgramIndex", 1L);
    Set(m_rs, "Source", "b");
    EXPECT_EQ(JetErrorOf([&] { m_rs.Update(); }), 3022);
    CdbLastOLEError error;
    EXPECT_STREQ(error.GetSource(), "DAO.Recordset");
}

TEST_F(TableDefTest, TextComparesBlindToCaseInUniqueIndexes)
{
    CdbTableDef table = m_db.CreateTableDef("SourceFiles");
    AddField(table, "EntryInFile", dbText, 0, TRUE);
    AddIndex(table, "EntryInFileKey", {"EntryInFile"}, FALSE, TRUE);
    m_db.TableDefs.Append(table);
    CdbRecordset rs = m_db.OpenRecordset("SourceFiles");
    rs.AddNew();
    Set(rs, "EntryInFile", "C:\\Src\\Main.c");
    rs.Update();
    rs.AddNew();
    Set(rs, "EntryInFile", "c:\\src\\main.C");
    EXPECT_EQ(JetErrorOf([&] { rs.Update(); }), 3022);
}

TEST_F(TableDefTest, IndexNamesNeedOnlyBeUniquePerTable)
{
    for (const char *name : {"Sections", "SourceLines"}) {
        CdbTableDef table = m_db.CreateTableDef(name);
        AddField(table, "SectionIndex", dbLong, 0, TRUE);
        AddIndex(table, "SectionIndexKey", {"SectionIndex"});
        m_db.TableDefs.Append(table);
    }
    CdbRecordset rs = m_db.OpenRecordset("SourceLines");
    rs.SetIndex("SectionIndexKey");
}

TEST_F(TableDefTest, NamesAreCheckedAsJetChecksThem)
{
    CdbTableDef again = m_db.CreateTableDef("PROGRAM");
    AddField(again, "X", dbLong);
    EXPECT_EQ(JetErrorOf([&] { m_db.TableDefs.Append(again); }), 3010);

    CdbTableDef twice = m_db.CreateTableDef("Twice");
    AddField(twice, "X", dbLong);
    EXPECT_EQ(JetErrorOf([&] { AddField(twice, "x", dbText); }), 3191);

    CdbTableDef dotted = m_db.CreateTableDef("A.B");
    AddField(dotted, "X", dbLong);
    EXPECT_EQ(JetErrorOf([&] { m_db.TableDefs.Append(dotted); }), 3125);

    CdbTableDef empty = m_db.CreateTableDef("Empty");
    EXPECT_EQ(JetErrorOf([&] { m_db.TableDefs.Append(empty); }), 3264);

    CdbTableDef memo = m_db.CreateTableDef("Memo");
    EXPECT_EQ(JetErrorOf([&] { memo.CreateField("M", 12, 0); }), 3259);

    CdbTableDef badIndex = m_db.CreateTableDef("BadIndex");
    AddField(badIndex, "X", dbLong);
    AddIndex(badIndex, "Key", {"Y"});
    EXPECT_EQ(JetErrorOf([&] { m_db.TableDefs.Append(badIndex); }), 3265);
    // The failed definitions made nothing.
    EXPECT_EQ(JetErrorOf([&] { m_db.OpenRecordset("BadIndex"); }), 3078);
}

TEST_F(TableDefTest, ADefaultValueFillsANewRecord)
{
    CdbTableDef table = m_db.CreateTableDef("Defaults");
    CdbField count = table.CreateField("Count", dbLong, 4);
    count.SetDefaultValue("42");
    table.Fields.Append(count);
    CdbField name = table.CreateField("Name", dbText, 20);
    name.SetDefaultValue("\"none\"");
    name.SetAllowZeroLength(TRUE);
    table.Fields.Append(name);
    m_db.TableDefs.Append(table);
    CdbRecordset rs = m_db.OpenRecordset("Defaults");
    rs.AddNew();
    EXPECT_EQ(LongOf(rs.GetField("Count")), 42);
    EXPECT_EQ(TextOf(rs.GetField("Name")), "none");
    rs.Update();
}

TEST_F(TableDefTest, DefinitionsSurviveReopeningTheFile)
{
    CdbTableDef table = m_db.CreateTableDef("Symbols");
    AddField(table, "SymbolIndex", dbLong, dbAutoIncrField, TRUE);
    AddField(table, "Name", dbText);
    AddIndex(table, "SymbolIndexkey", {"SymbolIndex"}, TRUE, TRUE);
    m_db.TableDefs.Append(table);
    m_db.Close();
    m_db = Workspace().OpenDatabase(PathOf("test.mdb").c_str(), TRUE, FALSE, "MS Access");
    CdbRecordset rs = m_db.OpenRecordset("symbols");
    EXPECT_EQ(rs.Fields.GetCount(), 2);
    EXPECT_EQ(rs.Fields["[SymbolIndex]"].GetAttributes() & dbAutoIncrField, dbAutoIncrField);
    EXPECT_EQ(rs.Fields["Name"].GetType(), dbText);
    rs.SetIndex("SymbolIndexKey");
}

TEST_F(TableDefTest, AnIndexAppendedToATableThatHoldsRowsOrdersThemAndStaysWithTheFile)
{
    AddProgram(3, "c");
    AddProgram(1, "a");
    AddProgram(2, "b");
    CdbTableDef existing = m_db.TableDefs["[program]"];
    AddIndex(existing, "SourceKey", {"Source"});
    auto sources = [](CdbRecordset &rs) {
        std::string order;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            order += TextOf(rs.GetField("Source"));
        return order;
    };
    CdbRecordset rs = m_db.OpenRecordset("Program");
    rs.SetIndex("SourceKey");
    EXPECT_EQ(sources(rs), "abc");
    CdbVariant key("b");
    rs.Seek("=", 1, &key);
    ASSERT_FALSE(rs.GetNoMatch());
    EXPECT_EQ(LongOf(rs.GetField("ProgramIndex")), 2);

    // What Jet refuses leaves the table as it was: a unique index over duplicates, a
    // second primary key, a name taken, a field or table that is not there.
    AddProgram(4, "a");
    EXPECT_EQ(JetErrorOf([&] { AddIndex(existing, "UniqueSource", {"Source"}, FALSE, TRUE); }), 3022);
    EXPECT_EQ(JetErrorOf([&] { AddIndex(existing, "Primary", {"Name"}, TRUE, TRUE); }), 3251);
    EXPECT_EQ(JetErrorOf([&] { AddIndex(existing, "sourcekey", {"Name"}); }), 3284);
    EXPECT_EQ(JetErrorOf([&] { AddIndex(existing, "Missing", {"Size"}); }), 3265);
    EXPECT_EQ(JetErrorOf([&] { m_db.TableDefs["Nowhere"]; }), 3265);
    EXPECT_EQ(JetErrorOf([&] { rs.SetIndex("UniqueSource"); }), 3015);
    AddProgram(5, "a");

    rs.Close();
    m_rs.Close();
    m_db.Close();
    m_db = Workspace().OpenDatabase(PathOf("test.mdb").c_str(), TRUE, FALSE, "MS Access");
    CdbRecordset again = m_db.OpenRecordset("Program");
    again.SetIndex("SourceKey");
    EXPECT_EQ(sources(again), "aaabc");
}

} // namespace
