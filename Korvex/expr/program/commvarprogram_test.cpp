// The communication variable objects on the watch programs, as the watch and locals
// windows use them (the host's window, hostwatchwindow.h): every global found by name,
// expanded with its members, elements, pointed-to objects and enumerators, shows what
// gdb prints (testdata/elf/watch-format.txt); the locals and parameters of the frames
// show gdb's values, as locals and as expressions; expressions follow the target.
#include "programserver.h"

#include <commvariableobj.h>
#include <commvartesting.h>
#include <hostwatchwindow.h>
#include <symbolprocessing.h>

#include <testing/buildpaths.h>
#include <testing/messagepump.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using QelHost::CHostWatchWindow;

// gdb's answers to one path: format -> answer.
using Answers = std::map<std::string, std::string>;

std::map<std::string, Answers> ReadFormats(const std::string &program)
{
    std::ifstream in(fs::path(kQelSourceDir) / "testdata/elf/watch-format.txt");
    std::map<std::string, Answers> paths;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (fields.size() == 4 && fields[0] == program)
            paths[fields[1]][fields[2]] = fields[3];
    }
    return paths;
}

// "NAME = VALUE" lines of a core's gdb record.
std::map<std::string, std::string> ReadFrame(const std::string &core)
{
    std::ifstream in(fs::path(kQelSourceDir) / "testdata/elf" / (core + ".gdb.txt"));
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(in, line)) {
        size_t equals = line.find(" = ");
        if (equals != std::string::npos && line[0] != '$' && line.find(' ') == equals)
            values[line.substr(0, equals)] = line.substr(equals + 3);
    }
    return values;
}

bool Number(const std::string &text, long double *value)
{
    char *end = nullptr;
    *value = std::strtold(text.c_str(), &end);
    return end != text.c_str();
}

bool Hex(const std::string &text, unsigned long long *value)
{
    size_t at = text.find("0x");
    if (at == std::string::npos)
        return false;
    *value = std::strtoull(text.c_str() + at + 2, nullptr, 16);
    return true;
}

std::string HexText(unsigned long long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", value);
    return text;
}

class CommVarProgramTest : public ProgramServerTest {
protected:
    void TearDown() override
    {
        m_window.reset();
        ProgramServerTest::TearDown();
    }

    // Loads the program (and the core) into the server and the target, and opens a window.
    void Load(const std::string &program, const std::string &core = "")
    {
        m_window.reset();
        LoadProgram("elf/" + program, true, core.empty() ? core : "elf/" + core);
        if (HasFatalFailure())
            return;
        m_window = std::make_unique<CHostWatchWindow>(m_host, CreateCommVariableObject);
        ASSERT_TRUE(m_window->Open());
    }

    std::string Value(LONG item) { return m_window->ItemString(item, 1); }

    // The item's value text in format `name`; "" when it does not offer it.
    std::string ValueAs(LONG item, const std::string &name)
    {
        CComPtr<IQelCommVariableObj> object = m_window->ObjectOf(item);
        CComVariant names, values;
        object->GetDisplayFormats(item, &names, &values);
        if (names.vt != (VT_ARRAY | VT_BSTR))
            return "";
        for (LONG i = 0; i < static_cast<LONG>(names.parray->rgsabound[0].cElements); i += 2) {
            CComBSTR text;
            LONG index = -1;
            SafeArrayGetElement(names.parray, &i, &text.m_str);
            SafeArrayGetElement(values.parray, &i, &index);
            if (std::string(CString(text.m_str)) == name) {
                object->SetDisplayFormat(item, index);
                std::string shown = Value(item);
                object->SetDisplayFormat(item, 0);
                return shown;
            }
        }
        return "";
    }

    // Checks an item against gdb's answers to its path, then its children: a member by
    // `prefix` (the item's path and "." or, behind a pointer, "->"), an element by its
    // index, a pointed-to object as "*" and the pointer's path.
    void Walk(LONG item, const std::string &path, const std::string &prefix,
              const std::map<std::string, Answers> &oracle)
    {
        std::vector<LONG> children = m_window->Tree()->Children(item);
        const bool pointer = children.size() == 1 && m_window->ItemString(children[0], 0).rfind('*', 0) == 0;
        auto found = oracle.find(path);
        if (found != oracle.end())
            Check(item, path, pointer, !children.empty(), found->second);
        const std::string shownName = m_window->ItemString(item, 10);
        for (LONG child : children) {
            const std::string name = m_window->ItemString(child, 0);
            if (pointer) {
                Walk(child, "*" + path, path + "->", oracle);
            } else if (name.rfind(shownName + "[", 0) == 0) {
                const std::string element = path + name.substr(shownName.size());
                Walk(child, element, element + ".", oracle);
            } else {
                Walk(child, prefix + name, prefix + name + ".", oracle);
            }
        }
    }

    void Check(LONG item, const std::string &path, bool pointer, bool aggregate, const Answers &answers)
    {

        SCOPED_TRACE(path);
        const std::string type = answers.count("type") ? answers.at("type") : "";
        const std::string value = answers.count("value") ? answers.at("value") : "";
        const std::string shown = Value(item);
        unsigned long long hex = 0;
        long double number = 0, got = 0;
        if (value.find("optimized out") != std::string::npos)
            return;
        if (pointer || (!type.empty() && type.back() == '*')) {
            ASSERT_TRUE(Hex(value, &hex)) << value;
            std::string expected = HexText(hex);
            size_t quote = value.find('"');
            if (quote != std::string::npos && shown.find("  ->  ") != std::string::npos) {
                std::string text = value.substr(quote + 1, value.rfind('"') - quote - 1);
                if (text.size() >= 32)
                    text = text.substr(0, 28) + "...";
                expected += "  ->  \"" + text + "\"";
            }
            EXPECT_EQ(shown, expected);
        } else if (aggregate && !ValueAs(item, "hexadecimal").size()) {
            ASSERT_TRUE(answers.count("addr"));
            ASSERT_TRUE(Hex(answers.at("addr"), &hex));
            EXPECT_EQ(shown, HexText(hex));
        } else if (type == "float" || type == "double") {
            double real = std::strtod(value.c_str(), nullptr);
            if (type == "float")
                real = static_cast<float>(real);
            char compact[64];
            std::snprintf(compact, sizeof compact, "%g", real);
            EXPECT_EQ(shown, compact);
        } else if (type.rfind("enum", 0) == 0) {
            if (Number(value, &number)) {
                ASSERT_TRUE(Hex(shown, &hex)) << shown;
                EXPECT_EQ(static_cast<uint32_t>(hex), static_cast<uint32_t>(static_cast<long long>(number)));
            } else {
                EXPECT_NE((", " + shown + ", ").find(", " + value + ", "), std::string::npos) << shown;
            }
        } else {
            ASSERT_TRUE(Number(value, &number)) << value;
            const std::string decimal = ValueAs(item, "decimal");
            ASSERT_TRUE(Number(decimal, &got)) << decimal;
            // Kept where gdb differs: a signed bit field of width 1 shows its bit as 1.
            if (!(number == -1 && got == 1 && path.find("s1") != std::string::npos)) {
                EXPECT_EQ(got, number);
            }
            if (number >= 0 && answers.count("x")) {
                unsigned long long expected = 0;
                ASSERT_TRUE(Hex(answers.at("x"), &expected));
                ASSERT_TRUE(Hex(ValueAs(item, "hexadecimal"), &hex));
                EXPECT_EQ(hex, expected);
            }
        }
        ++m_checked;
    }

    std::unique_ptr<CHostWatchWindow> m_window;
    int m_checked = 0;
};

TEST_F(CommVarProgramTest, EveryGlobalExpandedShowsWhatGdbPrints)
{
    for (const char *program : {"watch-O0.elf", "watch-O1.elf"}) {
        SCOPED_TRACE(program);
        ASSERT_NO_FATAL_FAILURE(Load(program));
        const auto oracle = ReadFormats(program);
        m_checked = 0;
        for (const auto &[path, answers] : oracle) {
            if (path.find_first_of(".[*-") == std::string::npos) {
                EXPECT_TRUE(m_window->AddVariable(path + " *")) << path;
            }
        }
        m_window->Expand(5);
        for (LONG root : m_window->Tree()->Children(0))
            Walk(root, m_window->ItemString(root, 0), m_window->ItemString(root, 0) + ".", oracle);
        EXPECT_GT(m_checked, 150) << program; // of about 160 paths
    }
}

TEST_F(CommVarProgramTest, LocalsAndParametersOfTheFramesAreGdbs)
{
    const std::pair<const char *, const char *> frames[] = {{"watch-O0.elf", "watch-O0-frame1.core"},
                                                            {"watch-O0.elf", "watch-O0-frame2.core"},
                                                            {"watch-O0.elf", "watch-O0-thumb1.core"},
                                                            {"watch-O1.elf", "watch-O1-frame1.core"},
                                                            {"watch-O1.elf", "watch-O1-frame2.core"}};
    for (const auto &[program, core] : frames) {
        SCOPED_TRACE(core);
        ASSERT_NO_FATAL_FAILURE(Load(program, core));
        const auto gdb = ReadFrame(core);
        ASSERT_GT(m_window->AddLocals(), 0);
        for (const auto &[name, answer] : gdb)
            m_window->AddExpression("?(" + name + ")");
        int checked = 0;
        for (LONG item : m_window->Tree()->Children(0)) {
            std::string name = m_window->ItemString(item, 0);
            if (name.rfind("?(", 0) == 0)
                name = name.substr(2, name.size() - 3);
            auto found = gdb.find(name);
            if (found == gdb.end() || found->second.find("optimized out") != std::string::npos ||
                found->second[0] == '{' || found->second.rfind("LEVEL", 0) == 0)
                continue;
            SCOPED_TRACE(name);
            const std::string shown = Value(item);
            unsigned long long hex = 0;
            long double number = 0, got = 0;
            if (found->second.rfind("0x", 0) == 0) {
                ASSERT_TRUE(Hex(found->second, &hex));
                EXPECT_EQ(shown.substr(0, shown.find(' ')), HexText(hex));
            } else {
                ASSERT_TRUE(Number(found->second, &number));
                ASSERT_TRUE(Number(shown, &got)) << shown;
                EXPECT_NEAR(static_cast<double>(got), static_cast<double>(number), std::fabs(1e-5 * number));
            }
            ++checked;
        }
        EXPECT_GT(checked, 2);
    }
}

TEST_F(CommVarProgramTest, ExpressionsFollowTheTargetAndCastsStayValues)
{
    ASSERT_NO_FATAL_FAILURE(Load("watch-O0.elf"));
    m_window->AddExpression("?(chain_ptr->byte_t)");
    m_window->AddExpression("?((float)g_int)");
    m_window->AddExpression("?(\"hex %x\",g_int)");
    const std::vector<LONG> roots = m_window->Tree()->Children(0);
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(Value(roots[0]), "1");
    EXPECT_EQ(m_window->ItemString(roots[0], 101), "int") << "shown as the member it names";
    EXPECT_EQ(m_window->ItemString(roots[0], 0), "chain_ptr->byte_t");
    EXPECT_EQ(Value(roots[1]), "-2.14748e+09");
    EXPECT_EQ(m_window->ItemString(roots[1], 101), "expression") << "a cast computes a value";
    EXPECT_EQ(Value(roots[2]), "hex 80000000");
    EXPECT_EQ(m_window->ItemString(roots[2], 101), "expression") << "a format keeps the expression";

    // chain_ptr moves on to chain[1]: the member follows it.
    ASSERT_TRUE(m_window->AddVariable("chain_ptr *"));
    const LONG pointer = m_window->Tree()->Children(0).back();
    unsigned long long place = 0;
    ASSERT_TRUE(Hex(m_window->ItemString(pointer, 100), &place));
    DWORD next = 0x40000084;
    ASSERT_TRUE(m_target->WriteMemory(QelHost::MemoryPort::Host, static_cast<DWORD>(place), 4,
                                      reinterpret_cast<BYTE *>(&next)));
    m_target->Stop(0x100);
    m_window->RefreshAll();
    EXPECT_EQ(Value(roots[0]), "2");
    EXPECT_EQ(Value(pointer), "0x40000084");
}

TEST_F(CommVarProgramTest, AFunctionBehindAPointerIsNamedByTheTree)
{
    ASSERT_NO_FATAL_FAILURE(Load("watch-O0.elf"));
    CFunctionTagArray functions;
    ASSERT_TRUE(m_client->GetFunctions(m_client->RequestFunctions(0), functions));
    DWORD entry = 0;
    for (int i = 0; i < functions.GetSize(); ++i)
        if (functions[i].Name == "watch_frame")
            entry = functions[i].AddressValue;
    ASSERT_NE(entry, 0u);
    // A code pointer in origin's place, and a variable object for it whose pointed-to
    // member is a function.
    const DWORD place = 0x400000D8;
    ASSERT_TRUE(m_target->WriteMemory(QelHost::MemoryPort::Host, place, 4, reinterpret_cast<BYTE *>(&entry)));
    CComPtr<IUnknown> made;
    ASSERT_EQ(CreateCommVariableObject(&made), S_OK);
    ASSERT_EQ(CComQIPtr<IQelUniCommStub>(made)->SetOwner(m_host), S_OK);
    CComQIPtr<IQelCommVariableObj> object(made);
    QelHost::CHostWatchTree *tree = m_window->Tree();
    ASSERT_EQ(object->CreateVariable(0, CTestArgument::Texts({"handler", "(global)", "void (*)(void)"}, {3, 1}),
                                     CTestArgument::Numbers({9, 5, 3, 77, 2, 1, static_cast<LONG>(place), 0, 32}, {9, 1}),
                                     tree, 0),
              S_OK);
    LONG root = 0;
    object->GetItemHandle(&root);
    ASSERT_EQ(object->AddMembers(root, CTestArgument::Texts({"*%s", "void (void)"}, {2, 1}),
                                 CTestArgument::Numbers({9, 0, 0, 0, 0, 0}, {6, 1})),
              S_OK);
    ASSERT_EQ(object->SetExpanded(root, 1), S_OK);
    CComQIPtr<IQelUniCommStub>(made)->Refresh(0);
    object->UpdateItemText(0);
    tree->RunPending();
    const std::vector<LONG> children = tree->Children(root);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(Value(children[0]), "watch_frame");
}

} // namespace
