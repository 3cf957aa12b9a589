#include "varedstatements.h"

#include <debugserver.h>
#include <symdbtesting.h>

#include "varedtesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A statement as "function : variable = value".
std::vector<std::string> Statements(const CVarEdStatements &statements)
{
    std::vector<std::string> texts;
    for (const tagVarEdRecord &r : statements.GetRecords())
        texts.push_back(std::string(r.FunctionName) + " : " + std::string(r.VariableName) + " = " +
                        std::string(r.ValueName));
    return texts;
}

// Parses `text` from a buffer of exactly its length, so that a read past the end is
// caught by the sanitizers.
int Parse(CVarEdStatements &statements, const std::string &text, CString *line)
{
    const std::vector<BYTE> bytes(text.begin(), text.end());
    return statements.Parse(bytes.data(), static_cast<DWORD>(bytes.size()), line);
}

TEST(VarEdParse, TheValidSampleGivesEveryStatementWhateverItsCommentsBlanksAndLineEnds)
{
    const std::vector<BYTE> section = VarEdSection("vared-valid.elf");
    ASSERT_FALSE(section.empty());
    ASSERT_NE(section.back(), '\0') << "the section carries no terminating zero";
    CVarEdStatements statements;
    CString line = "old";
    ASSERT_EQ(statements.Parse(section.data(), static_cast<DWORD>(section.size()), &line), 1) << line;
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_EQ(Statements(statements), (std::vector<std::string>{"motor_task : motor_speed = motor_limit",
                                                                 "pump_task : pump_level = pump_limit",
                                                                 "fan_task : motor_speed = fan_step",
                                                                 "fan_task : pump_level = fan_step"}));
    for (const tagVarEdRecord &r : statements.GetRecords()) {
        EXPECT_EQ(r.FunctionAddress, -1);
        EXPECT_EQ(r.FunctionLength, -1);
        EXPECT_EQ(r.VariableIndex, -1);
        EXPECT_EQ(r.ValueIndex, -1);
        EXPECT_EQ(r.ValueMode, -1);
    }
}

TEST(VarEdParse, TextsThatAreStatements)
{
    const struct {
        const char *text;
        size_t statements;
    } cases[] = {
        {"", 0},
        {" \t\n\r\n# nothing but a comment\n/* and\n another */\n", 0},
        {"f : a = b ; # a comment after the statement\n", 1},
        {"f : a = b ; /* a comment after the statement */\n", 1},
        {"_f1:_a2=b_3;", 1},
        // The statement after a line end, whichever the line end is.
        {"f:a=b;\ng:c=d;\n", 2},
        {"f:a=b;\rg:c=d;\r", 2},
        {"f:a=b;\r\ng:c=d;\r\n", 2},
        {"f:a=b;  \t\ng:c=d;", 2},
        // A run of stars ends a block comment as one star does.
        {"/** stars **/ f:a=b;\n/***/\n", 1},
        // A line comment may end with the text.
        {"f:a=b;\n# the end", 1},
        {"f:a=b; # the end", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        CVarEdStatements statements;
        CString line;
        EXPECT_EQ(Parse(statements, c.text, &line), 1) << line;
        EXPECT_EQ(statements.GetRecords().size(), c.statements);
    }
}

TEST(VarEdParse, ASyntaxErrorKeepsNoStatementAndGivesItsLineWithTabsAsBlanks)
{
    const struct {
        const char *text;
        const char *line;
    } cases[] = {
        {"f : a = b ; g : c = d ;\n", "f : a = b ; g : c = d ;"}, // a second statement on the line
        {"f : a = 3 ;", "f : a = 3 ;"},                            // the value must be a name
        {"f : a\n = b ;\n", "f : a"},                              // a statement over two lines
        {"f:a=b;\r\n\tg\t: c = 3;\r\nh:d=e;\n", " g : c = 3;"},
        {"f g : a = b ;", "f g : a = b ;"},
        {"f : a b = c ;", "f : a b = c ;"},
        {"f : a = b c ;", "f : a = b c ;"},
        {" : a = b ;", " : a = b ;"},
        {"f : = b ;", "f : = b ;"},
        {"f : a = ;", "f : a = ;"},
        {"9f : a = b ;", "9f : a = b ;"},
        {"f : a = b", "f : a = b"}, // the text ends inside the statement
        {"f : a == b ;", "f : a == b ;"},
        {"f /* x */ : a = b ;", "f /* x */ : a = b ;"},
        {"/ f : a = b ;", "/ f : a = b ;"},
        {"f:a=b;\n/* never\nclosed *", "closed *"}, // the text ends inside a comment
        {"f:a=b;\n/* never\nclosed\n", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        CVarEdStatements statements;
        ASSERT_EQ(Parse(statements, "f:a=b;", nullptr), 1);
        CString line;
        EXPECT_EQ(Parse(statements, c.text, &line), 0);
        EXPECT_STREQ(line, c.line);
        EXPECT_TRUE(statements.IsEmpty());
    }
}

TEST(VarEdParse, TheTextEndsAtTheSectionsSizeOrAtAZeroByte)
{
    const char text[] = "f:a=b;\ng:c=d;";
    CVarEdStatements statements;
    // The second statement lies past the size given.
    EXPECT_EQ(statements.Parse(reinterpret_cast<const BYTE *>(text), 7, nullptr), 1);
    EXPECT_EQ(Statements(statements), std::vector<std::string>{"f : a = b"});
    // A tool's terminating zero ends the text, and what follows it is not read.
    const BYTE zeroEnded[] = "f:a=b;\n\0garbage";
    EXPECT_EQ(statements.Parse(zeroEnded, sizeof zeroEnded, nullptr), 1);
    EXPECT_EQ(Statements(statements), std::vector<std::string>{"f : a = b"});
    // A statement cut off by the size is incomplete.
    CString line;
    EXPECT_EQ(statements.Parse(reinterpret_cast<const BYTE *>(text), 12, &line), 0);
    EXPECT_STREQ(line, "g:c=d");
    EXPECT_EQ(statements.Parse(nullptr, 0, nullptr), 1);
    EXPECT_TRUE(statements.IsEmpty());
}

TEST(VarEdResolve, NamesResolveEveryStatementThatNamesThemCaseSensitively)
{
    CVarEdStatements statements;
    ASSERT_EQ(Parse(statements, "f : a = b ;\ng : a = a ;\nf : c = b ;\n", nullptr), 1);
    EXPECT_TRUE(statements.WantsVariable("a"));
    EXPECT_TRUE(statements.WantsVariable("b")) << "a value variable";
    EXPECT_FALSE(statements.WantsVariable("f")) << "a function";
    EXPECT_FALSE(statements.WantsVariable("A"));

    statements.ResolveFunction("F", 0x100, 8);
    statements.ResolveFunction("f", 0x80000010, 0x20);
    statements.ResolveFunction("f", 0x200, 4); // a second function of the name
    statements.ResolveVariable("a", 7, 0x9000);
    statements.ResolveVariable("b", 9, 0xA0000004);
    statements.ResolveVariable("b", 11, 0x9100); // a second variable of the name
    EXPECT_FALSE(statements.WantsVariable("a"));
    EXPECT_FALSE(statements.WantsVariable("b"));
    EXPECT_TRUE(statements.WantsVariable("c"));

    const std::vector<tagVarEdRecord> &r = statements.GetRecords();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].FunctionAddress, LONG(0x80000010));
    EXPECT_EQ(r[0].FunctionLength, 0x20);
    EXPECT_EQ(r[0].VariableIndex, 7);
    EXPECT_EQ(r[0].ValueIndex, 9);
    EXPECT_EQ(r[0].ValueMode, 1);
    EXPECT_EQ(r[0].ValueAddress, LONG(0xA0000004));
    EXPECT_EQ(r[0].ValueExtra, 0);
    EXPECT_EQ(r[1].FunctionAddress, -1) << "g is not resolved";
    EXPECT_EQ(r[1].VariableIndex, 7);
    EXPECT_EQ(r[1].ValueIndex, 7) << "a is both variable and value";
    EXPECT_EQ(r[1].ValueAddress, 0x9000);
    EXPECT_EQ(r[2].FunctionAddress, LONG(0x80000010));
    EXPECT_EQ(r[2].VariableIndex, -1);
}

// A Symbols row: SymbolID, ModulIndex, ScopeIndex, Name, NameString, Data_1..Data_6.
struct Row {
    LONG symbolId, modul, scope;
    std::string name, nameString;
    std::vector<LONG> data;
    bool operator==(const Row &o) const
    {
        return symbolId == o.symbolId && modul == o.modul && scope == o.scope && name == o.name &&
               nameString == o.nameString && data == o.data;
    }
};

std::ostream &operator<<(std::ostream &out, const Row &r)
{
    out << "{" << r.symbolId << " " << r.modul << " " << r.scope << " '" << r.name << "' '" << r.nameString << "'";
    for (LONG d : r.data)
        out << " " << d;
    return out << "}";
}

class VarEdRowsTest : public symdbtest::SymbolDatabaseTest {
protected:
    void SetUp() override
    {
        SymbolDatabaseTest::SetUp();
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &m_host, m_reports), S_OK);
    }
    void TearDown() override
    {
        m_host.Release();
        SymbolDatabaseTest::TearDown();
    }

    std::vector<Row> Rows()
    {
        std::vector<Row> rows;
        CDBSymbolInfo rs(m_db);
        for (rs.Open(); !rs.IsEOF(); rs.MoveNext())
            rows.push_back({rs.m_SymbolID, rs.m_ModulIndex, rs.m_ScopeIndex, std::string(rs.m_Name),
                            std::string(rs.m_NameString),
                            {rs.m_Data_1, rs.m_Data_2, rs.m_Data_3, rs.m_Data_4, rs.m_Data_5, rs.m_Data_6}});
        return rows;
    }

    std::vector<std::string> Warnings() const
    {
        std::vector<std::string> lines;
        for (const QelHost::HostTraceLine &line : m_reports->TraceLines()) {
            EXPECT_EQ(line.source, "QelSymbolEngine");
            if (line.kind == 1)
                lines.push_back(line.text);
        }
        return lines;
    }

    std::shared_ptr<QelHost::HostReports> m_reports = std::make_shared<QelHost::HostReports>();
    CComPtr<IUnknown> m_host;
};

TEST_F(VarEdRowsTest, ResolvedStatementsBecomeRowsAndUnresolvedOnesAreTracedAndDropped)
{
    // The sample's statements, with brake_task, a function the program lacks.
    const std::vector<BYTE> section = VarEdSection("vared-valid.elf");
    const std::string text = std::string(section.begin(), section.end()) + "\nbrake_task : motor_speed = pump_limit ;";
    CVarEdStatements statements;
    ASSERT_EQ(Parse(statements, text, nullptr), 1);
    // As arm-none-eabi-nm -S shows the functions, with the SymbolIndex of each variable
    // row the globals pass wrote.
    statements.ResolveFunction("motor_task", 0x8000, 0x58);
    statements.ResolveFunction("pump_task", 0x8058, 0x64);
    statements.ResolveFunction("fan_task", 0x80bc, 0x3c);
    statements.ResolveVariable("fan_step", 40, 0x911c);
    statements.ResolveVariable("motor_limit", 31, 0x9114);
    statements.ResolveVariable("motor_speed", 30, 0x9110);
    statements.ResolveVariable("pump_level", 22, 0x9120);
    statements.ResolveVariable("pump_limit", 23, 0x9118);

    CDBSymbolInfo rs(m_db);
    CQelDiagHelper diag(m_host, "QelSymbolEngine", nullptr);
    statements.WriteRows(rs, diag);

    auto row = [](LONG id, std::vector<LONG> data) { return Row{id, -1, -1, "", "", data}; };
    EXPECT_EQ(Rows(), (std::vector<Row>{
                          row(17, {30, 1, 0x9114, 0, 0x8000, 0x58}), // motor_task : motor_speed = motor_limit
                          row(17, {22, 1, 0x9118, 0, 0x8058, 0x64}), // pump_task : pump_level = pump_limit
                          row(17, {30, 1, 0x911c, 0, 0x80bc, 0x3c}), // fan_task : motor_speed = fan_step
                          row(17, {22, 1, 0x911c, 0, 0x80bc, 0x3c}), // fan_task : pump_level = fan_step
                          row(15, {22, -1, -1, -1, -1, -1}),
                          row(15, {30, -1, -1, -1, -1, -1}),
                          row(16, {23, -1, -1, -1, -1, -1}),
                          row(16, {31, -1, -1, -1, -1, -1}),
                          row(16, {40, -1, -1, -1, -1, -1}),
                      }));
    EXPECT_EQ(Warnings(), std::vector<std::string>{"Function \"brake_task\" not found. - Ignore VarEd-Statement "
                                                   "\"brake_task : motor_speed = pump_limit\"."});
}

TEST_F(VarEdRowsTest, EachNameNotFoundIsTracedOnce)
{
    CVarEdStatements statements;
    ASSERT_EQ(Parse(statements, "f : a = a ;\nf : a = b ;\ng : c = b ;\n", nullptr), 1);
    statements.ResolveFunction("f", 0x100, 4);
    statements.ResolveVariable("b", 5, 0x200);
    CDBSymbolInfo rs(m_db);
    CQelDiagHelper diag(m_host, "QelSymbolEngine", nullptr);
    statements.WriteRows(rs, diag);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Warnings(),
              (std::vector<std::string>{
                  "Variable \"a\" not found. - Ignore VarEd-Statement \"f : a = a\".",
                  "Variable \"a\" not found. - Ignore VarEd-Statement \"f : a = b\".",
                  "Function \"g\" not found. - Ignore VarEd-Statement \"g : c = b\".",
                  "Variable \"c\" not found. - Ignore VarEd-Statement \"g : c = b\".",
              }));
}

} // namespace
