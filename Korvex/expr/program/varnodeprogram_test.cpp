// The variable nodes on the watch programs against gdb: for every global, its members,
// elements and the objects its pointers point at (testdata/elf/watch-format.txt), nodes
// are built from the symbol server's 401 and 501 records as the watch builds them, read
// through the simulated target that holds the program's image, and their texts compared
// with what gdb prints:
//   decimal with print/d, hexadecimal with print/x as a number, ASCII with print/c's
//   character, compact and exponential with gdb's value at %g and %e; enumerations name
//   gdb's enumerator; pointers show gdb's address and string (cut to 28 and "...");
//   structures and arrays show the address that print &x gives, and every other node
//   lies there.
// Kept where gdb differs: a signed bit field of width 1 holding 1 shows 1, not -1.
#include "programserver.h"

#include <symbolprocessing.h>
#include <varnodekinds.h>

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

struct Oracle {
    std::string path, format, answer;
};

// The lines of watch-format.txt of one program, by path.
std::map<std::string, std::vector<Oracle>> ReadOracle(const std::string &program)
{
    std::ifstream in(fs::path(kQelSourceDir) / "testdata/elf/watch-format.txt");
    std::map<std::string, std::vector<Oracle>> lines;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (fields.size() == 4 && fields[0] == program)
            lines[fields[1]].push_back({fields[1], fields[2], fields[3]});
    }
    return lines;
}

// The number at the start of gdb's answer, or the first 0x number in it.
bool LeadingNumber(const std::string &answer, long double *value)
{
    const char *text = answer.c_str();
    char *end = nullptr;
    *value = std::strtold(text, &end);
    return end != text;
}

// An integer as the low `bytes` bytes of its two's complement.
unsigned long long Wrapped(long double value, DWORD bytes)
{
    unsigned long long bits = value < 0 ? static_cast<unsigned long long>(static_cast<long long>(value))
                                        : static_cast<unsigned long long>(value);
    return bytes >= 8 ? bits : bits & ((1ull << (8 * bytes)) - 1);
}

bool HexNumber(const std::string &text, unsigned long long *value)
{
    size_t at = text.find("0x");
    if (at == std::string::npos)
        at = text.find("0X");
    if (at == std::string::npos)
        return false;
    *value = std::strtoull(text.c_str() + at + 2, nullptr, 16);
    return true;
}

class VarNodeProgramTest : public ProgramServerTest {
protected:
    void SetUp() override
    {
        ProgramServerTest::SetUp();
        if (!HasFatalFailure()) {
            ASSERT_EQ(m_target->CreateComplexMemory(&m_memory), S_OK);
        }
    }

    void Load(const std::string &program)
    {
        LoadProgram("elf/" + program, true);
    }

    void TearDown() override
    {
        m_memory.Release();
        ProgramServerTest::TearDown();
    }

    // A node of the kind its class asks for, as the watch makes them.
    CQelBasicVarNode *Make(LONG typeClass)
    {
        switch (typeClass & ~0x40000000) {
        case 3: return new CQelPointerVarNode(m_host);
        case 4: return new CQelArrayVarNode(m_host);
        case 5: case 6: case 8: return new CQelStructVarNode(m_host);
        default: return new CQelBasicVarNode(m_host);
        }
    }

    std::vector<MemberTag> Members(LONG typeIndex)
    {
        CMemberTagArray members;
        m_client->GetMembers(m_client->RequestMembersOfType(typeIndex, 0), members);
        std::vector<MemberTag> records;
        for (int i = 0; i < members.GetSize(); ++i)
            records.push_back(members[i]);
        return records;
    }

    // Links the members (or enumerators) of `parent`'s type below it, expanded, and
    // answers them in order; an array gets `count` elements of its element record.
    std::vector<CQelBasicVarNode *> Expand(CQelBasicVarNode *parent)
    {
        std::vector<CQelBasicVarNode *> children;
        if (parent->GetFirstChild() != nullptr) {
            for (CQelBasicVarNode *child = parent->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
                children.push_back(child);
            return children;
        }
        std::vector<MemberTag> members = Members(parent->GetBaseType());
        bool array = parent->GetTypeClass() == 4;
        int count = array && members.size() == 1 ? members[0].Offset : static_cast<int>(members.size());
        CString name;
        for (int i = 0; i < count; ++i) {
            MemberTag tag = members[array ? 0 : i];
            if (array)
                tag.Name = QelFillNamePattern(tag.Name, parent->GetString(10), i);
            CQelBasicVarNode *child = Make(tag.TypeCode);
            child->BuildFromMember(tag);
            child->SetItemHandle(++m_lastHandle);
            bool linked = children.empty() ? parent->LinkChild(parent->GetItemHandle(), child, name)
                                           : children.back()->LinkChild(0, child, name);
            EXPECT_TRUE(linked);
            children.push_back(child);
        }
        parent->SetCollapsed(parent->GetItemHandle(), TRUE);
        return children;
    }

    CQelBasicVarNode *Child(CQelBasicVarNode *parent, const std::string &name, int index)
    {
        std::vector<CQelBasicVarNode *> children = Expand(parent);
        if (index >= 0)
            return index < static_cast<int>(children.size()) ? children[index] : nullptr;
        for (CQelBasicVarNode *child : children)
            if (std::string(child->GetString(0)) == name)
                return child;
        return nullptr;
    }

    // The node tree of `path` ("*a.b[2]->c"), read; the leaf, or NULL with the reason.
    CQelBasicVarNode *Build(const std::string &path, std::unique_ptr<CQelBasicVarNode> *root, std::string *why)
    {
        bool deref = path[0] == '*';
        size_t at = deref ? 1 : 0;
        size_t end = path.find_first_of(".[-", at);
        std::string name = path.substr(at, end == std::string::npos ? std::string::npos : end - at);
        CVariableTagArray variables;
        m_client->GetVariables(m_client->RequestGlobals(name.c_str(), "*", 0), variables);
        if (variables.GetSize() == 0) {
            *why = "no 401 record of " + name;
            return nullptr;
        }
        const VariableTag &variable = variables[0];
        root->reset(Make(variable.TypeCode));
        CQelBasicVarNode *node = root->get();
        node->BuildFromVariable(variable);
        node->SetItemHandle(m_lastHandle = 1);
        at = end;
        while (node != nullptr && at != std::string::npos && at < path.size()) {
            if (path[at] == '[') {
                size_t close = path.find(']', at);
                node = Child(node, "", std::atoi(path.c_str() + at + 1));
                at = close + 1;
                continue;
            }
            if (path.compare(at, 2, "->") == 0) {
                node = Child(node, "", 0);
                at += 2;
            } else {
                at += 1;
            }
            size_t next = path.find_first_of(".[-", at);
            std::string member = path.substr(at, next == std::string::npos ? std::string::npos : next - at);
            if (node != nullptr)
                node = Child(node, member, -1);
            at = next;
        }
        if (node != nullptr && deref)
            node = Child(node, "", 0);
        if (node == nullptr) {
            *why = "no node for a step of " + path;
            return nullptr;
        }
        // What the watch shows with a pointer and an enumeration: the pointed-to object,
        // the enumerators.
        if (node->GetTypeClass() == 3 || node->GetTypeClass() == 7)
            Expand(node);
        (*root)->SetComplexMemory(m_memory);
        (*root)->SetAddress(variable.AddressMode, variable.AddressValue, variable.AddressExtra);
        if (!(*root)->ReadValue(nullptr, FALSE)) {
            *why = "the read failed";
            return nullptr;
        }
        return node;
    }

    static std::string Text(CQelBasicVarNode *node, int format)
    {
        node->SetDisplayFormat(format);
        node->UpdateText(nullptr, FALSE);
        return std::string(node->GetValueText());
    }

    // Checks one line of the oracle; counts the lines checked.
    void Check(CQelBasicVarNode *node, const Oracle &line)
    {
        SCOPED_TRACE(line.path + " " + line.format + " " + line.answer);
        const std::string &answer = line.answer;
        if (answer.find("optimized out") != std::string::npos || answer.find("Cannot") != std::string::npos)
            return;
        DWORD typeClass = node->GetTypeClass();
        long double number = 0;
        unsigned long long hex = 0;
        if (typeClass == 4 || typeClass == 5 || typeClass == 6 || typeClass == 8) {
            if (line.format != "addr")
                return;
            ASSERT_TRUE(HexNumber(answer, &hex));
            char expected[16];
            std::snprintf(expected, sizeof expected, "0x%llX", hex);
            EXPECT_EQ(Text(node, 0), expected);
        } else if (line.format == "addr") {
            // Every other node lies where gdb's &x says.
            ASSERT_TRUE(HexNumber(answer, &hex));
            EXPECT_EQ(node->GetLocation().AddressMode, 1u);
            EXPECT_EQ(node->GetLocation().AddressValue, hex);
        } else if (typeClass == 3) {
            if (line.format != "value")
                return;
            ASSERT_TRUE(HexNumber(answer, &hex));
            char expected[16];
            std::snprintf(expected, sizeof expected, "0x%llX", hex);
            std::string shown = expected;
            size_t quote = answer.find('"');
            if (quote != std::string::npos) {
                std::string text = answer.substr(quote + 1, answer.rfind('"') - quote - 1);
                if (text.size() >= 32)
                    text = text.substr(0, 28) + "...";
                if (!text.empty())
                    shown += "  ->  \"" + text + "\"";
            }
            EXPECT_EQ(Text(node, 0), shown);
        } else if (typeClass == 7) {
            if (line.format != "value")
                return;
            std::string shown = Text(node, 0);
            if (LeadingNumber(answer, &number)) {
                ASSERT_TRUE(HexNumber(shown, &hex)) << shown;
                EXPECT_EQ(static_cast<uint32_t>(hex), static_cast<uint32_t>(static_cast<long long>(number)));
            } else {
                EXPECT_NE((", " + shown + ", ").find(", " + answer + ", "), std::string::npos) << shown;
            }
        } else if (typeClass == 2) {
            DWORD layout = node->GetBitLayout();
            if (line.format == "d") {
                bool widthOneSigned = (layout & 0xFFFF) == 1 && (layout & 0x80000000u) != 0;
                EXPECT_EQ(Text(node, 0), widthOneSigned && answer == "-1" ? "1" : answer);
            } else if (line.format == "x") {
                // gdb widens a signed field to int; the node shows the field's bits.
                unsigned long long expected = 0;
                ASSERT_TRUE(HexNumber(answer, &expected));
                ASSERT_TRUE(HexNumber(Text(node, 1), &hex));
                EXPECT_EQ(hex, expected & ((1ull << (layout & 0xFFFF)) - 1));
            } else {
                return;
            }
        } else if (node->GetBaseType() == 7 || node->GetBaseType() == 8) {
            if (line.format != "value")
                return;
            double value = std::strtod(answer.c_str(), nullptr);
            if (node->GetBaseType() == 7)
                value = static_cast<float>(value);
            char compact[64], exponential[64];
            std::snprintf(compact, sizeof compact, "%g", value);
            std::snprintf(exponential, sizeof exponential, "%e", value);
            EXPECT_EQ(Text(node, 0), compact);
            EXPECT_EQ(Text(node, 1), exponential);
        } else if (line.format == "d") {
            // print/d reads every integer as signed: compared as numbers of the size.
            long double shown = 0;
            ASSERT_TRUE(LeadingNumber(Text(node, 0), &shown));
            ASSERT_TRUE(LeadingNumber(answer, &number));
            EXPECT_EQ(Wrapped(shown, node->GetSize()), Wrapped(number, node->GetSize()));
        } else if (line.format == "x") {
            unsigned long long expected = 0;
            ASSERT_TRUE(HexNumber(answer, &expected));
            ASSERT_TRUE(HexNumber(Text(node, 1), &hex));
            EXPECT_EQ(hex, expected);
        } else if (line.format == "c" && std::string(node->GetDisplayFormatName(2)) == "ASCII") {
            ASSERT_TRUE(LeadingNumber(answer, &number));
            std::string shown = Text(node, 2);
            BYTE code = static_cast<BYTE>(static_cast<int>(number));
            if (code == 0) {
                EXPECT_EQ(shown, "'"); // the text ends at the character
            } else {
                ASSERT_EQ(shown.size(), 3u) << shown;
                EXPECT_EQ(static_cast<BYTE>(shown[1]), code);
            }
        } else {
            return;
        }
        ++m_checked;
    }

    CComPtr<IQelComplexMemory> m_memory;
    LONG m_lastHandle = 0;
    int m_checked = 0;
};

TEST_F(VarNodeProgramTest, EveryGlobalShowsWhatGdbPrints)
{
    for (const char *program : {"watch-O0.elf", "watch-O1.elf"}) {
        SCOPED_TRACE(program);
        ASSERT_NO_FATAL_FAILURE(Load(program));
        auto oracle = ReadOracle(program);
        ASSERT_GT(oracle.size(), 100u);
        m_checked = 0;
        for (const auto &[path, lines] : oracle) {
            std::unique_ptr<CQelBasicVarNode> root;
            std::string why;
            CQelBasicVarNode *node = Build(path, &root, &why);
            EXPECT_NE(node, nullptr) << path << ": " << why;
            if (node != nullptr)
                for (const Oracle &line : lines)
                    Check(node, line);
        }
        EXPECT_GT(m_checked, 350) << program;
        m_client.reset();
    }
}

} // namespace
