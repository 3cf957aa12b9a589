// The writers' rows read back through the readers' recordsets, field by field.
#include "tagreaders.h"

#include "nameencoding.h"
#include "qelquerydef.h"
#include "sectionwriter.h"
#include "symbolwriters.h"
#include "symdbtesting.h"

namespace {

class TagReadersTest : public symdbtest::SymbolDatabaseTest {};

TEST_F(TagReadersTest, ASectionWrittenIsReadWithItsNumber)
{
    SectionTag section;
    section.Type = 1;
    section.AddressMode = 1;
    section.AddressValue = 0xA0000000;
    section.Length = 0x400;
    section.Name = ".text";
    {
        CDBSectionsBinary rs(m_db);
        WriteSectionRecord(4, section, rs);
    }
    CDBSections rs(m_db);
    rs.Open();
    _SectionTag tag;
    FromRecord(tag, rs);
    EXPECT_EQ(tag.Type, 1);
    EXPECT_EQ(tag.AddressMode, 1u);
    EXPECT_EQ(tag.AddressValue, 0xA0000000u);
    EXPECT_EQ(tag.Length, 0x400u);
    EXPECT_STREQ(tag.Name, ".text");
    EXPECT_EQ(tag.SectionIndex, 4);
}

TEST_F(TagReadersTest, ASourceFileWithoutALineHasNoneInItsLineFields)
{
    CDBSourceFiles rs(m_db);
    rs.AddNew();
    rs.m_SourceFileIndex = 1;
    rs.m_Type = 1000;
    rs.m_Name = "main.c";
    rs.m_EntryInFile = "/src/main.c";
    rs.Update();
    rs.MoveFirst();
    SourceFileTag tag;
    FromRecord(tag, rs);
    EXPECT_STREQ(tag.Name, "main.c");
    EXPECT_EQ(tag.Type, 1000);
    EXPECT_STREQ(tag.EntryInFile, "/src/main.c");
    EXPECT_EQ(tag.SourceLine, -1);
    EXPECT_EQ(tag.AddressMode, 0xFFFFFFFFu);
    EXPECT_EQ(tag.AddressValue, 0xFFFFFFFFu);
    EXPECT_EQ(tag.AddressExtra, 0xFFFFFFFFu);
    EXPECT_EQ(tag.Length, 0xFFFFFFFFu);
}

TEST_F(TagReadersTest, LinesFunctionsVariablesAndLabelsComeWithTheirFields)
{
    _SourceLineTag written;
    written.SourceLine = 12;
    written.AddressMode = 2;
    written.AddressValue = 0x1010;
    written.Length = 6;
    written.SectionIndex = 2;
    CDBSourceLines lines(m_db);
    lines.AddNew();
    ToRecord(written, lines);
    lines.m_SourceFileIndex = 1;
    lines.Update();
    lines.MoveFirst();
    EXPECT_EQ(lines.m_SourceFileIndex, 1);
    _SourceLineTag line;
    FromRecord(line, lines);
    EXPECT_EQ(line.SourceLine, 12);
    EXPECT_EQ(line.AddressMode, 2u);
    EXPECT_EQ(line.AddressValue, 0x1010u);
    EXPECT_EQ(line.Length, 6u);
    EXPECT_EQ(line.SectionIndex, 2);

    CDBFunctions functions(m_db);
    functions.AddNew();
    functions.m_FunctionIndex = 1;
    functions.m_Name = "main";
    EncodeNameString("main", functions.m_NameString);
    functions.m_AddressMode = 1;
    functions.m_AddressValue = 0x1000;
    functions.m_Length = 0x40;
    functions.m_ReturnType = 0x40010;
    functions.m_Scope = -1;
    functions.m_CallType = 2;
    functions.Update();
    functions.MoveFirst();
    FunctionTag function;
    FromRecord(function, functions);
    EXPECT_STREQ(function.Name, "main");
    EXPECT_EQ(function.AddressValue, 0x1000u);
    EXPECT_EQ(function.Length, 0x40u);
    EXPECT_EQ(function.ReturnType, 0x40010);
    EXPECT_EQ(function.Scope, -1);
    EXPECT_EQ(function.CallType, 2);

    CDBSymbolInfo symbols(m_db);
    WriteLocalStaticSymbol({1, "count", 7, {0x10, 1, 0x2000, 0, 44, 55}}, symbols, FALSE);
    WriteGlobalLabelSymbol({1, "start", -1, {3, 1, 0x1000, 8}}, symbols);
    symbols.MoveFirst();
    _VariableTag variable;
    variable.SizeInBits = 16;
    FromRecord(variable, symbols);
    EXPECT_STREQ(variable.Name, "count");
    EXPECT_EQ(variable.SymbolID, 3);
    EXPECT_GT(variable.SymbolIndex, 0);
    EXPECT_EQ(variable.TypeIndex, (1 << 18) | 0x10);
    EXPECT_EQ(variable.AddressMode, 1u);
    EXPECT_EQ(variable.AddressValue, 0x2000u);
    EXPECT_EQ(variable.AddressExtra, 0u);
    EXPECT_EQ(variable.ScopeIndex, 7);
    EXPECT_EQ(variable.Data_5, 44);
    EXPECT_EQ(variable.Data_6, 55);
    VariableTag handedOut;
    variable.CopyTo(handedOut);
    EXPECT_EQ(handedOut.SizeInBits, 0);
    EXPECT_STREQ(handedOut.Name, "count");
    EXPECT_EQ(handedOut.SymbolIndex, variable.SymbolIndex);

    symbols.MoveNext();
    LabelTag label;
    FromRecord(label, symbols);
    EXPECT_STREQ(label.Name, "start");
    EXPECT_EQ(label.AddressMode, 1u);
    EXPECT_EQ(label.AddressValue, 0x1000u);
    EXPECT_EQ(label.AddressExtra, 8u);
    EXPECT_EQ(label.Size, 3);
}

TEST_F(TagReadersTest, ALocationWithoutALineStillNamesItsSection)
{
    SectionTag section;
    section.Type = 3;
    section.AddressValue = 0x8000;
    section.Length = 0x100;
    section.Name = ".data";
    {
        CDBSectionsBinary rs(m_db);
        WriteSectionRecord(1, section, rs);
    }
    CQelQueryDef q(m_db);
    q.Open("LocationByAddress");
    q.SetParameter("_AddressMode", CdbVariant(1L));
    q.SetParameter("_AddressValue", CdbVariant(0x8010L));
    CDBLocation rs(m_db);
    rs.OpenQueryDef(q);
    ASSERT_FALSE(rs.IsEOF());
    LocationTag tag;
    FromRecord(tag, rs);
    EXPECT_TRUE(tag.Name.IsEmpty());
    EXPECT_TRUE(tag.EntryInFile.IsEmpty());
    EXPECT_STREQ(tag.SectionName, ".data");
    EXPECT_EQ(tag.SectionType, 3);
    EXPECT_EQ(tag.SectionAddressValue, 0x8000u);
    EXPECT_EQ(tag.SectionLength, 0x100u);
}

} // namespace
