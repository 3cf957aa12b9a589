#include "dbxparser.h"

#include <gtest/gtest.h>
#include <testing/buildpaths.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A tree as text: a number, a 'string', or (operator children...), the trailing empty
// children left out and an empty one before a present one shown as "-".
std::string Show(const CQelDBXNode *node)
{
    if (node == nullptr)
        return "-";
    if (node->Kind == DBX_NODE_NUMBER)
        return std::to_string(node->Value);
    if (node->Kind == DBX_NODE_STRING)
        return "'" + node->Text + "'";
    int count = 4;
    while (count > 0 && node->Child[count - 1] == nullptr)
        --count;
    std::string text = "(" + std::to_string(node->Value);
    for (int i = 0; i < count; ++i)
        text += " " + Show(node->Child[i]);
    return text + ")";
}

std::string ShowParse(CQelDBXParser &parser, const std::string &text)
{
    const CQelDBXNode *root = parser.Parse(text.c_str(), 0);
    return root == nullptr ? "null" : Show(root);
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DBXParser, BuildsTheTreeOfEachTypeForm)
{
    const struct {
        const char *Text;
        const char *Tree;
    } cases[] = {
        {"1", "1"},
        {"2=r2;-32768;32767;", "(276 2 (261 2 -32768 32767))"},
        {"13=13", "(260 13 13)"},
        {"5=ered:0,green:1,;", "(280 5 (265 (284 'red' 0 - (284 'green' 1))))"},
        {"7=s4a:1,0,16;b:2,16,16;;", "(278 7 (263 4 (283 (275 'a' 1) 0 16 (283 (275 'b' 2) 16 16))))"},
        {"8=u2x:1,0,16;;", "(277 8 (263 2 (283 (275 'x' 1) 0 16)))"},
        {"9=ar1;0;9;2", "(279 9 (264 1 0 9 2))"},
        {"10=*2", "(281 10 (266 2))"},
        {"10=&2", "(281 10 (266 2))"},
        {"11=*[n]*2", "(281 11 (267 2))"},
        {"12=&[f]&2", "(281 12 (268 2))"},
        {"13=*[h]*2", "(281 13 (269 2))"},
        {"14=f1", "(282 14 (270 1))"},
        {"15=F[n]F1", "(282 15 (271 1))"},
        {"16=f[f]f1", "(282 16 (272 1))"},
        {"17=f[sn]f1", "(282 17 (273 1))"},
        {"18=F[sf]F1", "(282 18 (274 1))"},
        // Definitions nest wherever a type stands.
        {"20=s4p:21=*[n]*22=f1,0,16;q:23=ar1;0;1;24=e a:0,;,16,16;;",
         "(278 20 (263 4 (283 (275 'p' (281 21 (267 (282 22 (270 1))))) 0 16 "
         "(283 (275 'q' (279 23 (264 1 0 1 (280 24 (265 (284 ' a' 0)))))) 16 16))))"},
        // A brace, a bracket or a lone '=' is skipped, and so is a newline.
        {"[3]\n", "3"},
        {"3=r3;=-1;0;", "(276 3 (261 3 -1 0))"},
    };
    CQelDBXParser parser(1024);
    for (const auto &c : cases)
        EXPECT_EQ(ShowParse(parser, c.Text), c.Tree) << c.Text;
}

TEST(DBXParser, ReadsNumbersIn32BitsWithTheWritersBaseRule)
{
    const struct {
        const char *Text;
        LONG Value;
    } cases[] = {
        {"2147483647", 2147483647},
        {"9999999999", 2147483647},   // ten characters: base 10, saturated
        {"37777777777", 2147483647},  // the octal 32-bit maximum, saturated
        {"00000000177", 127},         // eleven characters: octal
        {"-32768", -32768},
        {"-2147483648", -9020},       // eleven characters: octal digits up to the '8'
        {"-40000000000", -2147483647 - 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ConvertDBXNumber(c.Text, strlen(c.Text)), c.Value) << c.Text;
    CQelDBXParser parser(16);
    EXPECT_EQ(ShowParse(parser, "3=r3;0;37777777777;"), "(276 3 (261 3 0 2147483647))");
}

TEST(DBXParser, RefusesTextsOutsideTheGrammarAndWritesThemToTheErrorFile)
{
    const char *refused[] = {
        "",
        "7=s4a:1,0,16;",               // the structure's closing ';' is missing
        "7=s0;;",                      // no member
        "6=e;",                        // no enumerator
        "(0,1)",                       // a file-number pair
        "1 ",                          // a blank starts a name
        "5=ar1=r1;0;-1;;0;9;2",        // an array with an inline index type
        "1=r1;0;",                     // a bound missing
        "1=xs2:",                      // a cross reference
        "4=*",                         // a pointer to nothing
    };
    CQelDBXParser parser(1024);
    EXPECT_EQ(parser.GetErrorPath(), "") << "made before any error";
    for (const char *text : refused) {
        EXPECT_EQ(parser.Parse(text, 0), nullptr) << text;
        EXPECT_EQ(parser.GetRoot(), nullptr);
        EXPECT_EQ(ReadFile(parser.GetErrorPath()), std::string(text) + "\nparse error\n");
    }
    // A good text afterwards parses as if nothing had failed.
    EXPECT_EQ(ShowParse(parser, "2=r2;0;255;"), "(276 2 (261 2 0 255))");
}

TEST(DBXParser, RefusesNestingBeyondTheBoundWithoutExhaustingTheStack)
{
    auto pointers = [](int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += std::to_string(i + 2) + "=*";
        return text + "1";
    };
    CQelDBXParser parser(1024);
    EXPECT_NE(parser.Parse(pointers(kMaxDBXNesting - 1).c_str(), 0), nullptr);
    EXPECT_EQ(parser.Parse(pointers(kMaxDBXNesting).c_str(), 0), nullptr);
    EXPECT_EQ(parser.Parse(pointers(100000).c_str(), 0), nullptr);
}

TEST(DBXParser, TakesTextsLongerThanItsBufferAndLongMemberLists)
{
    std::string text = "30=s2000";
    for (int i = 0; i < 20000; ++i)
        text += "m" + std::to_string(i) + ":1," + std::to_string(i * 16) + ",16;";
    text += ";";
    CQelDBXParser parser(8);
    const CQelDBXNode *root = parser.Parse(text.c_str(), 0);
    ASSERT_NE(root, nullptr);
    int members = 0;
    for (const CQelDBXNode *member = root->Child[1]->Child[1]; member != nullptr; member = member->Child[3])
        ++members;
    EXPECT_EQ(members, 20000);
    text.pop_back();
    EXPECT_EQ(parser.Parse(text.c_str(), 0), nullptr);
}

TEST(DBXParser, TracesOnlyWhenAskedAndRemovesItsFiles)
{
    std::string tracePath, errorPath;
    {
        CQelDBXParser parser(1024);
        ASSERT_NE(parser.Parse("1", 0), nullptr);
        EXPECT_EQ(parser.GetTracePath(), "");
        ASSERT_NE(parser.Parse("2=*1", 1), nullptr);
        tracePath = parser.GetTracePath();
        EXPECT_NE(tracePath.find("QDBD"), std::string::npos);
        const std::string trace = ReadFile(tracePath);
        EXPECT_NE(trace.find("Reducing via rule 23, -> pointerinfo"), std::string::npos) << trace;
        EXPECT_NE(trace.find("Reducing via rule 1, -> input"), std::string::npos) << trace;
        EXPECT_EQ(parser.Parse("2=*", 0), nullptr);
        errorPath = parser.GetErrorPath();
        EXPECT_NE(errorPath.find("QDBE"), std::string::npos);
    }
    EXPECT_NE(access(tracePath.c_str(), F_OK), 0);
    EXPECT_NE(access(errorPath.c_str(), F_OK), 0);
}

std::vector<std::string> ReadLines(const char *name)
{
    std::ifstream in(std::string(kQelSourceDir) + "/testdata/gnu166/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// gcc's own stabs strings: with their "(file,number)" pairs none is in the grammar; with
// plain numbers the definitions give these trees, and what the grammar has no form for
// (cross references, an array whose index type is defined inline) fails.
TEST(DBXParser, ReadsTheStringsOfARealCompiler)
{
    CQelDBXParser parser(1024);
    const std::vector<std::string> raw = ReadLines("gcc-stabs-raw.txt");
    ASSERT_EQ(raw.size(), 25u);
    for (const std::string &text : raw)
        EXPECT_EQ(parser.Parse(text.c_str(), 0), nullptr) << text;

    const std::vector<std::string> numbered = ReadLines("gcc-stabs-numbered.txt");
    ASSERT_EQ(numbered.size(), 25u);
    const struct {
        size_t Line;
        const char *Tree;
    } cases[] = {
        {1, "null"}, // =xsnode:
        {2, "null"}, // an inline array index type
        {3, "3"},
        {5, "(280 7 (265 (284 'red' 0 - (284 'green' 5 - (284 'blue' -2)))))"},
        {6, "(278 8 (263 4 (283 (275 'ready' (276 16 (261 16 0 2147483647))) 0 1 "
            "(283 (275 'mode' 16) 1 3 (283 (275 'level' 6) 4 4 (283 (275 'rest' 16) 8 8))))))"},
        {7, "(277 9 (263 4 (283 (275 'half' (279 17 (264 11 0 1 (276 18 (261 18 0 65535))))) 0 32 "
            "(283 (275 'whole' (276 19 (261 19 -9020 2147483647))) 0 32 "
            "(283 (275 'bytes' (279 20 (264 11 0 3 (276 21 (261 21 0 255))))) 0 32)))))"},
        {14, "null"}, // =xspoint:
        {15, "(278 23 (263 8 (283 (275 'x' 6) 0 32 (283 (275 'y' 6) 32 32))))"},
        {16, "(279 24 (264 11 0 3 3))"},
        {17, "(279 25 (264 11 0 1 (281 26 (266 12))))"},
        {18, "(276 27 (261 6 8 0))"},
        {20, "(276 28 (261 6 4 0))"},
        {22, "(276 29 (261 29 0 -1))"},
        {24, "(276 30 (261 30 -128 127))"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ShowParse(parser, numbered[c.Line - 1]), c.Tree) << c.Line;
}

// The parser keeps its state in the object: parsers on several threads at once give the
// trees that one gives alone.
TEST(DBXParser, ParsersOnSeveralThreadsGiveTheSameTrees)
{
    const std::vector<std::string> texts = ReadLines("gcc-stabs-numbered.txt");
    std::vector<std::string> alone;
    CQelDBXParser parser(1024);
    for (const std::string &text : texts)
        alone.push_back(ShowParse(parser, text));
    std::vector<std::vector<std::string>> results(4);
    std::vector<std::thread> threads;
    for (auto &result : results) {
        threads.emplace_back([&texts, &result] {
            CQelDBXParser own(16);
            for (int round = 0; round < 50; ++round)
                for (const std::string &text : texts)
                    result.push_back(ShowParse(own, text));
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (const auto &result : results)
        for (size_t i = 0; i < result.size(); ++i)
            ASSERT_EQ(result[i], alone[i % alone.size()]);
}

} // namespace
