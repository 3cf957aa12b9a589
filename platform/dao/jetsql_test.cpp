#include "jetsql.h"

#include "daoconst.h"
#include "daoerror.h"
#include "jetnames.h"

#include <gtest/gtest.h>

#include <map>

using namespace qeldao;

namespace {

class JetSqlTest : public ::testing::Test {
protected:
    JetSqlTest()
    {
        m_catalog.findQuery = [this](std::string_view name, std::string *storedName, std::string *sql) {
            for (const auto &[stored, text] : m_queries) {
                if (SameName(stored, name)) {
                    *storedName = stored;
                    *sql = text;
                    return true;
                }
            }
            return false;
        };
        m_catalog.isTable = [](std::string_view name) {
            return SameName(name, "Sections") || SameName(name, "SourceLines") || SameName(name, "Symbols");
        };
    }

    TranslatedQuery Translate(const std::string &sql, const std::string &name = std::string())
    {
        return TranslateJetSql(sql, name, m_catalog, "DAO.QueryDef");
    }

    LONG ErrorOf(const std::string &sql, const std::string &name = std::string())
    {
        try {
            Translate(sql, name);
        } catch (const CdbException &e) {
            return e.m_hr & 0xFFFF;
        }
        return 0;
    }

    std::map<std::string, std::string> m_queries;
    QueryCatalog m_catalog;
};

TEST_F(JetSqlTest, TheParametersClauseGivesNamesTypesAndNumbers)
{
    TranslatedQuery q = Translate("PARAMETERS [_AddressMode] Long, [_Name] Text ( 255 ); SELECT * FROM Sections "
                                  "WHERE AddressMode=[_AddressMode] AND Name LIKE [_NAME] AND [_addressmode]>0;");
    ASSERT_EQ(q.parameters.size(), 2u);
    EXPECT_EQ(q.parameters[0].name, "_AddressMode");
    EXPECT_EQ(q.parameters[0].type, dbLong);
    EXPECT_EQ(q.parameters[1].type, dbText);
    EXPECT_EQ(q.sql, "SELECT * FROM Sections WHERE AddressMode=?1 AND Name LIKE ?2 AND ?1>0");
}

TEST_F(JetSqlTest, UndeclaredUnderscoreNamesAreParametersToo)
{
    TranslatedQuery q = Translate("SELECT * FROM Symbols WHERE ModulIndex=[_ModulIndex]");
    ASSERT_EQ(q.parameters.size(), 1u);
    EXPECT_EQ(q.parameters[0].type, 0);
    EXPECT_EQ(q.sql, "SELECT * FROM Symbols WHERE ModulIndex=?1");
}

TEST_F(JetSqlTest, BracketsStringsAndJetsOwnFormsBecomeSqlitesForms)
{
    EXPECT_EQ(Translate("SELECT [SourceLines].[Length] FROM [SourceLines] WHERE x=\"a\"\"b\" & 'c'").sql,
              "SELECT \"SourceLines\".\"Length\" FROM \"SourceLines\" WHERE x='a\"b' || 'c'");
    EXPECT_EQ(Translate("PARAMETERS [_ModulIndex] Long; DELETE * FROM Types WHERE ModulIndex= [_ModulIndex];").sql,
              "DELETE FROM Types WHERE ModulIndex= ?1");
    EXPECT_EQ(Translate("SELECT * FROM T WHERE Analyzed=True OR Analyzed=False").sql,
              "SELECT * FROM T WHERE Analyzed=-1 OR Analyzed=0");
}

TEST_F(JetSqlTest, StoredQueriesBecomeCommonTableExpressionsWithTheirParameters)
{
    m_queries["SectionByAddress"] = "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Sections "
                                    "WHERE AddressMode = [_AddressMode] AND AddressValue <= [_AddressValue];";
    m_queries["$ModulByAddress"] = "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT M.Name FROM M, "
                                   "SectionByAddress WHERE M.S=[SectionByAddress].SectionIndex;";
    TranslatedQuery q = Translate("SELECT [$ModulByAddress].Name FROM [$ModulByAddress], sectionbyaddress "
                                  "WHERE [_AddressValue] > 0");
    ASSERT_EQ(q.parameters.size(), 2u);
    EXPECT_EQ(q.parameters[1].name, "_AddressValue");
    EXPECT_EQ(q.parameters[1].type, dbLong); // declared by the inner query
    EXPECT_EQ(q.sql, "WITH \"SectionByAddress\" AS (SELECT * FROM Sections WHERE AddressMode = ?1 AND "
                     "AddressValue <= ?2), \"$ModulByAddress\" AS (SELECT M.Name FROM M, \"SectionByAddress\" "
                     "WHERE M.S=\"SectionByAddress\".SectionIndex) SELECT \"$ModulByAddress\".Name FROM "
                     "\"$ModulByAddress\", \"SectionByAddress\" WHERE ?2 > 0");
}

TEST_F(JetSqlTest, AQueryThatNamesItselfIsACircularReference)
{
    m_queries["A"] = "SELECT * FROM B";
    m_queries["B"] = "SELECT * FROM A";
    EXPECT_EQ(ErrorOf("SELECT * FROM B", "A"), 3103);
}

TEST_F(JetSqlTest, StoredQueriesNestTooDeeplyForJetAtSomePoint)
{
    for (int i = 0; i < 200; ++i)
        m_queries["Q" + std::to_string(i)] = "SELECT * FROM Q" + std::to_string(i + 1);
    m_queries["Q200"] = "SELECT * FROM Sections";
    EXPECT_EQ(ErrorOf("SELECT * FROM Q0"), 3360);
    EXPECT_EQ(ErrorOf("SELECT * FROM Q180"), 0);
}

TEST_F(JetSqlTest, SharedColumnNamesGetTheNamesOfTheirSources)
{
    TranslatedQuery q = Translate("SELECT [$M].[Name], [SourceFiles].[Name], [SourceFiles].[EntryInFile], "
                                  "SourceLines.SourceLine, F.SourceLine FROM X");
    EXPECT_EQ(q.sql, "SELECT \"$M\".\"Name\" AS \"$M.Name\", \"SourceFiles\".\"Name\" AS \"SourceFiles.Name\", "
                     "\"SourceFiles\".\"EntryInFile\", SourceLines.SourceLine AS \"SourceLines.SourceLine\", "
                     "F.SourceLine AS \"F.SourceLine\" FROM X");
}

TEST_F(JetSqlTest, APlainSelectOfOneTableHasAKeyedForm)
{
    TranslatedQuery q = Translate("PARAMETERS [_S] Long; SELECT * FROM SourceLines WHERE SourceFileIndex=[_S] "
                                  "ORDER BY AddressValue;");
    EXPECT_EQ(q.baseTable, "SourceLines");
    EXPECT_EQ(q.keyedSql, "SELECT \"SourceLines\".rowid, * FROM SourceLines WHERE SourceFileIndex=?1 ORDER BY "
                          "AddressValue");
    EXPECT_TRUE(Translate("SELECT * FROM SourceLines, Sections").keyedSql.empty());
    EXPECT_TRUE(Translate("SELECT MIN(SourceLine) FROM SourceLines").keyedSql.empty());
    EXPECT_TRUE(Translate("SELECT DISTINCT SourceLine FROM SourceLines").keyedSql.empty());
    m_queries["Q"] = "SELECT * FROM Sections";
    EXPECT_TRUE(Translate("SELECT * FROM Q").keyedSql.empty());
}

TEST_F(JetSqlTest, MalformedTextsAreSyntaxErrors)
{
    EXPECT_EQ(ErrorOf("SELECT * FROM Sections; SELECT 1"), 3142);
    EXPECT_EQ(ErrorOf("SELECT * FROM [Sections"), 3075);
    EXPECT_EQ(ErrorOf("SELECT 'abc FROM Sections"), 3075);
    EXPECT_EQ(ErrorOf("PARAMETERS [_A] Long SELECT 1"), 3075);
    EXPECT_EQ(ErrorOf("PARAMETERS [_A] Currency; SELECT 1"), 3075);
    EXPECT_EQ(ErrorOf(""), 3075);
}

} // namespace
