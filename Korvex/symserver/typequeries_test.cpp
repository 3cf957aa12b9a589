// The type description and codes 500 and 501, on a database filled through the record
// layer, and the bit fields of a real program against what gdb says of them.
#include "handlertesting.h"
#include "querytesting.h"

#include <packedindex.h>
#include <typewriters.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <regex>

namespace {

namespace fs = std::filesystem;
using handlertest::HandlerTest;

const LONG M = 1;
LONG T(LONG number)
{
    return PackTypeIndex(M, number);
}

// A MemberTag as the tests compare it.
struct Member {
    std::string name;
    LONG code, index;
    std::string text;
    LONG size, pointerClass, offset, extra;
    bool operator==(const Member &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Member &m)
{
    return out << '{' << m.name << ", " << std::hex << m.code << ", " << m.index << ", \"" << m.text << "\", "
               << std::dec << m.size << ", " << m.pointerClass << ", " << std::hex << m.offset << ", " << m.extra
               << '}';
}

Member Of(const MemberTag &tag)
{
    return {static_cast<LPCSTR>(tag.Name), tag.TypeCode, tag.TypeIndex, static_cast<LPCSTR>(tag.TypeText),
            tag.SizeInBits, tag.PointerClass, tag.Offset, tag.Extra};
}

class TypeQueriesTest : public HandlerTest {
protected:
    void SetUp() override
    {
        HandlerTest::SetUp();
        CDBTypeInfo &t = *m_types;
        WriteBaseTypeRecord({M, "char", 1, 8}, t, FALSE);
        WriteBaseTypeRecord({M, "int", 2, 32}, t, FALSE);
        WritePointerTypeRecord({M, 10, 1, 0}, t, FALSE);
        WritePointerTypeRecord({M, 11, 1, 1}, t, FALSE);
        WritePointerTypeRecord({M, 12, 1, 2}, t, FALSE);
        WriteTypedefRecord({M, "PSTR", 13, 12}, t, FALSE);
        WriteArrayTypeRecord({M, 14, 15, 3}, t, FALSE); // int[3][4]
        WriteArrayTypeRecord({M, 15, 2, 4}, t, FALSE);
        WriteTypedefRecord({M, "INT", 16, 2}, t, FALSE);
        WriteQualifiedTypeRecord({M, 0, 17, 2}, t, FALSE); // const int

        // Members written out of their order.
        WriteStructTypeRecord({M, "point", 20, 64, 2}, t, FALSE);
        WriteStructMemberRecord({M, "y", 22, 2, 32, 20}, t, FALSE);
        WriteStructMemberRecord({M, "x", 21, 2, 0, 20}, t, FALSE);

        // Bit fields: 4 signed bits at 0, 3 bits at 4 of the byte at 8, 2 bits one past
        // an offset that no longer fits 15 bits, and a plain member.
        WriteStructTypeRecord({M, "flags", 30, 64, 4}, t, FALSE);
        WriteBitFieldTypeRecord({M, 31, {4, 0, 1}}, t, FALSE);
        WriteBitFieldTypeRecord({M, 32, {3, 4, 0}}, t, FALSE);
        WriteBitFieldTypeRecord({M, 33, {2, 1, 0}}, t, FALSE);
        WriteStructMemberRecord({M, "lo", 34, 31, 0, 30}, t, FALSE);
        WriteStructMemberRecord({M, "hi", 35, 32, 8, 30}, t, FALSE);
        WriteStructMemberRecord({M, "edge", 36, 33, 0x7FFF, 30}, t, FALSE);
        WriteStructMemberRecord({M, "count", 37, 2, 32, 30}, t, FALSE);

        WriteEnumTypeRecord({M, "color", 40, 32, 3}, t, FALSE);
        WriteEnumMemberRecord({M, "GREEN", 41, 1, 40}, t, FALSE);
        WriteEnumMemberRecord({M, "BLUE", 42, 2, 40}, t, FALSE);
        WriteEnumMemberRecord({M, "RED", 43, 0, 40}, t, FALSE);

        AddRow(8, "shape", T(50), 64, 2, 0, 0);
        AddRow(13, "area", T(51), T(2), 32, 7, T(50));
        AddRow(13, "id", T(52), T(2), 0, 5, T(50));

        WriteFunctionTypeRecord({M, 60, 2, 1, 0}, t, FALSE);
        WritePointerTypeRecord({M, 61, 60, 2}, t, FALSE);

        // A damaged file's loops, and an array whose size no 32 bits hold.
        WriteTypedefRecord({M, "A", 70, 71}, t, FALSE);
        WriteTypedefRecord({M, "B", 71, 70}, t, FALSE);
        WritePointerTypeRecord({M, 72, 72, 2}, t, FALSE);
        WriteQualifiedTypeRecord({M, 1, 73, 73}, t, FALSE);
        WriteArrayTypeRecord({M, 74, 75, 0x10000}, t, FALSE);
        WriteArrayTypeRecord({M, 75, 2, 0x10000}, t, FALSE);
    }

    // A row that no writer makes (classes and their members).
    void AddRow(LONG typeID, LPCSTR name, LONG index, LONG d1, LONG d2, LONG d3, LONG d4)
    {
        CDBTypeInfo &t = *m_types;
        t.AddNew();
        t.m_TypeID = typeID;
        t.m_Name = name;
        t.m_TypeIndex = index;
        t.m_ModulIndex = M;
        t.m_Data_1 = d1;
        t.m_Data_2 = d2;
        t.m_Data_3 = d3;
        t.m_Data_4 = d4;
        t.Update();
    }

    Member Describe(LONG index)
    {
        MemberTag tag;
        tag.TypeIndex = index;
        LONG bitInfo = 0;
        m_engine->TypeDescription(tag.TypeIndex, tag.TypeCode, tag.TypeText, tag.SizeInBits, bitInfo,
                                  tag.PointerClass);
        return Of(tag);
    }
    std::vector<Member> Members(LONG index)
    {
        std::vector<Member> members;
        for (const MemberTag &tag : Run<MemberTag>(&CSymbolEngine::OnMembersOfType, CComVariant(index)))
            members.push_back(Of(tag));
        return members;
    }
    std::vector<Member> Types(LPCSTR name)
    {
        std::vector<Member> types;
        for (const MemberTag &tag : Run<MemberTag>(&CSymbolEngine::OnType, CComVariant(name)))
            types.push_back(Of(tag));
        return types;
    }
};

TEST_F(TypeQueriesTest, TheDescriptionShowsWhatAVariableOfTheTypeHolds)
{
    const LONG B = 0x40000000;
    std::string hugePointers = " _huge*";
    for (int level = 1; level < 64; ++level)
        hugePointers += " _huge*";
    const struct {
        LONG index;
        Member expected;
    } cases[] = {
        {T(2), {"", 0, 11, "int", 32, 0, 0, 0}},
        {T(10), {"", 3, T(10), "char _near*", 16, 0, 0, 0}},
        {T(11), {"", 3, T(11), "char _far*", 32, 1, 0, 0}},
        {T(12), {"", 3, T(12), "char _huge*", 32, 2, 0, 0}},
        // A name standing for a pointer shows what it points to.
        {T(13), {"", B + 3, T(12), "char _huge*", 32, 2, 0, 0}},
        {T(14), {"", 4, T(14), "int[3][4]", 12 * 32, 0, 0, 0}},
        {T(16), {"", B, 11, "INT", 32, 0, 0, 0}},
        {T(17), {"", 0, 11, "int", 32, 0, 0, 0}},
        {T(20), {"", 5, T(20), "struct point", 64, 0, 0, 0}},
        {T(61), {"", 3, T(61), "function() _huge*", 32, 4, 0, 0}},
        {T(74), {"", 4, T(74), "int[65536][65536]", 0x7FFFFFFF, 0, 0, 0}},
        // Loops end with what was gathered.
        {T(70), {"", 1, T(70), "A", 0, 0, 0, 0}},
        {T(72), {"", 3, T(72), hugePointers, 32, 2, 0, 0}},
        {T(73), {"", 14, T(73), "", 0, 0, 0, 0}},
        {T(99), {"", 0, T(99), "", 0, 0, 0, 0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Describe(c.index), c.expected) << std::hex << c.index;
}

TEST_F(TypeQueriesTest, ATypeIsFoundByItsNameWithItsDescription)
{
    EXPECT_EQ(Types("point"), (std::vector<Member>{{"point", 5, T(20), "struct point", 64, 0, 0, 0}}));
    EXPECT_EQ(Types("PSTR"), (std::vector<Member>{{"PSTR", 0x40000003, T(12), "char _huge*", 32, 2, 0, 0}}));
    EXPECT_EQ(Types("RED"), (std::vector<Member>{}));
    EXPECT_EQ(Types("missing"), (std::vector<Member>{}));
}

TEST_F(TypeQueriesTest, APointerOrArrayHasOneEntryForWhatItHolds)
{
    EXPECT_EQ(Members(T(12)), (std::vector<Member>{{"*%s", 0, 1, "char", 8, 2, 0, 0}}));
    EXPECT_EQ(Members(T(14)), (std::vector<Member>{{"%s[%d]", 4, T(15), "int[4]", 4 * 32, 0, 3, 0}}));
    EXPECT_EQ(Members(T(2)), (std::vector<Member>{}));
    EXPECT_EQ(Members(T(99)), (std::vector<Member>{}));
}

TEST_F(TypeQueriesTest, MembersComeInDeclarationOrderEnumeratorsByValueClassMembersByOffset)
{
    EXPECT_EQ(Members(T(20)),
              (std::vector<Member>{{"x", 0, 11, "int", 32, 0, 0, 0}, {"y", 0, 11, "int", 32, 0, 32, 0}}));
    EXPECT_EQ(Members(T(40)), (std::vector<Member>{{"RED", 12, T(40), "", 32, 0, 0, 0},
                                                   {"GREEN", 12, T(40), "", 32, 0, 1, 0},
                                                   {"BLUE", 12, T(40), "", 32, 0, 2, 0}}));
    EXPECT_EQ(Members(T(50)),
              (std::vector<Member>{{"id", 0, 11, "int", 32, 0, 0, 5}, {"area", 0, 11, "int", 32, 0, 32, 7}}));
}

// Word 7 of a bit field is its layout: width, offset from the structure's start, sign;
// an offset past 15 bits never passes for the sign.
TEST_F(TypeQueriesTest, ABitFieldsOffsetWordIsItsBitLayout)
{
    const LONG sign = static_cast<LONG>(0x80000000);
    EXPECT_EQ(Members(T(30)), (std::vector<Member>{{"lo", 2, T(31), "bit / bitfield", 4, 0, sign | 4, 0},
                                                   {"hi", 2, T(32), "bit / bitfield", 3, 0, 12 << 16 | 3, 0},
                                                   {"edge", 2, T(33), "bit / bitfield", 2, 0, 2, 0},
                                                   {"count", 0, 11, "int", 32, 0, 32, 0}}));
}

// The bit fields of a program's structure as gdb lays them out.
class ProgramTypesTest : public querytest::QueryTest {};

TEST_F(ProgramTypesTest, AGlobalsTypeIsReadOnDemandWithItsBitFieldsAsGdbLaysThemOut)
{
    ASSERT_EQ(Load("firmware/handwritten-O0.elf"), StatusSuccess);
    // The load leaves the modules' types unread: describing a global's type reads its
    // module.
    MemberTag status;
    Handle(9000, [&](CSymbolRequest &) {
        CDBSymbolInfo global(Database());
        global.Open(dbOpenSnapshot, "SELECT * FROM Symbols WHERE SymbolID=5 AND Name='board_status'");
        ASSERT_FALSE(global.IsEOF());
        status.TypeIndex = global.m_Data_1;
        LONG bitInfo = 0;
        m_engine->TypeDescription(status.TypeIndex, status.TypeCode, status.TypeText, status.SizeInBits, bitInfo,
                                  status.PointerClass);
    });
    ASSERT_EQ(FetchStatus(Submit(9000, RequesterSynchronous)), StatusSuccess);
    EXPECT_EQ(Of(status), (Member{"", 0x40000005, status.TypeIndex, "status_t", 32, 0, 0, 0}));
    std::map<std::string, LONG> layouts;
    for (const MemberTag &field : Query<MemberTag>(501, {status.TypeIndex}))
        layouts[static_cast<LPCSTR>(field.Name)] = field.Offset;

    // "/*      1: 3   |       1 */    _Bool fault : 1;": byte and bit, type, name, width.
    std::ifstream oracle(fs::path(kQelSourceDir) / "testdata/firmware/handwritten-O0.gdb.txt");
    std::string line;
    while (std::getline(oracle, line) && line != "### ptype /o struct status_bits") {
    }
    const std::regex field(R"(/\*\s+(\d+):\s*(\d+)\s+\|\s+\d+ \*/\s+(.+) (\w+) : (\d+);)");
    std::map<std::string, LONG> expected;
    std::smatch m;
    std::getline(oracle, line); // "type = struct status_bits {"
    while (std::getline(oracle, line) && std::regex_search(line, m, field)) {
        const bool isSigned = m[3].str().rfind("int", 0) == 0 || m[3].str().rfind("signed", 0) == 0;
        const DWORD offset = std::stoul(m[1]) * 8 + std::stoul(m[2]);
        expected[m[4]] = static_cast<LONG>((isSigned ? 0x80000000u : 0) | offset << 16 | std::stoul(m[5]));
    }
    EXPECT_EQ(expected.size(), 6u);
    EXPECT_EQ(layouts, expected);
}

} // namespace
